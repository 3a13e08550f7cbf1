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
#include <kernel/Io.h>
#include <kernel/File.h>
#include <kernel/Find.h>
#include <kernel/Path.h>
#include <kernel/CommandLine.h>
#include <kernel/Process.h>
#include <kernel/Snapshot.h>
#include <kernel/Version.h>
