// Program body of VQUninstall.Exe: harden the DLL search, name the log, initialise COM, and run as
// the uninstaller the user started (which hands the work to a copy of itself) or as that copy.
#include <windows.h>
#include <shellapi.h>

#include <string>
#include <vector>

#include "services/Handles.h"
#include "services/VQError.h"
#include "texts/ErrorUnit.h"
#include "uninstall/Removal.h"
#include "uninstall/SelfRemoval.h"
#include "uninstall/Uninstaller.h"

namespace {
std::wstring OwnPath() {
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD n = ::GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (n < path.size()) return path.substr(0, n);
        path.resize(path.size() * 2);
    }
}

std::vector<std::wstring> Parameters() {
    std::vector<std::wstring> params;
    int count = 0;
    LPWSTR* argv = ::CommandLineToArgvW(::GetCommandLineW(), &count);
    const LocalMemory owned(argv);
    for (int i = 1; argv && i < count; ++i) params.emplace_back(argv[i]);
    return params;
}

int RunAsCopy(const CopyStart& start, const std::wstring& self) {
    KernelHandle resultPipe(start.ResultPipe), original(start.OriginalProcess);
    const UninstallOutcome outcome = RunUninstall(start.Original, start.Silent);
    AnswerOriginal(resultPipe.get(), outcome.ExitCode);
    // Closed at once: the original reads up to the end of the pipe.
    resultPipe.reset();
    if (outcome.InstallationGone) {
        if (WaitForOriginal(original.get())) RemoveRunningUninstaller(outcome.Record, start.Original);
        else WriteLog(L"The uninstaller " + start.Original + L" did not end; it stays");
    }
    ScheduleOwnRemoval(self);
    return outcome.ExitCode;
}
}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    // First of all: the copy runs from the temporary folder, where anyone may have dropped a DLL.
    // From here on only System32 is searched for DLLs loaded by name.
    ::SetDefaultDllDirectories(LOAD_LIBRARY_SEARCH_SYSTEM32);

    LogFileName = L"VQ_Setup_Log.Txt";
    ComApartment com;  // shortcuts are read through the shell's link object
    const int exitCode = CallbackGuard<int>(ueFailed, [&] {
        const std::wstring self = OwnPath();
        const std::vector<std::wstring> params = Parameters();
        if (const std::optional<CopyStart> start = ParseCopyStart(params)) return RunAsCopy(*start, self);
        try {
            return RunCopyOf(self, IsSilentCommandLine(params));
        } catch (const EVQError& error) {
            // Without its copy the uninstaller could not remove itself: it removes nothing.
            ReportError(error, L"");
            return static_cast<int>(ueFailed);
        }
    });
    LogFileName.clear();
    return exitCode;
}
