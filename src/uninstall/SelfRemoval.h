#pragma once
// How the uninstaller removes itself. A program cannot delete its own running file, so the
// uninstaller the user started (the original) copies itself to the temporary folder, starts the copy
// with its own path, and waits for the copy's answer, which it hands on as its exit code, so that a
// program list or a deployment tool waiting for the original sees the result. The copy does the
// work, answers, waits for the original to end, removes it and the folders that held it, and asks
// for its own removal: its file was opened with FILE_FLAG_DELETE_ON_CLOSE by the original and the
// handle inherited, so the file goes when the copy ends where the system allows that (Wine does);
// where the system keeps the file of a program that has just ended, it goes at the next start.
#include <windows.h>

#include <optional>
#include <string>
#include <vector>

// What the copy is started with: "/VQCOPY" ORIGINAL RESULTPIPE ORIGINALPROCESS [silent]. The two
// handles were inherited from the original; the copy owns them once it has taken them up.
struct CopyStart {
    std::wstring Original;
    HANDLE ResultPipe = nullptr;       // the copy writes its exit code into it
    HANDLE OriginalProcess = nullptr;  // the original, to wait for its end
    bool Silent = false;
};
// The copy's start, or nothing for any other command line (or handles that are no handles).
std::optional<CopyStart> ParseCopyStart(const std::vector<std::wstring>& params);
// The command line "silent" alone, in any case.
bool IsSilentCommandLine(const std::vector<std::wstring>& params);

// The original's whole life: the copy made, started and answered for. Raises EVQError when the copy
// cannot be made or started.
int RunCopyOf(const std::wstring& self, bool silent);

// The copy's side: the exit code handed to the original, which ends once it has it.
void AnswerOriginal(HANDLE resultPipe, int exitCode);
// Waits (bounded) for the original to end.
bool WaitForOriginal(HANDLE originalProcess);
// The copy's own file goes at the next start of the system where it outlives the copy.
void ScheduleOwnRemoval(const std::wstring& self);
