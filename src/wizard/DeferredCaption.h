#pragma once
// A static control whose caption changes far more often than it needs painting (the amounts of the
// install run change with every 10000 bytes, the file with every entry). The newest caption is kept
// here and answered to WM_GETTEXT at once, so whoever reads the control reads it; it goes into the
// control, and on screen, only when the control is flushed or painted.
#include <windows.h>

#include <string>

class TDeferredCaption {
public:
    TDeferredCaption() = default;
    ~TDeferredCaption();
    TDeferredCaption(const TDeferredCaption&) = delete;
    TDeferredCaption& operator=(const TDeferredCaption&) = delete;

    void Attach(HWND control);
    void Set(const std::wstring& text);
    // Puts the newest caption into the control, which then paints it with the next update.
    void Flush();

private:
    static LRESULT CALLBACK Proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR id,
                                 DWORD_PTR self);
    HWND control_ = nullptr;
    std::wstring text_;
    bool pending_ = false;
};
