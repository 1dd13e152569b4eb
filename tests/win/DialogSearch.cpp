#include "DialogSearch.h"

#include <string>

#include "texts/ErrorUnit.h"

namespace testsupport {
HWND OpenDialog() {
    struct Search {
        DWORD Process;
        HWND Found;
    } search{::GetCurrentProcessId(), nullptr};
    ::EnumWindows(
        [](HWND w, LPARAM p) {
            return CallbackGuard<BOOL>(FALSE, [&] {
                auto* s = reinterpret_cast<Search*>(p);
                DWORD process = 0;
                ::GetWindowThreadProcessId(w, &process);
                wchar_t name[16] = {};
                ::GetClassNameW(w, name, 16);
                if (process != s->Process || std::wstring(name) != L"#32770" || !::IsWindowVisible(w) ||
                    !::GetDlgItem(w, 100))
                    return TRUE;
                s->Found = w;
                return FALSE;
            });
        },
        reinterpret_cast<LPARAM>(&search));
    return search.Found;
}
}  // namespace testsupport
