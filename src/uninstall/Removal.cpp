// Removing what an install record lists. Every step logs what it does in the setup log's
// vocabulary; nothing is removed that the record does not name, and of what it names only what the
// machine still shows to be the setup's.
#include "uninstall/Removal.h"

#include <windows.h>
#include <shellapi.h>
#include <shlobj.h>

#include <algorithm>

#include "engine/ProductNames.h"
#include "services/Handles.h"
#include "services/UtillityUnit.h"
#include "texts/ErrorUnit.h"

namespace {
std::wstring ErrorText(DWORD error) { return L" (error " + std::to_wstring(error) + L")"; }

std::int64_t SizeOnDisk(const std::wstring& path) {
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (!::GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data)) return -1;
    return (static_cast<std::int64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
}

// Deleted for good, as every uninstaller deletes program files; a read-only copy too.
bool DeleteForGood(const std::wstring& path, DWORD& error) {
    if (::DeleteFileW(path.c_str())) return true;
    error = ::GetLastError();
    if (error == ERROR_ACCESS_DENIED && ::SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL) &&
        ::DeleteFileW(path.c_str()))
        return true;
    error = ::GetLastError();
    return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND;
}

std::wstring Unquoted(std::wstring text) {
    if (text.size() >= 2 && text.front() == L'"' && text.back() == L'"') text = text.substr(1, text.size() - 2);
    return text;
}

// A string value of a key; nothing when the key or the value is missing.
std::optional<std::wstring> ReadText(HKEY root, const std::wstring& key, const wchar_t* name) {
    DWORD bytes = 0;
    if (::RegGetValueW(root, key.c_str(), name, RRF_RT_REG_SZ | RRF_RT_REG_EXPAND_SZ | RRF_NOEXPAND, nullptr, nullptr,
                       &bytes) != ERROR_SUCCESS)
        return std::nullopt;
    std::wstring value(bytes / sizeof(wchar_t) + 1, L'\0');
    bytes = static_cast<DWORD>(value.size() * sizeof(wchar_t));
    if (::RegGetValueW(root, key.c_str(), name, RRF_RT_REG_SZ | RRF_RT_REG_EXPAND_SZ | RRF_NOEXPAND, nullptr,
                       value.data(), &bytes) != ERROR_SUCCESS)
        return std::nullopt;
    value.resize(wcslen(value.c_str()));
    return value;
}

// The folders the setup created that are empty now, the deepest first: a folder empties only once
// its sub-folders are gone. One holding the user's files, or the running uninstaller, stays.
void RemoveEmptyFolders(std::vector<std::wstring> folders, const std::wstring& skippedDrive,
                        std::vector<std::wstring>* failed) {
    std::stable_sort(folders.begin(), folders.end(), [](const std::wstring& a, const std::wstring& b) {
        return std::count(a.begin(), a.end(), L'\\') > std::count(b.begin(), b.end(), L'\\');
    });
    for (const std::wstring& folder : folders) {
        if ((!skippedDrive.empty() && IsInFolder(folder, skippedDrive)) || Utillity::IsRootFolder(folder) ||
            !Utillity::DirExists(folder))
            continue;
        if (::RemoveDirectoryW(folder.c_str())) {
            WriteLog(L"RemoveFolder: " + folder);
            continue;
        }
        const DWORD error = ::GetLastError();
        if (error == ERROR_DIR_NOT_EMPTY) {
            WriteLog(L"KeepFolder (not empty): " + folder);
        } else {
            WriteLog(L"Cannot remove " + folder + ErrorText(error));
            if (failed) failed->push_back(folder + ErrorText(error));
        }
    }
}

class Removal {
public:
    Removal(const InstallRecord& record, const RemovalOptions& options) : record_(record), options_(options) {
        // A removable installation's drive may be away; what lies on it stays, the machine's entries go.
        if (record_.Removable && Utillity::IsAbsolutePath(record_.ProgramFolder)) {
            const std::wstring root = record_.ProgramFolder.substr(0, 3);
            if (root[1] == L':' && !Utillity::DirExists(root)) {
                absentDrive_ = root;
                result_.DriveAbsent = true;
                WriteLog(L"RemovableDisk: " + root + L" is not present; the files on it are left");
            }
        }
    }

    RemovalResult Run() {
        for (const std::wstring& link : record_.Links) RemoveLink(link);
        for (const RecordedFile& file : record_.Files) RemoveRecordedFile(file);
        if (!record_.IniFile.empty() && !OnAbsentDrive(record_.IniFile)) RemoveIniFile();
        if (options_.RemoveData) RecycleData();
        RemoveEmptyFolders(record_.Folders, absentDrive_, &result_.Failed);
        for (const RecordedFileType& type : record_.FileTypes) RemoveFileType(type);
        for (auto key = record_.CreatedKeys.rbegin(); key != record_.CreatedKeys.rend(); ++key) RemoveEmptyKey(*key);
        if (!record_.FileTypes.empty()) ::SHChangeNotify(SHCNE_ASSOCCHANGED, SHCNF_IDLIST, nullptr, nullptr);
        if (record_.Settings) RemoveSettings(*record_.Settings);
        RemoveUninstallEntry();
        // The record was the last file of the uninstall folder, unless the running uninstaller is.
        if (result_.EntryRemoved) RemoveEmptyFolders(record_.Folders, absentDrive_, &result_.Failed);
        return result_;
    }

    void Fail(const std::wstring& what) {
        WriteLog(L"Cannot remove " + what);
        result_.Failed.push_back(what);
    }

    bool OnAbsentDrive(const std::wstring& path) const {
        return !absentDrive_.empty() && IsInFolder(path, absentDrive_);
    }

    void RemoveLink(const std::wstring& link) {
        if (OnAbsentDrive(link) || !Utillity::FileExists(link)) return;
        WriteLog(L"RemoveLink: " + link);
        DWORD error = 0;
        if (!DeleteForGood(link, error)) Fail(link + ErrorText(error));
    }

    void RemoveRecordedFile(const RecordedFile& file) {
        if (OnAbsentDrive(file.Path)) return;
        // The uninstaller the user started goes once it has ended.
        if (!options_.RunningUninstaller.empty() && SamePath(file.Path, options_.RunningUninstaller)) return;
        const std::int64_t size = SizeOnDisk(file.Path);
        if (size < 0) return;
        if (size != file.Size) {
            WriteLog(L"KeepFile (changed by the user): " + file.Path);
            result_.Changed.push_back(file.Path);
            return;
        }
        WriteLog(L"RemoveFile: " + file.Path);
        DWORD error = 0;
        if (!DeleteForGood(file.Path, error)) Fail(file.Path + ErrorText(error));
    }

    void RemoveIniFile() {
        if (!Utillity::FileExists(record_.IniFile)) return;
        WriteLog(L"RemoveIniFile: " + record_.IniFile);
        DWORD error = 0;
        if (!DeleteForGood(record_.IniFile, error)) Fail(record_.IniFile + ErrorText(error));
    }

    // What is left in the folders the setup created for the data, through the recycle bin, so that a
    // user who ticked "Remove data" by mistake can restore it; the topmost of them each as a whole.
    void RecycleData() {
        const std::wstring data = Utillity::AddBackslash(record_.DataFolder);
        if (!Utillity::IsAbsolutePath(data) || OnAbsentDrive(data)) return;
        std::vector<std::wstring> tops;
        for (const std::wstring& folder : record_.Folders) {
            if (!IsInFolder(folder, data)) continue;
            if (std::any_of(record_.Folders.begin(), record_.Folders.end(), [&](const std::wstring& other) {
                    return !SamePath(other, folder) && IsInFolder(other, data) && IsInFolder(folder, other);
                }))
                continue;
            tops.push_back(folder);
        }
        for (const std::wstring& folder : tops) {
            if (!Utillity::DirExists(folder)) continue;
            // The uninstaller and the program, wherever the user put the data, are not data.
            if (!MayRecycle(folder, options_.ProtectedFolders) || IsInFolder(record_.UninstallFolder, folder) ||
                IsInFolder(record_.BinFolder, folder)) {
                WriteLog(L"KeepFolder (not the setup's to recycle): " + folder);
                continue;
            }
            WriteLog(L"RecycleFolder: " + folder);
            std::wstring from = folder.substr(0, folder.size() - 1);
            from.push_back(L'\0');
            SHFILEOPSTRUCTW op{};
            op.wFunc = FO_DELETE;
            op.pFrom = from.c_str();
            op.fFlags = FOF_ALLOWUNDO | FOF_NOCONFIRMATION | FOF_SILENT | FOF_NOERRORUI;
            const int status = ::SHFileOperationW(&op);
            if (status != 0 || op.fAnyOperationsAborted || Utillity::DirExists(folder))
                Fail(folder + L" (shell error " + std::to_wstring(status) + L")");
        }
    }

    // Only while the type still opens with this installation's program: another installation may
    // have taken it over since, and then it is that one's.
    void RemoveFileType(const RecordedFileType& type) {
        const std::wstring typeKey = kClassesKey + type.TypeName;
        const std::optional<std::wstring> command = ReadText(HKEY_CURRENT_USER, typeKey + L"\\shell\\open\\command", nullptr);
        if (!command) return;
        if (*command != type.OpenCommand) {
            WriteLog(L"KeepFileType (opens another program): " + type.Extension);
            return;
        }
        WriteLog(L"RemoveFileType: " + type.Extension);
        const LSTATUS status = ::RegDeleteTreeW(HKEY_CURRENT_USER, typeKey.c_str());
        if (status != ERROR_SUCCESS) Fail(L"HKEY_CURRENT_USER\\" + typeKey + ErrorText(static_cast<DWORD>(status)));
        // The extension's key may hold what other programs put there (Open With lists): only its
        // pointer to the type goes, and the key itself when nothing else is left.
        const std::wstring extensionKey = kClassesKey + type.Extension;
        if (ReadText(HKEY_CURRENT_USER, extensionKey, nullptr) != type.TypeName) return;
        RegKey key;
        if (::RegOpenKeyExW(HKEY_CURRENT_USER, extensionKey.c_str(), 0, KEY_SET_VALUE | KEY_QUERY_VALUE, key.put()) !=
            ERROR_SUCCESS)
            return;
        ::RegDeleteValueW(key.get(), nullptr);
        DWORD subkeys = 0, values = 0;
        const bool empty = ::RegQueryInfoKeyW(key.get(), nullptr, nullptr, nullptr, &subkeys, nullptr, nullptr, &values,
                                              nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS &&
                           subkeys == 0 && values == 0;
        key.reset();
        if (empty) ::RegDeleteKeyW(HKEY_CURRENT_USER, extensionKey.c_str());
    }

    // A key the setup created goes once nothing is left in it.
    void RemoveEmptyKey(const CreatedKey& created) {
        const HKEY root = created.Root == L"HKLM" ? HKEY_LOCAL_MACHINE : HKEY_CURRENT_USER;
        RegKey key;
        if (::RegOpenKeyExW(root, created.Path.c_str(), 0, KEY_QUERY_VALUE, key.put()) != ERROR_SUCCESS) return;
        DWORD subkeys = 0, values = 0;
        const bool empty = ::RegQueryInfoKeyW(key.get(), nullptr, nullptr, nullptr, &subkeys, nullptr, nullptr, &values,
                                              nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS &&
                           subkeys == 0 && values == 0;
        key.reset();
        const std::wstring name = (created.Root == L"HKLM" ? L"HKEY_LOCAL_MACHINE\\" : L"HKEY_CURRENT_USER\\") + created.Path;
        if (!empty) {
            WriteLog(L"KeepKey (not empty): " + name);
            return;
        }
        WriteLog(L"RemoveKey: " + name);
        const LSTATUS status = ::RegDeleteKeyW(root, created.Path.c_str());
        if (status != ERROR_SUCCESS) Fail(name + ErrorText(static_cast<DWORD>(status)));
    }

    // Only while it holds this installation's moment: a later installation elsewhere rewrote it.
    // An installation without a record knows no moment: its key is the one it was found by.
    void RemoveSettings(const RecordedKey& settings) {
        RegKey key;
        if (::RegOpenKeyExW(HKEY_CURRENT_USER, settings.Key.c_str(), 0, KEY_READ, key.put()) != ERROR_SUCCESS) return;
        key.reset();
        if (!settings.Value.empty() && ReadText(HKEY_CURRENT_USER, settings.Key, L"InstallTime") != settings.Value) {
            WriteLog(L"KeepSettings (written by another installation): HKEY_CURRENT_USER\\" + settings.Key);
            return;
        }
        WriteLog(L"RemoveSettings: HKEY_CURRENT_USER\\" + settings.Key);
        const LSTATUS status = ::RegDeleteTreeW(HKEY_CURRENT_USER, settings.Key.c_str());
        if (status != ERROR_SUCCESS) Fail(L"HKEY_CURRENT_USER\\" + settings.Key + ErrorText(static_cast<DWORD>(status)));
    }

    // Last, and only when everything before went: otherwise the entry stays, so that the removal
    // can be run again from the program list. The record goes with it.
    void RemoveUninstallEntry() {
        if (!result_.Failed.empty()) {
            WriteLog(L"KeepUninstallEntry: not everything could be removed; the removal can be run again");
            return;
        }
        if (record_.UninstallEntry) {
            const RecordedKey& entry = *record_.UninstallEntry;
            const std::optional<std::wstring> command = ReadText(HKEY_LOCAL_MACHINE, entry.Key, L"UninstallString");
            if (command && !SamePath(Unquoted(*command), Unquoted(entry.Value))) {
                WriteLog(L"KeepUninstallEntry (starts another uninstaller): HKEY_LOCAL_MACHINE\\" + entry.Key);
            } else if (command) {
                WriteLog(L"RemoveUninstallEntry: HKEY_LOCAL_MACHINE\\" + entry.Key);
                const LSTATUS status = ::RegDeleteTreeW(HKEY_LOCAL_MACHINE, entry.Key.c_str());
                if (status != ERROR_SUCCESS) {
                    Fail(L"HKEY_LOCAL_MACHINE\\" + entry.Key + ErrorText(static_cast<DWORD>(status)));
                    return;
                }
            }
        }
        result_.EntryRemoved = true;
        if (!options_.RecordFile.empty() && Utillity::FileExists(options_.RecordFile)) {
            WriteLog(L"RemoveFile: " + options_.RecordFile);
            DWORD error = 0;
            if (!DeleteForGood(options_.RecordFile, error)) WriteLog(L"Cannot remove " + options_.RecordFile + ErrorText(error));
        }
    }

private:
    const InstallRecord& record_;
    const RemovalOptions& options_;
    std::wstring absentDrive_;
    RemovalResult result_;
};
}  // namespace

bool IsInFolder(const std::wstring& path, const std::wstring& folder) {
    const std::wstring base = Utillity::AddBackslash(folder);
    return !base.empty() && path.size() >= base.size() && SamePath(UpperCase(path.substr(0, base.size())), UpperCase(base));
}

bool MayRecycle(const std::wstring& folder, const std::vector<std::wstring>& protectedFolders) {
    const std::wstring base = Utillity::AddBackslash(folder);
    if (!Utillity::IsAbsolutePath(base) || Utillity::IsRootFolder(base)) return false;
    return std::none_of(protectedFolders.begin(), protectedFolders.end(),
                        [&](const std::wstring& special) { return !special.empty() && IsInFolder(special, base); });
}

std::vector<std::wstring> ShellSpecialFolders() {
    static constexpr int kFolders[] = {
        CSIDL_DESKTOPDIRECTORY, CSIDL_COMMON_DESKTOPDIRECTORY, CSIDL_PERSONAL, CSIDL_COMMON_DOCUMENTS,
        CSIDL_MYMUSIC, CSIDL_MYPICTURES, CSIDL_MYVIDEO, CSIDL_COMMON_MUSIC, CSIDL_COMMON_PICTURES,
        CSIDL_COMMON_VIDEO, CSIDL_PROFILE, CSIDL_APPDATA, CSIDL_LOCAL_APPDATA, CSIDL_COMMON_APPDATA,
        CSIDL_PROGRAMS, CSIDL_COMMON_PROGRAMS, CSIDL_STARTMENU, CSIDL_COMMON_STARTMENU, CSIDL_FAVORITES,
        CSIDL_PROGRAM_FILES, CSIDL_PROGRAM_FILESX86, CSIDL_PROGRAM_FILES_COMMON, CSIDL_WINDOWS, CSIDL_SYSTEM,
        CSIDL_TEMPLATES, CSIDL_COMMON_TEMPLATES,
    };
    std::vector<std::wstring> folders;
    for (const int csidl : kFolders) {
        wchar_t path[MAX_PATH] = {};
        if (SUCCEEDED(::SHGetFolderPathW(nullptr, csidl, nullptr, SHGFP_TYPE_CURRENT, path)) && path[0])
            folders.push_back(Utillity::AddBackslash(path));
    }
    // The public folder is the parent of the all-users desktop, and has no number of its own here.
    wchar_t desktop[MAX_PATH] = {};
    if (SUCCEEDED(::SHGetFolderPathW(nullptr, CSIDL_COMMON_DESKTOPDIRECTORY, nullptr, SHGFP_TYPE_CURRENT, desktop))) {
        std::wstring publicFolder = desktop;
        publicFolder = publicFolder.substr(0, publicFolder.find_last_of(L'\\') + 1);
        if (Utillity::IsAbsolutePath(publicFolder)) folders.push_back(publicFolder);
    }
    const std::wstring temp = Utillity::GetTempFolder();
    if (!temp.empty()) folders.push_back(temp);
    return folders;
}

RemovalResult RemoveInstallation(const InstallRecord& record, const RemovalOptions& options) {
    return Removal(record, options).Run();
}

void RemoveRunningUninstaller(const InstallRecord& record, const std::wstring& uninstaller) {
    const RecordedFile* file = record.FindFile(uninstaller);
    if (file && SizeOnDisk(uninstaller) == file->Size) {
        WriteLog(L"RemoveFile: " + uninstaller);
        DWORD error = 0;
        // The system may still hold the file of a program that has just ended for a moment.
        bool removed = false;
        for (int attempt = 0; attempt < 50 && !(removed = DeleteForGood(uninstaller, error)); ++attempt) ::Sleep(100);
        if (!removed) {
            WriteLog(L"Cannot remove " + uninstaller + ErrorText(error) + L"; it goes at the next start of Windows");
            ::MoveFileExW(uninstaller.c_str(), nullptr, MOVEFILE_DELAY_UNTIL_REBOOT);
        }
    }
    RemoveEmptyFolders(record.Folders, L"", nullptr);
}
