#pragma once
// The uninstall run of the uninstaller's copy: the log header, the installation found, the question
// (in a window, or none in the silent form), the running application refused, the removal, and the
// exit code deployment tools read.
#include <optional>
#include <string>

#include "engine/InstallRecord.h"
#include "uninstall/Installation.h"
#include "uninstall/Removal.h"

// The uninstaller's exit codes (the README lists them next to the setup's).
enum UninstallExitCode : int {
    ueRemoved = 0,             // everything of the installation is gone (the user's own files aside)
    ueNotEverythingRemoved = 1,  // something could not be removed; the uninstall entry stays for another run
    ueCancelled = 2,           // the user left without removing anything
    ueFailed = 3,              // the install record is damaged, or an unexpected error: nothing was removed
    ueApplicationRunning = 4,  // silent: the application runs, nothing was removed
    ueNotInstalled = 5,        // no installation was found
    ueDriveAbsent = 6,         // the removable drive was away: the machine's entries are gone, its files stay
};

int ExitCodeOf(const RemovalResult& result);

// The uninstaller window's caption, and the caption of its questions.
std::wstring UninstallTitle();

struct UninstallOutcome {
    int ExitCode = ueFailed;
    // The installation is gone: the started uninstaller and the folders holding it go once it has ended.
    bool InstallationGone = false;
    InstallRecord Record;
};

// The whole run for the uninstaller the user started (original): silently, or with its window.
UninstallOutcome RunUninstall(const std::wstring& original, bool silent);

// The silent form's steps once the installation is known, for the tests as well.
UninstallOutcome RemoveSilently(const Installation& installation, const std::wstring& original,
                                const std::wstring& language);

// The options of a removal started by the uninstaller at original.
RemovalOptions OptionsFor(const Installation& installation, const std::wstring& original, bool removeData);
