#pragma once
// The phone-access library: its records, result codes and last errors, and CManager.
#include <handport/PhoneErrors.h>
#include <handport/PhoneRecords.h>
#include <handport/Manager.h>
