#pragma once
// What the display-scale tests share: the DPI the run was started at, the form's controls by name,
// and the measure of whether a window's texts fit their controls.
#include <windows.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "wizard/VQSetupUnit.h"

namespace testsupport {

// The DPI scripts/with-dpi started this process at (96 when run without it).
int ExpectedDpi();

// A form for the given setup file, made hidden; Show() puts it on the screen.
std::unique_ptr<TVQSetupForm> MakeScaleForm(const std::wstring& file = L"C:\\Downloads\\VQSetup.exe");

struct FormControl {
    const char* Name;
    HWND TVQSetupForm::*Field;
};
// Every control of the form, by its member name.
const std::vector<FormControl>& FormControls();
std::string NameOf(const TVQSetupForm& form, HWND control);

// Every text of a visible control below top (static texts, buttons, combo box entries, list view
// items, edits' lines) that does not fit the control at dpi, measured in the control's own font
// at the control's width; empty when all fit. nameOf names a control in the report.
std::vector<std::string> CutOffTexts(HWND top, int dpi, const std::function<std::string(HWND)>& nameOf);

// The size of an icon's image; {0, 0} for none.
SIZE IconSize(HICON icon);

// Pixels of a bitmap as 0x00RRGGBB, top-down, read with GetDIBits.
std::vector<unsigned> BitmapPixels(HBITMAP bitmap, SIZE& size);

std::string Narrow(const std::wstring& text);

}  // namespace testsupport
