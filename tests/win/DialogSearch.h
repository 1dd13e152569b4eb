#pragma once
// Finding the message dialog the setup's own code has opened, for the programs that look at its
// dialogs from a second thread while the dialog's modal loop holds the first.
#include <windows.h>

namespace testsupport {
// A visible message dialog of this process that has made its buttons (the first has the id 100);
// null when there is none.
HWND OpenDialog();
}  // namespace testsupport
