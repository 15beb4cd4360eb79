// The Qt-free platform layer of the assistant. Everything the program needs
// from the operating system sits behind these small headers; the backend
// (posix/ or win32/) is chosen at build time. Strings are UTF-8, results are
// plain structs, and a facility the system lacks answers empty or false. The
// Win32 backend converts UTF-8 to UTF-16 at its boundary and calls only wide
// functions (win32/win32_text.h), so file names, registry values, process
// paths and object names keep every character whatever the ANSI code page.
#pragma once

#include "platform/audio.h"
#include "platform/command.h"
#include "platform/device_watch.h"
#include "platform/display.h"
#include "platform/file_version.h"
#include "platform/firewall.h"
#include "platform/instance_guard.h"
#include "platform/memory.h"
#include "platform/network_link.h"
#include "platform/network_profile.h"
#include "platform/paths.h"
#include "platform/power.h"
#include "platform/power_plan.h"
#include "platform/process.h"
#include "platform/program_run.h"
#include "platform/shared_block.h"
#include "platform/shell.h"
#include "platform/short_path.h"
#include "platform/system_facts.h"
#include "platform/tcp_ports.h"
