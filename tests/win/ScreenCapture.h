#pragma once
// Saves what the screen shows as a bitmap file, for people to look at: the page gallery and the
// end-to-end driver's record of a scenario that went wrong.
#include <windows.h>

#include <string>

namespace testsupport {
// The area of the screen, in screen coordinates, as a 24-bit .bmp file; false when not written.
bool SaveScreenArea(const RECT& area, const std::wstring& path);
}  // namespace testsupport
