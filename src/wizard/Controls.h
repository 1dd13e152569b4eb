#pragma once
// Thin helpers over the Win32 controls the form uses, so handlers read like the wizard they are.
#include <windows.h>
#include <commctrl.h>

#include <string>

namespace ctl {
inline void SetText(HWND w, const std::wstring& text) { ::SetWindowTextW(w, text.c_str()); }
inline std::wstring GetText(HWND w) {
    const int n = ::GetWindowTextLengthW(w);
    std::wstring text(static_cast<size_t>(n) + 1, L'\0');
    const int got = ::GetWindowTextW(w, text.data(), n + 1);
    text.resize(static_cast<size_t>(got > 0 ? got : 0));
    return text;
}
inline void SetVisible(HWND w, bool visible) { ::ShowWindow(w, visible ? SW_SHOWNA : SW_HIDE); }
// Whether the control itself is marked visible, whatever its parents are.
inline bool IsShown(HWND w) { return (::GetWindowLongPtrW(w, GWL_STYLE) & WS_VISIBLE) != 0; }
inline void SetEnabled(HWND w, bool enabled) { ::EnableWindow(w, enabled ? TRUE : FALSE); }
inline bool IsEnabled(HWND w) { return ::IsWindowEnabled(w) != FALSE; }

inline RECT Bounds(HWND w) {  // in the parent's client coordinates
    RECT r{};
    ::GetWindowRect(w, &r);
    ::MapWindowPoints(HWND_DESKTOP, ::GetParent(w), reinterpret_cast<POINT*>(&r), 2);
    return r;
}
inline void Move(HWND w, int left, int top) {
    ::SetWindowPos(w, nullptr, left, top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

// --- combo boxes (drop-down lists)
inline int ComboCount(HWND w) { return static_cast<int>(::SendMessageW(w, CB_GETCOUNT, 0, 0)); }
inline int ComboIndex(HWND w) { return static_cast<int>(::SendMessageW(w, CB_GETCURSEL, 0, 0)); }
inline void ComboSelect(HWND w, int index) { ::SendMessageW(w, CB_SETCURSEL, static_cast<WPARAM>(index), 0); }
inline void ComboClear(HWND w) { ::SendMessageW(w, CB_RESETCONTENT, 0, 0); }
inline int ComboAdd(HWND w, const std::wstring& text, LPARAM data = 0) {
    const auto index = static_cast<int>(::SendMessageW(w, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text.c_str())));
    ::SendMessageW(w, CB_SETITEMDATA, static_cast<WPARAM>(index), data);
    return index;
}
inline LPARAM ComboData(HWND w, int index) {
    return static_cast<LPARAM>(::SendMessageW(w, CB_GETITEMDATA, static_cast<WPARAM>(index), 0));
}
inline std::wstring ComboItemText(HWND w, int index) {
    const auto n = ::SendMessageW(w, CB_GETLBTEXTLEN, static_cast<WPARAM>(index), 0);
    if (n < 0) return L"";
    std::wstring text(static_cast<size_t>(n) + 1, L'\0');
    ::SendMessageW(w, CB_GETLBTEXT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(text.data()));
    text.resize(static_cast<size_t>(n));
    return text;
}
// Replaces an entry's text, keeping its data.
inline void ComboSetItemText(HWND w, int index, const std::wstring& text) {
    const LPARAM data = ComboData(w, index);
    ::SendMessageW(w, CB_DELETESTRING, static_cast<WPARAM>(index), 0);
    ::SendMessageW(w, CB_INSERTSTRING, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(text.c_str()));
    ::SendMessageW(w, CB_SETITEMDATA, static_cast<WPARAM>(index), data);
}
}  // namespace ctl
