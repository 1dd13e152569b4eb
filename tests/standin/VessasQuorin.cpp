// Stand-in for the installed application: a window whose caption names the product and which
// answers the setup's running-instance query (0x8001, 9876, 1234) with 1234, as the real
// application does while it runs. It closes on WM_CLOSE or after the seconds given as its
// first argument (default 120), so a forgotten instance never outlives a test run for long.
#include <windows.h>

#include <cwchar>

#include "VQVersion.h"

namespace {
LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_APP + 1:
            if (wParam == 9876 && lParam == 1234) return 1234;
            return 0;
        case WM_TIMER:
            ::DestroyWindow(window);
            return 0;
        case WM_DESTROY:
            ::PostQuitMessage(0);
            return 0;
    }
    return ::DefWindowProcW(window, message, wParam, lParam);
}
}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR commandLine, int) {
    int seconds = 120;
    if (commandLine && *commandLine) seconds = static_cast<int>(std::wcstol(commandLine, nullptr, 10));
    if (seconds <= 0) seconds = 120;

    WNDCLASSW wc{};
    wc.lpfnWndProc = WindowProc;
    wc.hInstance = instance;
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    wc.lpszClassName = L"TVessasQuorinMain";
    ::RegisterClassW(&wc);
    HWND window = ::CreateWindowW(wc.lpszClassName, L"Vessa's Quorin " VQ_VERSION_WIDE, WS_OVERLAPPEDWINDOW, CW_USEDEFAULT,
                                  CW_USEDEFAULT, 400, 300, nullptr, nullptr, instance, nullptr);
    ::ShowWindow(window, SW_SHOWNOACTIVATE);
    ::SetTimer(window, 1, static_cast<UINT>(seconds) * 1000, nullptr);
    MSG msg;
    while (::GetMessageW(&msg, nullptr, 0, 0) > 0) {
        ::TranslateMessage(&msg);
        ::DispatchMessageW(&msg);
    }
    return 0;
}
