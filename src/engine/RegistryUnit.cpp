// The registry entries of the installation: the uninstall entry the system's program list shows,
// the settings key the next setup starts from, and the application's two file types.
#include <windows.h>
#include <shlobj.h>

#include <cstdint>

#include "VQVersion.h"
#include "engine/InstallRecord.h"
#include "engine/InstallUnit.h"
#include "engine/ProductNames.h"
#include "services/Handles.h"
#include "services/UtillityUnit.h"
#include "services/VQError.h"
#include "texts/ErrorUnit.h"

namespace {
constexpr wchar_t kDisplayName[] = L"Vessas Quorin " VQ_VERSION_WIDE;
constexpr wchar_t kDisplayVersion[] = VQ_VERSION_WIDE;
constexpr wchar_t kPublisher[] = L"Vessa Software";
// Older setups and the installed application read this value and expect exactly this text,
// whatever folder was chosen.
constexpr wchar_t kUserDir[] = L"C:\\Programme\\VessasQuorin";
constexpr wchar_t kFileTypeDescription[] = L"Vessa's Quorin Backup";

struct FindTraits {
    using Type = HANDLE;
    static Type Empty() noexcept { return INVALID_HANDLE_VALUE; }
    static void Close(Type h) noexcept { ::FindClose(h); }
};
using FindHandle = UniqueHandle<FindTraits>;

// A key opened for writing, created when missing; empty when it cannot be opened, which for the
// machine-wide key simply means the user lacks the rights.
RegKey CreateKeyForWriting(HKEY root, const std::wstring& path) {
    RegKey key;
    if (::RegCreateKeyExW(root, path.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_SET_VALUE, nullptr, key.put(),
                          nullptr) != ERROR_SUCCESS)
        key.reset();
    return key;
}

void SetValue(const RegKey& key, const std::wstring& keyPath, const std::wstring& name, DWORD type,
              const void* data, DWORD bytes) {
    const LSTATUS status = ::RegSetValueExW(key.get(), name.empty() ? nullptr : name.c_str(), 0, type,
                                            static_cast<const BYTE*>(data), bytes);
    if (status != ERROR_SUCCESS)
        throw EVQError(L"Cannot write the value \"" + name + L"\" of " + keyPath + L" (error " +
                       std::to_wstring(status) + L")");
}
void WriteString(const RegKey& key, const std::wstring& keyPath, const std::wstring& name, const std::wstring& value) {
    SetValue(key, keyPath, name, REG_SZ, value.c_str(), static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
}
void WriteInteger(const RegKey& key, const std::wstring& keyPath, const std::wstring& name, DWORD value) {
    SetValue(key, keyPath, name, REG_DWORD, &value, sizeof value);
}

std::wstring YesNo(bool flag) { return flag ? L"Y" : L"N"; }

std::wstring InstallTime(const SYSTEMTIME& t) {
    return std::to_wstring(t.wYear) + L"," + std::to_wstring(t.wMonth) + L"," + std::to_wstring(t.wDay) + L"," +
           std::to_wstring(t.wHour) + L"," + std::to_wstring(t.wMinute) + L"," + std::to_wstring(t.wSecond);
}

// Bytes of the files in a folder (and its sub-folders when asked). Links and junctions are not
// followed: what they point at belongs to someone else, and they can loop.
std::uint64_t FolderBytes(const std::wstring& folder, bool recursive) {
    std::uint64_t total = 0;
    WIN32_FIND_DATAW found{};
    FindHandle find(::FindFirstFileExW((folder + L"*").c_str(), FindExInfoBasic, &found, FindExSearchNameMatch,
                                       nullptr, 0));
    if (!find) return 0;
    do {
        const std::wstring name = found.cFileName;
        if ((found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
            if (recursive && name != L"." && name != L".." && (found.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) == 0)
                total += FolderBytes(folder + name + L"\\", true);
        } else {
            total += (static_cast<std::uint64_t>(found.nFileSizeHigh) << 32) | found.nFileSizeLow;
        }
    } while (::FindNextFileW(find.get(), &found));
    return total;
}

// The program list's size column, in KB. The run leaves the application in the Bin folder and the
// uninstaller beside it; the data folder is left out because it soon holds the user's own files,
// which an uninstall leaves where they are.
DWORD EstimatedSizeKB(const SetupChoices& choices) {
    const std::wstring bin = GetProgramFolder(choices, true);
    const std::wstring uninstall = GetUninstallFolder(choices);
    std::uint64_t bytes = FolderBytes(bin, true);
    if (UpperCase(uninstall) != UpperCase(bin)) bytes += FolderBytes(uninstall, false);
    const std::uint64_t kb = (bytes + 1023) / 1024;
    return kb > MAXDWORD ? MAXDWORD : static_cast<DWORD>(kb);
}

void WriteUninstallEntry(const SetupChoices& choices, InstallRecord* record) {
    const std::wstring path = L"HKEY_LOCAL_MACHINE\\" + std::wstring(kUninstallKey);
    RegKey key = CreateKeyForWriting(HKEY_LOCAL_MACHINE, kUninstallKey);
    // Without administrator rights the entry cannot be made; the installation is still usable.
    if (!key) return;
    const std::wstring bin = GetProgramFolder(choices, true);
    // The record knows where the run keeps the uninstaller (for a removable drive, on the machine).
    const std::wstring uninstaller =
        record ? record->Uninstaller : GetUninstallFolder(choices) + kUninstallerFile;
    // Quoted: unquoted, Windows would try "C:\Program.exe" first for a folder with blanks.
    const std::wstring command = L"\"" + uninstaller + L"\"";
    WriteString(key, path, L"UserDir", kUserDir);
    WriteString(key, path, L"DisplayName", kDisplayName);
    WriteString(key, path, L"DisplayIcon", bin + L"VQ_Icon.Ico");
    WriteString(key, path, L"DisplayVersion", kDisplayVersion);
    WriteString(key, path, L"UninstallString", command);
    // The uninstaller removes the entry only while it still starts this installation's uninstaller.
    if (record) record->UninstallEntry = RecordedKey{kUninstallKey, command};
    WriteInteger(key, path, L"NoModify", 1);
    WriteInteger(key, path, L"NoRepair", 1);
    // What the program list and deployment tools read besides; the unattended form is where they look.
    WriteString(key, path, L"QuietUninstallString", command + L" silent");
    WriteString(key, path, L"InstallLocation", GetProgramFolder(choices, false));
    WriteString(key, path, L"Publisher", kPublisher);
    WriteInteger(key, path, L"EstimatedSize", EstimatedSizeKB(choices));
}

void WriteSettings(const SetupChoices& choices, const SYSTEMTIME& now, InstallRecord* record) {
    // A hotfix keeps the choices of the installation it refreshes, for the next setup as well.
    if (choices.IsHotfix) return;
    const std::wstring path = L"HKEY_CURRENT_USER\\" + std::wstring(kSettingsKey);
    RegKey key = CreateKeyForWriting(HKEY_CURRENT_USER, kSettingsKey);
    if (!key) return;
    // The folder names are crossed: the program folder is stored as "DataFolder" and the other way
    // round. Every earlier setup wrote them so, and the reader undoes the same crossing.
    WriteString(key, path, kValueOfProgramFolder, choices.ProgramFolder);
    WriteString(key, path, kValueOfDataFolder, choices.DataFolder);
    WriteString(key, path, kValueOfRemoveableProgramFolder, choices.RemoveableProgramFolder);
    WriteString(key, path, kValueOfRemoveableDataFolder, choices.RemoveableDataFolder);
    WriteString(key, path, kValueLanguage, choices.Language);
    WriteString(key, path, kValueStartMenuEntry, YesNo(choices.MakeStartMenuEntry));
    WriteString(key, path, kValueDesktopLink, YesNo(choices.MakeDesktopLink));
    WriteString(key, path, kValueCheckUpdates, YesNo(choices.CheckUpdates));
    WriteString(key, path, kValueUseRemoveable, YesNo(choices.UseRemoveable));
    WriteString(key, path, kValueDateFormat, choices.DateFormat);
    WriteString(key, path, L"InstallTime", InstallTime(now));
    // The moment tells this installation's key from one a later installation elsewhere wrote.
    if (record) record->Settings = RecordedKey{kSettingsKey, InstallTime(now)};
}

// One row of the file-type table, as the current user's registration: it needs no administrator
// rights. A key that cannot be opened is passed over; a value that cannot be written ends the row.
void RegisterFileType(const SetupChoices& choices, const FileTypeNames& type, InstallRecord* record) {
    const std::wstring bin = GetProgramFolder(choices, true);
    const std::wstring typeName = type.TypeName;
    const std::wstring command = OpenCommandOf(bin);
    const struct { std::wstring Key, Value; } rows[] = {
        {kClassesKey + std::wstring(type.Extension), typeName},
        {kClassesKey + typeName, kFileTypeDescription},
        {kClassesKey + typeName + L"\\DefaultIcon", bin + type.IconFile},
        {kClassesKey + typeName + L"\\shell\\open\\command", command},
    };
    for (const auto& row : rows) {
        RegKey key = CreateKeyForWriting(HKEY_CURRENT_USER, row.Key);
        if (key) WriteString(key, L"HKEY_CURRENT_USER\\" + row.Key, L"", row.Value);
    }
    // The open command is what makes the type this installation's: the uninstaller removes the type
    // only while the command still reads so.
    if (record) record->AddFileType({type.Extension, typeName, command});
}
}  // namespace

void WriteRegistry(const SetupChoices& choices, InstallRecord* record) {
    // One moment for the whole step, taken before any key is touched.
    SYSTEMTIME now{};
    ::GetLocalTime(&now);
    // Each section reports its own failure and the next one runs regardless.
    Guarded(L"HKEY_LOCAL_MACHINE Uninst", [&] { WriteUninstallEntry(choices, record); });
    Guarded(L"HKEY_CURRENT_USER Setup", [&] { WriteSettings(choices, now, record); });
    // A user's classes key that did not exist before (a fresh Wine prefix has none) is the setup's.
    const auto classesExist = [] {
        RegKey classes;
        return ::RegOpenKeyExW(HKEY_CURRENT_USER, L"Software\\Classes", 0, KEY_READ, classes.put()) == ERROR_SUCCESS;
    };
    const bool classesExisted = classesExist();
    for (const FileTypeNames& type : kFileTypes)
        Guarded(L"HKEY_CURRENT_USER FileType", [&] { RegisterFileType(choices, type, record); });
    if (record && !classesExisted && classesExist()) record->AddCreatedKey({L"HKCU", L"Software\\Classes"});
    // Explorer caches icons and open commands per extension until told.
    ::SHChangeNotify(SHCNE_ASSOCCHANGED, SHCNF_IDLIST, nullptr, nullptr);
}
