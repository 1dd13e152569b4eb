#include "wizard/DeferredCaption.h"

#include <commctrl.h>

#include <algorithm>
#include <cstring>

#include "texts/ErrorUnit.h"

namespace {
constexpr UINT_PTR kSubclassId = 0x5643;  // "VC"
}  // namespace

TDeferredCaption::~TDeferredCaption() {
    if (control_) ::RemoveWindowSubclass(control_, &TDeferredCaption::Proc, kSubclassId);
}

void TDeferredCaption::Attach(HWND control) {
    control_ = control;
    ::SetWindowSubclass(control_, &TDeferredCaption::Proc, kSubclassId, reinterpret_cast<DWORD_PTR>(this));
}

void TDeferredCaption::Set(const std::wstring& text) {
    if (!pending_ && control_ && text == text_) return;
    text_ = text;
    pending_ = true;
}

void TDeferredCaption::Flush() {
    if (!pending_ || !control_) return;
    pending_ = false;
    // The window's own text, without the paint a static makes of every new caption at once.
    ::DefWindowProcW(control_, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text_.c_str()));
    ::InvalidateRect(control_, nullptr, TRUE);
}

LRESULT CALLBACK TDeferredCaption::Proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                                        DWORD_PTR self) {
    return CallbackGuard<LRESULT>(0, [&]() -> LRESULT {
        auto& caption = *reinterpret_cast<TDeferredCaption*>(self);
        switch (message) {
            case WM_GETTEXT:
                if (caption.pending_) {
                    if (wParam == 0) return 0;
                    const size_t n = std::min<size_t>(caption.text_.size(), static_cast<size_t>(wParam) - 1);
                    auto* out = reinterpret_cast<wchar_t*>(lParam);
                    std::memcpy(out, caption.text_.data(), n * sizeof(wchar_t));
                    out[n] = L'\0';
                    return static_cast<LRESULT>(n);
                }
                break;
            case WM_GETTEXTLENGTH:
                if (caption.pending_) return static_cast<LRESULT>(caption.text_.size());
                break;
            case WM_SETTEXT:
                // A caption set from elsewhere is the newest.
                caption.pending_ = false;
                caption.text_ = lParam ? reinterpret_cast<const wchar_t*>(lParam) : L"";
                break;
            case WM_PAINT:
                // Whatever makes the control paint, it paints the newest caption.
                caption.Flush();
                break;
            case WM_NCDESTROY:
                ::RemoveWindowSubclass(window, &TDeferredCaption::Proc, kSubclassId);
                caption.control_ = nullptr;
                break;
        }
        return ::DefSubclassProc(window, message, wParam, lParam);
    });
}
