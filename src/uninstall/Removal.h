#pragma once
// The removal of one installation as its install record describes it, in the order that lets a
// failed removal be run again: links, the record's files, the INI file, the data (when asked),
// the folders the setup created, the file types, the settings key, and the uninstall entry last.
#include <string>
#include <vector>

#include "engine/InstallRecord.h"

struct RemovalOptions {
    // "Remove data": the data folder's remaining contents go to the recycle bin.
    bool RemoveData = false;
    // The uninstaller the user started, which cannot go while it runs: its file and the folders
    // holding it are left for the uninstaller's copy to remove once it has ended.
    std::wstring RunningUninstaller;
    // The record's own file, removed with the uninstall entry.
    std::wstring RecordFile;
    // Folders that are never given to the recycle bin, nor anything holding one of them: the
    // shell's special folders (the public folder, Documents, the desktops, ...).
    std::vector<std::wstring> ProtectedFolders;
};

struct RemovalResult {
    std::vector<std::wstring> Failed;   // what should have gone and could not, as the log names it
    std::vector<std::wstring> Changed;  // files the user changed since the setup wrote them, left
    bool DriveAbsent = false;           // the removable drive was away: its files were left
    bool EntryRemoved = false;          // the uninstall entry is gone: the installation is no more
    bool Complete() const { return Failed.empty() && !DriveAbsent; }
};

RemovalResult RemoveInstallation(const InstallRecord& record, const RemovalOptions& options);

// After the started uninstaller has ended: its file when it is still the one the record holds
// (same size), and then the folders of the record that are empty now. Failures are logged only:
// the installation is gone by then.
void RemoveRunningUninstaller(const InstallRecord& record, const std::wstring& uninstaller);

// The shell's special folders of this user and of all users: what "Remove data" must never take.
std::vector<std::wstring> ShellSpecialFolders();
// Whether the recycle bin may take this folder: no drive or share root, no special folder and no
// folder holding one.
bool MayRecycle(const std::wstring& folder, const std::vector<std::wstring>& protectedFolders);
// Whether path lies in folder (or is it); folder ends with a backslash.
bool IsInFolder(const std::wstring& path, const std::wstring& folder);
