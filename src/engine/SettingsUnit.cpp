// The previous installation's choices, read back from the current user's settings key that the
// install run writes (engine/RegistryUnit.cpp); both take the names from engine/ProductNames.h.
#include "engine/SettingsUnit.h"

#include <windows.h>

#include <string>

#include "services/Handles.h"
#include "services/VQError.h"
#include "texts/Languages.h"
#include "engine/ProductNames.h"

namespace {
// A missing value reads as empty. A value of another type than a string is no setting this
// program wrote, and raises an error.
std::wstring ReadString(const RegKey& key, const wchar_t* name) {
    DWORD type = 0;
    DWORD bytes = 0;
    LSTATUS status = ::RegQueryValueExW(key.get(), name, nullptr, &type, nullptr, &bytes);
    if (status == ERROR_FILE_NOT_FOUND) return L"";
    if (status != ERROR_SUCCESS || (type != REG_SZ && type != REG_EXPAND_SZ))
        throw EVQError(std::wstring(L"Invalid setting ") + name);
    // Room for a terminating zero the stored data may lack.
    std::wstring value(bytes / sizeof(wchar_t) + 1, L'\0');
    bytes = static_cast<DWORD>(value.size() * sizeof(wchar_t));
    status = ::RegQueryValueExW(key.get(), name, nullptr, &type, reinterpret_cast<BYTE*>(value.data()), &bytes);
    if (status != ERROR_SUCCESS) throw EVQError(std::wstring(L"Invalid setting ") + name);
    value.resize(bytes / sizeof(wchar_t));
    const size_t end = value.find(L'\0');
    if (end != std::wstring::npos) value.resize(end);
    return value;
}

// Only "Y" means yes; an older or damaged value of any other text means no, and a value never
// written keeps the setup's own default.
bool ReadFlag(const RegKey& key, const wchar_t* name, bool unset) {
    const std::wstring value = ReadString(key, name);
    return value.empty() ? unset : value == L"Y";
}
}  // namespace

bool ReadStoredSettings(StoredSettings& settings) {
    settings = StoredSettings{};
    RegKey key;
    // Opened for reading only: a machine that never saw an installation keeps no trace of this start.
    const LSTATUS status = ::RegOpenKeyExW(HKEY_CURRENT_USER, kSettingsKey, 0, KEY_QUERY_VALUE, key.put());
    if (status == ERROR_FILE_NOT_FOUND) return false;
    if (status != ERROR_SUCCESS) throw EVQError(L"Cannot read the settings key");
    settings.ProgramFolder = ReadString(key, kValueOfProgramFolder);
    settings.DataFolder = ReadString(key, kValueOfDataFolder);
    settings.RemoveableProgramFolder = ReadString(key, kValueOfRemoveableProgramFolder);
    settings.RemoveableDataFolder = ReadString(key, kValueOfRemoveableDataFolder);
    // A language this setup does not speak is no language to start in.
    settings.Language = CanonicalLanguageCode(ReadString(key, kValueLanguage));
    settings.MakeStartMenuEntry = ReadFlag(key, kValueStartMenuEntry, true);
    settings.MakeDesktopLink = ReadFlag(key, kValueDesktopLink, true);
    settings.CheckUpdates = ReadFlag(key, kValueCheckUpdates, true);
    settings.UseRemoveable = ReadFlag(key, kValueUseRemoveable, false);
    settings.DateFormat = ReadString(key, kValueDateFormat);
    return true;
}

void TakeStoredFolders(const StoredSettings& stored, SetupChoices& choices) {
    choices.ProgramFolder = stored.ProgramFolder;
    choices.DataFolder = stored.DataFolder;
    choices.RemoveableProgramFolder = stored.RemoveableProgramFolder;
    choices.RemoveableDataFolder = stored.RemoveableDataFolder;
    choices.UseRemoveable = stored.UseRemoveable;
}
