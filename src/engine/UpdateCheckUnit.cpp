// The two checks that protect an existing installation: a hotfix needs one to refresh, and no
// setup replaces a newer installed version with an older one.
#include <windows.h>

#include "engine/InstallUnit.h"
#include "engine/ProductNames.h"
#include "services/UtillityUnit.h"
#include "texts/Cp1252.h"
#include "texts/ErrorUnit.h"
#include "texts/LanguageUnit.h"

bool CheckActualize(const SetupChoices& choices, InstallView& view) {
    WriteLog(L"Check CheckActualize");
    if (!choices.IsHotfix) return true;
    auto fail = [&](const std::wstring& path) {
        WriteLog(L"Check CheckActualize Error " + path);
        // The platform's standard error box: its caption and button are not translated.
        view.Ask(L"Error", path + L"\r\n" + Text(txInstallationNotFound, choices.Language), DialogKind::Error,
                 ButtonSet({dbOK}), {L"OK"}, {mrOk});
        return false;
    };
    const std::wstring bin = GetProgramFolder(choices, true);
    WriteLog(L"Check CheckActualize ProgramFolder: " + bin);
    if (!Utillity::DirExists(bin)) return fail(bin);
    WriteLog(L"Check CheckActualize ProgramFolder: " + bin + L" exists");
    const std::wstring program = bin + kProgramFile;
    WriteLog(L"Check CheckActualize ProgName: " + program);
    if (!Utillity::FileExists(program)) return fail(program);
    WriteLog(L"Check CheckActualize ProgName: " + program + L" exists");
    const std::wstring data = GetDataFolder(choices);
    WriteLog(L"Check CheckActualize DataFolder: " + data);
    if (!Utillity::DirExists(data)) return fail(data);
    WriteLog(L"Check CheckActualize DataFolder: " + data + L" exists");
    return true;
}

bool GetInstalledVersion(const SetupChoices& choices, std::wstring& version) {
    version.clear();
    bool found = false;
    Guarded([&] {
        const std::wstring ini = GetProgramFolder(choices, true) + kIniFileName;
        if (!Utillity::FileExists(ini)) return;
        wchar_t buffer[1024] = {};
        ::GetPrivateProfileStringW(L"SETTINGS", L"VERSION", L"", buffer, 1024, ini.c_str());
        version = buffer;
        found = true;
    });
    return found;
}

bool IsNewerVersion(const std::wstring& installed, const std::wstring& archive) {
    if (installed.empty() || archive.empty()) return false;
    // Byte order of the code page the names are stored in, not the order of UTF-16 units.
    const std::string a = cp1252::FromWide(installed), b = cp1252::FromWide(archive);
    return std::lexicographical_compare(b.begin(), b.end(), a.begin(), a.end(),
                                        [](char x, char y) { return static_cast<unsigned char>(x) < static_cast<unsigned char>(y); });
}
