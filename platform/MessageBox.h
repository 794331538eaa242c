// Modal message boxes. Every box goes to one replaceable handler (hosts and tests install
// theirs through the kernel's TevSetMessageBoxHandler); the default handler writes caption and
// text to standard error. On Windows it shows the system's box instead when the process has
// neither a console nor a standard error to write to (an interactive host).
#pragma once

#include "TarnwellTypes.h"

namespace platform {

// Styles and answers, with their Win32 values.
constexpr unsigned MB_OK = 0x0;
constexpr unsigned MB_OKCANCEL = 0x1;
constexpr unsigned MB_YESNO = 0x4;
constexpr unsigned MB_ICONERROR = 0x10;
constexpr unsigned MB_ICONQUESTION = 0x20;
constexpr unsigned MB_ICONWARNING = 0x30;
constexpr unsigned MB_ICONINFORMATION = 0x40;
constexpr int IDOK = 1;

typedef void (*MessageBoxHandler)(const char* caption, const char* text, unsigned style);

// Shows a box through the current handler and answers IDOK. NULL texts become "".
int MessageBox(HWND owner, const char* text, const char* caption, unsigned style);
// Installs a handler and answers the previous one (NULL when that was the default);
// NULL restores the default.
MessageBoxHandler SetMessageBoxHandler(MessageBoxHandler handler);
// The default handler, for a handler that passes boxes on after a NULL previous one.
MessageBoxHandler DefaultMessageBoxHandler();

}  // namespace platform
