#pragma once
// Whether a copy of the installed application runs. The application answers the running-instance
// query (message 0x8001 with 9876 and 1234) with 1234 while it runs; every top-level window whose
// caption holds both product words is asked, and every window inspected is logged.
#include <windows.h>

// The walk goes forward and then backward through the window order from self, the asking
// program's own window; a program without a window (a silent uninstaller) passes nullptr and
// every window is asked once. Answers false when self is given but is no top-level window.
bool IsApplicationRunning(HWND self);
