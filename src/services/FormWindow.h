#pragma once
// What every form of the project does with its top-level window: the window carries a pointer to
// its form, which its window procedure reads, and the form runs its own message loop.
#include <windows.h>

#include "services/Handles.h"

// The window class of a form: the button face, the program's icon, the arrow. Raises EVQError when
// the class cannot be registered.
void RegisterFormClass(const wchar_t* className);

// From here on the window's messages go to proc, which finds form through GWLP_USERDATA.
template <class Form>
void BindFormWindow(HWND window, Form* form, WNDPROC proc) {
    ::SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(form));
    ::SetWindowLongPtrW(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(proc));
}

// Destroys the form's window, if it still has one. The pointer goes first: the messages of the
// window's destruction must not reach a form that is being torn down or was never made.
inline void ReleaseFormWindow(WindowHandle& window) {
    if (!window) return;
    ::SetWindowLongPtrW(window.get(), GWLP_USERDATA, 0);
    window.reset();
}

// Binds the window to form and builds the form on it. No destructor runs for a form whose build
// failed, so the window goes with the failure instead of outliving the form.
template <class Form, class Build>
void BuildOnFormWindow(WindowHandle& window, Form* form, WNDPROC proc, Build&& build) {
    BindFormWindow(window.get(), form, proc);
    try {
        build();
    } catch (...) {
        ReleaseFormWindow(window);
        throw;
    }
}

// Runs the thread's messages until WM_QUIT, the form's dialog keys included while it is open, and
// gives the quit message's code.
template <class Form>
WPARAM RunFormMessageLoop(const Form& form) {
    MSG msg{};
    while (::GetMessageW(&msg, nullptr, 0, 0) > 0) {
        if (!form.Closed() && ::IsDialogMessageW(form.Handle(), &msg)) continue;
        ::TranslateMessage(&msg);
        ::DispatchMessageW(&msg);
    }
    return msg.wParam;
}
