#include "services/Dpi.h"

#include "services/Handles.h"

namespace {
// The per-monitor functions of Windows 10 1607, or nullptr on older systems.
struct PerMonitorApi {
    UINT(WINAPI* DpiForWindow)(HWND) = nullptr;
    UINT(WINAPI* DpiForSystem)() = nullptr;
    int(WINAPI* MetricsForDpi)(int, UINT) = nullptr;
    BOOL(WINAPI* ParametersForDpi)(UINT, UINT, PVOID, UINT, UINT) = nullptr;
    BOOL(WINAPI* AdjustForDpi)(LPRECT, DWORD, BOOL, DWORD, UINT) = nullptr;

    PerMonitorApi() {
        // user32 is imported, so it is loaded already and cannot be one planted beside the setup.
        HMODULE user32 = ::GetModuleHandleW(L"user32.dll");
        if (!user32) return;
        Find(user32, "GetDpiForWindow", DpiForWindow);
        Find(user32, "GetDpiForSystem", DpiForSystem);
        Find(user32, "GetSystemMetricsForDpi", MetricsForDpi);
        Find(user32, "SystemParametersInfoForDpi", ParametersForDpi);
        Find(user32, "AdjustWindowRectExForDpi", AdjustForDpi);
    }
    template <class F>
    static void Find(HMODULE module, const char* name, F& function) {
        function = reinterpret_cast<F>(reinterpret_cast<void*>(::GetProcAddress(module, name)));
    }
};

const PerMonitorApi& Api() {
    static const PerMonitorApi api;
    return api;
}

int ScreenDpi() {
    const WindowDC screen(nullptr);
    const int dpi = screen.get() ? ::GetDeviceCaps(screen.get(), LOGPIXELSY) : 0;
    return dpi > 0 ? dpi : Dpi::kLayout;
}
}  // namespace

RECT Dpi::Scale(const RECT& layout, int dpi) {
    return RECT{Scale(layout.left, dpi), Scale(layout.top, dpi), Scale(layout.right, dpi), Scale(layout.bottom, dpi)};
}

int Dpi::OfSystem() {
    if (Api().DpiForSystem) {
        const UINT dpi = Api().DpiForSystem();
        if (dpi > 0) return static_cast<int>(dpi);
    }
    return ScreenDpi();
}

int Dpi::OfWindow(HWND window) {
    if (window && Api().DpiForWindow) {
        const UINT dpi = Api().DpiForWindow(window);
        if (dpi > 0) return static_cast<int>(dpi);
    }
    return OfSystem();
}

int Dpi::Metric(int index, int dpi) {
    if (Api().MetricsForDpi) return Api().MetricsForDpi(index, static_cast<UINT>(dpi));
    // Before Windows 10 the metrics are those of the session's DPI, the only one a window can have.
    return ::MulDiv(::GetSystemMetrics(index), dpi, OfSystem());
}

LOGFONTW Dpi::MessageFont(int dpi) {
    NONCLIENTMETRICSW metrics{};
    metrics.cbSize = sizeof(metrics);
    if (Api().ParametersForDpi &&
        Api().ParametersForDpi(SPI_GETNONCLIENTMETRICS, sizeof(metrics), &metrics, 0, static_cast<UINT>(dpi)))
        return metrics.lfMessageFont;
    ::SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof(metrics), &metrics, 0);
    metrics.lfMessageFont.lfHeight = ::MulDiv(metrics.lfMessageFont.lfHeight, dpi, OfSystem());
    return metrics.lfMessageFont;
}

RECT Dpi::FrameFor(const RECT& client, DWORD style, DWORD exStyle, int dpi) {
    RECT frame = client;
    if (!Api().AdjustForDpi || !Api().AdjustForDpi(&frame, style, FALSE, exStyle, static_cast<UINT>(dpi))) {
        frame = client;
        ::AdjustWindowRectEx(&frame, style, FALSE, exStyle);
    }
    return frame;
}
