// The install run's part in the install record: an earlier record taken up, the removable
// installation's uninstaller placed on the machine, and the record written at the end.
#include <windows.h>

#include "engine/InstallRecord.h"
#include "engine/InstallRecordFile.h"
#include "engine/InstallUnit.h"
#include "engine/ProductNames.h"
#include "services/UtillityUnit.h"
#include "services/VQError.h"
#include "texts/ErrorUnit.h"

namespace {
std::wstring FolderOf(const std::wstring& path) { return path.substr(0, path.find_last_of(L'\\') + 1); }

void MakeHome(InstallRecord& record, const std::wstring& folder) {
    const std::vector<std::wstring> missing = MissingFolders(folder);
    if (!Utillity::MakeFolderPath(folder))
        throw EVQError(L"Cannot create the folder " + folder + L" (error " + std::to_wstring(::GetLastError()) + L")");
    NoteCreatedFolders(&record, missing);
}
}  // namespace

InstallRecord BeginInstallRecord(const SetupChoices& choices, const ShellFolders& shell, const std::wstring& versionName) {
    InstallRecord record;
    const std::wstring home = GetUninstallerFolder(choices, shell);
    const std::wstring path = home + kInstallRecordFileName;
    try {
        if (std::optional<InstallRecord> earlier = ReadInstallRecordFile(path)) {
            WriteLog(L"InstallRecord: taking up " + path);
            record = std::move(*earlier);
        }
    } catch (const EVQError& error) {
        // What this run writes is known for certain; an earlier record that cannot be read would
        // only keep the uninstaller from removing anything at all.
        WriteLog(L"InstallRecord: " + error.Message() + L"; a new record replaces it");
    }
    record.Archive = versionName;
    NoteInstallationFolders(record, choices);
    record.Uninstaller = home + kUninstallerFile;
    return record;
}

void NoteCreatedFolders(InstallRecord* record, const std::vector<std::wstring>& missing) {
    if (!record) return;
    for (const std::wstring& folder : missing)
        if (Utillity::DirExists(folder)) record->AddFolder(folder);
}

void PlaceUninstaller(const SetupChoices& choices, InstallRecord& record) {
    const std::wstring placed = GetUninstallFolder(choices) + kUninstallerFile;
    // An archive without an uninstaller has nothing to copy.
    if (SamePath(record.Uninstaller, placed) || !Utillity::FileExists(placed)) return;
    Guarded(L"Uninstaller", [&] {
        MakeHome(record, FolderOf(record.Uninstaller));
        WriteLog(L"CopyUninstaller: " + record.Uninstaller);
        if (!::CopyFileW(placed.c_str(), record.Uninstaller.c_str(), FALSE))
            throw EVQError(L"Cannot copy " + placed + L" to " + record.Uninstaller + L" (error " +
                           std::to_wstring(::GetLastError()) + L")");
        record.AddFile(record.Uninstaller, FileSizeOf(record.Uninstaller));
    });
}

void SaveInstallRecord(InstallRecord& record) {
    Guarded(L"InstallRecord", [&] {
        const std::wstring home = FolderOf(record.Uninstaller);
        MakeHome(record, home);
        const std::wstring path = home + kInstallRecordFileName;
        WriteLog(L"InstallRecord: " + path);
        WriteInstallRecordFile(path, record);
    });
}
