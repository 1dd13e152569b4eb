#include "services/FormWindow.h"

#include <string>

#include "services/VQError.h"

void RegisterFormClass(const wchar_t* className) {
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof(wc);
    wc.lpfnWndProc = &DefWindowProcW;  // each form binds its own (BindFormWindow)
    wc.hInstance = ::GetModuleHandleW(nullptr);
    wc.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    wc.hIcon = ::LoadIconW(wc.hInstance, L"MAINICON");
    wc.hIconSm = static_cast<HICON>(::LoadImageW(wc.hInstance, L"MAINICON", IMAGE_ICON, 16, 16, 0));
    wc.lpszClassName = className;
    // A second form of the process finds the class made by the first.
    if (!::RegisterClassExW(&wc) && ::GetLastError() != ERROR_CLASS_ALREADY_EXISTS)
        throw EVQError(L"Cannot register the window class " + std::wstring(className) + L" (error " +
                       std::to_wstring(::GetLastError()) + L")");
}
