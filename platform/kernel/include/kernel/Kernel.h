#pragma once
// Everything of the kernel module.
#include <kernel/Object.h>
#include <kernel/Module.h>
#include <kernel/Wait.h>
#include <kernel/Sync.h>
#include <kernel/Thread.h>
#include <kernel/FileMapping.h>
#include <kernel/MessageQueue.h>
#include <kernel/QueueExtension.h>
