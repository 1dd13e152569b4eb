#pragma once
// The display scale a window is drawn at, and the system's measures at that scale.
//
// The setup's layout is written in pixels at 96 dots per inch; every length is scaled to the DPI of
// the window it is used in. Windows 10 1607 and later give each window the DPI of its monitor (the
// manifest asks for per-monitor awareness); older systems have one DPI for the whole session. The
// newer functions are looked up at run time, so the same program still starts on Windows 7, and
// each answer falls back to the session's DPI there.
//
// Under Wine every process counts as per-monitor aware whatever its manifest says, all monitors
// share one DPI, and that DPI is HKCU\Control Panel\Desktop LogPixels as it stood when the process
// started: a changed value reaches only processes started after the change.
#include <windows.h>

class Dpi {
public:
    Dpi() = delete;

    static constexpr int kLayout = 96;  // the DPI the layout's numbers are written for

    // A length of the layout at dpi, rounded to the nearest pixel.
    static int Scale(int length, int dpi) { return ::MulDiv(length, dpi, kLayout); }
    // A rectangle of the layout at dpi. Its edges are scaled, not its size, so that controls that
    // touch at 96 DPI still touch at every scale, and a 96-DPI rectangle comes back unchanged.
    static RECT Scale(const RECT& layout, int dpi);

    // The session's DPI (the primary monitor's when the user signed in).
    static int OfSystem();
    // The DPI the window is drawn at: its monitor's under per-monitor awareness, else the session's.
    static int OfWindow(HWND window);

    // GetSystemMetrics as it is at dpi.
    static int Metric(int index, int dpi);
    // The font of message boxes as it is at dpi.
    static LOGFONTW MessageFont(int dpi);
    // The window rectangle that gives the client rectangle, with the frame as drawn at dpi.
    static RECT FrameFor(const RECT& client, DWORD style, DWORD exStyle, int dpi);
};
