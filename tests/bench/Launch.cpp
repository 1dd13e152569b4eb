// Starts one program inside Wine and measures it from the Windows side, where the figures mean
// what they mean on Windows:
//
//   BenchLaunch.exe [--until-visible] WINDOW_CLASS|- PROGRAM [ARGS...]
//
// Prints key=value lines: elapsed_ms (CreateProcess until the process has ended), exit_code,
// peak_working_set (bytes), window_ms and window_visible_ms (until a top-level window of
// WINDOW_CLASS belonging to the child exists / is visible; -1 when none appeared). With
// --until-visible the child is ended as soon as its window is visible: an interactive program's
// start is measured without anybody to click through it.
#include <windows.h>
#include <psapi.h>

#include <algorithm>
#include <cstdio>
#include <cwchar>
#include <string>

#include "services/Handles.h"

namespace {
// The usual quoting of CommandLineToArgvW, so that the child sees the arguments it was given.
std::wstring Quote(const std::wstring& arg) {
    if (!arg.empty() && arg.find_first_of(L" \t\"") == std::wstring::npos) return arg;
    std::wstring out = L"\"";
    std::size_t backslashes = 0;
    for (wchar_t c : arg) {
        if (c == L'\\') { ++backslashes; continue; }
        out.append(c == L'"' ? backslashes * 2 + 1 : backslashes, L'\\');
        backslashes = 0;
        out += c;
    }
    out.append(backslashes * 2, L'\\');
    return out + L"\"";
}

struct WindowSearch {
    const wchar_t* ClassName;
    DWORD ProcessId;
    HWND Found = nullptr;
};

// FindWindowW would also answer a window of another process; only the child's own counts.
HWND FindChildWindow(const wchar_t* className, DWORD processId) {
    WindowSearch search{className, processId};
    ::EnumWindows(
        [](HWND window, LPARAM param) -> BOOL {
            auto& s = *reinterpret_cast<WindowSearch*>(param);
            DWORD owner = 0;
            ::GetWindowThreadProcessId(window, &owner);
            wchar_t name[256] = {};
            if (owner != s.ProcessId || !::GetClassNameW(window, name, 256) || std::wcscmp(name, s.ClassName) != 0)
                return TRUE;
            s.Found = window;
            return FALSE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.Found;
}

double Milliseconds(LARGE_INTEGER from, LARGE_INTEGER to, LARGE_INTEGER frequency) {
    return 1000.0 * static_cast<double>(to.QuadPart - from.QuadPart) / static_cast<double>(frequency.QuadPart);
}
}  // namespace

int wmain(int argc, wchar_t** argv) {
    const bool untilVisible = argc > 1 && std::wcscmp(argv[1], L"--until-visible") == 0;
    if (untilVisible) {
        --argc;
        ++argv;
    }
    if (argc < 3 || (untilVisible && std::wcscmp(argv[1], L"-") == 0)) {
        std::fputws(L"usage: BenchLaunch [--until-visible] WINDOW_CLASS|- PROGRAM [ARGS...]\n", stderr);
        return 2;
    }
    const std::wstring windowClass = std::wcscmp(argv[1], L"-") == 0 ? L"" : argv[1];
    std::wstring commandLine;
    for (int i = 2; i < argc; ++i) commandLine += (i > 2 ? L" " : L"") + Quote(argv[i]);

    LARGE_INTEGER frequency, start, now;
    ::QueryPerformanceFrequency(&frequency);
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info{};
    ::QueryPerformanceCounter(&start);
    if (!::CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &info)) {
        std::fwprintf(stderr, L"BenchLaunch: cannot start %ls (%lu)\n", commandLine.c_str(), ::GetLastError());
        return 1;
    }
    KernelHandle process(info.hProcess), thread(info.hThread);

    // Wine answers the counters of a process from its live Unix process, and nothing once it has
    // ended; the peak is therefore sampled while the child runs. It only ever grows, so the last
    // sample misses at most the final few milliseconds.
    SIZE_T peak = 0;
    const auto sample = [&] {
        PROCESS_MEMORY_COUNTERS counters{};
        counters.cb = sizeof counters;
        if (::GetProcessMemoryInfo(process.get(), &counters, sizeof counters))
            peak = std::max(peak, counters.PeakWorkingSetSize);
    };
    double windowMs = -1, visibleMs = -1;
    HWND window = nullptr;
    DWORD wait;
    do {
        // Polled every millisecond until the window is visible, afterwards only for the memory.
        wait = ::WaitForSingleObject(process.get(), visibleMs < 0 && !windowClass.empty() ? 1 : 10);
        ::QueryPerformanceCounter(&now);
        if (!windowClass.empty() && visibleMs < 0) {
            if (!window && (window = FindChildWindow(windowClass.c_str(), info.dwProcessId)))
                windowMs = Milliseconds(start, now, frequency);
            if (window && ::IsWindowVisible(window)) visibleMs = Milliseconds(start, now, frequency);
        }
        sample();
        if (untilVisible && visibleMs >= 0 && wait == WAIT_TIMEOUT) {
            ::TerminateProcess(process.get(), 0);
            ::WaitForSingleObject(process.get(), INFINITE);
            break;
        }
    } while (wait == WAIT_TIMEOUT);
    ::QueryPerformanceCounter(&now);
    DWORD exitCode = 0;
    ::GetExitCodeProcess(process.get(), &exitCode);

    std::wprintf(L"elapsed_ms=%.1f\nexit_code=%lu\npeak_working_set=%llu\nwindow_ms=%.1f\nwindow_visible_ms=%.1f\n",
                 Milliseconds(start, now, frequency), exitCode, static_cast<unsigned long long>(peak), windowMs,
                 visibleMs);
    return 0;
}
