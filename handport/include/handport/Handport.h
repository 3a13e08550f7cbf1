#pragma once
// The phone-access library: its records, result codes and last errors.
#include <handport/PhoneErrors.h>
#include <handport/PhoneRecords.h>
