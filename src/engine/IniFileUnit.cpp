// The application's INI file in the Bin folder: the folders and basic settings the application
// reads at its start, and the version the next setup compares against.
#include <windows.h>

#include <algorithm>
#include <vector>

#include "engine/InstallRecord.h"
#include "engine/InstallUnit.h"
#include "services/Handles.h"
#include "services/UtillityUnit.h"
#include "services/VQError.h"
#include "texts/ErrorUnit.h"

namespace {
// Fixed facts of this build that the application shows to its users. The address is a bare host
// name: the application adds the scheme itself.
constexpr wchar_t kProductHost[] = L"www.vessa-software.example";
constexpr wchar_t kSupportEmail[] = L"support@vessa-software.example";

// Only the English version lets the user choose; every other language writes dates the German way.
std::wstring IniDateFormat(const SetupChoices& choices) {
    if (choices.Language != L"en-US") return L"DD.MM.YY";
    return choices.DateFormat == L"DD/MM/YY" ? L"DD/MM/YY" : L"MM/DD/YY";
}

struct IniValue {
    const wchar_t* Section;
    const wchar_t* Key;
    std::wstring Value;
};

// Each key goes to the file at once, so what was written before a failure stays written.
void WriteIniValue(const std::wstring& ini, const IniValue& v) {
    if (!::WritePrivateProfileStringW(v.Section, v.Key, v.Value.c_str(), ini.c_str()))
        throw EVQError(L"Cannot write [" + std::wstring(v.Section) + L"] " + v.Key + L" to " + ini + L" (error " +
                       std::to_wstring(::GetLastError()) + L")");
}

EVQError FileError(const wchar_t* what, const std::wstring& path) {
    return EVQError(std::wstring(what) + path + L" (error " + std::to_wstring(::GetLastError()) + L")");
}

// The file's bytes; false when it does not exist.
bool ReadWholeFile(const std::wstring& path, std::string& bytes) {
    FileHandle file(::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                                  FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) {
        if (::GetLastError() == ERROR_FILE_NOT_FOUND) return false;
        throw FileError(L"Cannot open file ", path);
    }
    // A file read only in part would be converted into one without the rest.
    char buffer[16384];
    DWORD got = 0;
    bytes.clear();
    do {
        if (!::ReadFile(file.get(), buffer, sizeof buffer, &got, nullptr)) throw FileError(L"Cannot read file ", path);
        bytes.append(buffer, got);
    } while (got > 0);
    return true;
}

std::wstring Decode(UINT codePage, const std::string& bytes, size_t skip) {
    const int size = static_cast<int>(bytes.size() - skip);
    if (size <= 0) return {};
    const int n = ::MultiByteToWideChar(codePage, 0, bytes.data() + skip, size, nullptr, 0);
    std::wstring text(static_cast<size_t>(std::max(n, 0)), L'\0');
    if (n > 0) ::MultiByteToWideChar(codePage, 0, bytes.data() + skip, size, text.data(), n);
    return text;
}

// WritePrivateProfileStringW creates a new file in the ANSI code page, where a value outside it
// becomes '?', and keeps a file Unicode that starts with a UTF-16LE byte-order mark. So the file
// gets the mark before the first value; an existing 8-bit file is converted with everything it
// holds, written beside it and moved into place, so no failure loses the user's other keys.
void MakeUnicodeFile(const std::wstring& ini) {
    std::string bytes;
    std::wstring text;
    if (ReadWholeFile(ini, bytes)) {
        if (bytes.rfind("\xFF\xFE", 0) == 0 || bytes.rfind("\xFE\xFF", 0) == 0) return;  // UTF-16 already
        text = bytes.rfind("\xEF\xBB\xBF", 0) == 0 ? Decode(CP_UTF8, bytes, 3) : Decode(CP_ACP, bytes, 0);
    }
    std::string unicode = "\xFF\xFE";
    unicode.append(reinterpret_cast<const char*>(text.data()), text.size() * sizeof(wchar_t));

    const std::wstring folder = ini.substr(0, ini.find_last_of(L'\\') + 1);
    wchar_t name[MAX_PATH + 1] = {};
    if (!::GetTempFileNameW(folder.c_str(), L"vqi", 0, name)) throw FileError(L"Cannot create file ", ini);
    TemporaryFile fresh(name);
    {
        FileHandle file(::CreateFileW(fresh.Path().c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                      FILE_ATTRIBUTE_NORMAL, nullptr));
        DWORD written = 0;
        if (!file || !::WriteFile(file.get(), unicode.data(), static_cast<DWORD>(unicode.size()), &written, nullptr) ||
            written != unicode.size() || !::CloseHandle(file.release()))
            throw FileError(L"Cannot write file ", fresh.Path());
    }
    if (!::MoveFileExW(fresh.Path().c_str(), ini.c_str(), MOVEFILE_REPLACE_EXISTING))
        throw FileError(L"Cannot create file ", ini);
    fresh.Keep();
}
}  // namespace

void MakeIniFile(const SetupChoices& choices, const ShellFolders& shell, const std::wstring& versionName,
                 InstallRecord* record) {
    Guarded([&] {
        const std::wstring dateFormat = IniDateFormat(choices);
        const std::wstring ini = GetProgramFolder(choices, true) + kIniFileName;
        // The application writes to it too, so it is recorded by name alone, whatever its size.
        if (record) record->IniFile = ini;
        // A hotfix keeps what the user's installation says. The link folders are written whether
        // or not links were made there: they say where links belong, not that they exist. In a
        // new file this order puts FOLDERS before SETTINGS.
        std::vector<IniValue> values;
        if (!choices.IsHotfix) {
            values = {{L"FOLDERS", L"DATA", GetDataFolder(choices)},
                      {L"FOLDERS", L"STARTMENU", shell.StartMenu},
                      {L"FOLDERS", L"DESKTOP", shell.CommonDesktop},
                      {L"SETTINGS", L"URL", kProductHost},
                      {L"SETTINGS", L"LANGUAGE", choices.Language},
                      {L"SETTINGS", L"SHOW_TRANSLATIONCODE", L"0"},
                      {L"SETTINGS", L"SUPPORT_EMAIL", kSupportEmail},
                      {L"SETTINGS", L"DATEFORMAT", dateFormat}};
            // A folder the shell could not name stays empty in the file rather than becoming a
            // relative path the application would look for below its own folder; the user hears of it.
            for (const IniValue& v : values)
                if (v.Section == std::wstring(L"FOLDERS") && v.Value.empty())
                    ReportError(EVQError(L"The shell names no folder for [FOLDERS] " + std::wstring(v.Key) + L" of " + ini),
                                L"");
        }
        // The version is what the next setup compares against, so it is written in every run.
        values.push_back({L"SETTINGS", L"VERSION", versionName});
        // Only then does the file change its encoding: an 8-bit file is what everything that reads
        // it today expects.
        if (std::any_of(values.begin(), values.end(), [](const IniValue& v) { return !ToCodePage(v.Value, CP_ACP); }))
            MakeUnicodeFile(ini);
        for (const IniValue& v : values) WriteIniValue(ini, v);
    });
}
