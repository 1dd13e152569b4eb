// The running-instance query, shared by the setup's form and the uninstaller.
#include "engine/RunningCheck.h"

#include <algorithm>
#include <string>
#include <vector>

#include "services/UtillityUnit.h"
#include "texts/ErrorUnit.h"

namespace {
constexpr UINT kRunningQuery = WM_APP + 1;  // 0x8001
constexpr WPARAM kRunningQueryWord = 9876;
constexpr LPARAM kRunningQueryLong = 1234;

bool AnswersAsRunning(HWND window) {
    wchar_t caption[256] = {};
    ::GetWindowTextW(window, caption, 256);
    const std::wstring upper = UpperCase(caption);
    WriteLog(L"Running(0):" + upper + L"  h=" + std::to_wstring(reinterpret_cast<UINT_PTR>(window)));
    if (upper.find(L"VESSA") == std::wstring::npos || upper.find(L"QUORIN") == std::wstring::npos) return false;
    // A hung window must not hang the asking program with it: it counts as not answering.
    DWORD_PTR reply = 0;
    return ::SendMessageTimeoutW(window, kRunningQuery, kRunningQueryWord, kRunningQueryLong,
                                 SMTO_ABORTIFHUNG | SMTO_NORMAL, 5000, &reply) &&
           reply == static_cast<DWORD_PTR>(kRunningQueryLong);
}
}  // namespace

bool IsApplicationRunning(HWND self) {
    // Over a snapshot of the window order: windows that other programs open or close meanwhile
    // must not cut the walk short.
    std::vector<HWND> order;
    ::EnumWindows(
        [](HWND w, LPARAM list) {
            return CallbackGuard<BOOL>(FALSE, [&] {
                reinterpret_cast<std::vector<HWND>*>(list)->push_back(w);
                return TRUE;
            });
        },
        reinterpret_cast<LPARAM>(&order));
    bool running = false;
    if (!self) {
        for (HWND w : order) running = AnswersAsRunning(w) || running;
        return running;
    }
    const auto start = std::find(order.begin(), order.end(), self);
    if (start == order.end()) return false;
    // A match does not end the walk: every window is visited and logged.
    for (auto it = start; it != order.end(); ++it) running = AnswersAsRunning(*it) || running;
    for (auto it = start;; --it) {
        running = AnswersAsRunning(*it) || running;
        if (it == order.begin()) break;
    }
    return running;
}
