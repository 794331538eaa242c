// Hooks for hosts (players, editors, tests) that replace what a desktop would provide.
#pragma once

#include "TarnwellExport.h"

extern "C" {

// Receives every message box the kernel shows (error log type-3 messages, fallback boxes).
typedef void (*TevMessageBoxHandler)(const char* caption, const char* text, unsigned style);

// Installs a message box handler and answers the previous one (NULL when the default was in
// place); NULL restores the default handler, which writes caption and text to standard error.
TARNWELL_API TevMessageBoxHandler TevSetMessageBoxHandler(TevMessageBoxHandler handler);
}
