// The application's INI file in the Bin folder: the folders and basic settings the application
// reads at its start, and the version the next setup compares against.
#include <windows.h>

#include "engine/InstallUnit.h"
#include "services/VQError.h"
#include "texts/ErrorUnit.h"
#include "texts/LanguageUnit.h"

namespace {
// Fixed facts of this build that the application shows to its users. The address is a bare host
// name: the application adds the scheme itself.
constexpr wchar_t kProductHost[] = L"www.vessa-software.example";
constexpr wchar_t kSupportEmail[] = L"support@vessa-software.example";

// Only the English version lets the user choose; every other language writes dates the German way.
std::wstring IniDateFormat(const InstallHost& host) {
    if (CurrentLanguage != L"en-US") return L"DD.MM.YY";
    return host.DateFormatText() == L"DD/MM/YY" ? L"DD/MM/YY" : L"MM/DD/YY";
}

// Each key goes to the file at once, so what was written before a failure stays written.
void WriteIniValue(const std::wstring& ini, const wchar_t* section, const wchar_t* key, const std::wstring& value) {
    if (!::WritePrivateProfileStringW(section, key, value.c_str(), ini.c_str()))
        throw EVQError(L"Cannot write [" + std::wstring(section) + L"] " + key + L" to " + ini + L" (error " +
                       std::to_wstring(::GetLastError()) + L")");
}
}  // namespace

void MakeIniFile(InstallHost& host, const std::wstring& versionName) {
    Guarded([&] {
        const std::wstring dateFormat = IniDateFormat(host);
        const std::wstring ini = host.GetProgramFolder(true) + kIniFileName;
        // A hotfix keeps what the user's installation says. The link folders are written whether
        // or not links were made there: they say where links belong, not that they exist. In a
        // new file this order puts FOLDERS before SETTINGS.
        if (!host.Hotfix()) {
            WriteIniValue(ini, L"FOLDERS", L"DATA", host.GetDataFolder());
            WriteIniValue(ini, L"FOLDERS", L"STARTMENU", host.GetStartMenuFolder());
            WriteIniValue(ini, L"FOLDERS", L"DESKTOP", host.GetCommonDesktopFolder());
            WriteIniValue(ini, L"SETTINGS", L"URL", kProductHost);
            WriteIniValue(ini, L"SETTINGS", L"LANGUAGE", CurrentLanguage);
            WriteIniValue(ini, L"SETTINGS", L"SHOW_TRANSLATIONCODE", L"0");
            WriteIniValue(ini, L"SETTINGS", L"SUPPORT_EMAIL", kSupportEmail);
            WriteIniValue(ini, L"SETTINGS", L"DATEFORMAT", dateFormat);
        }
        // The version is what the next setup compares against, so it is written in every run.
        WriteIniValue(ini, L"SETTINGS", L"VERSION", versionName);
    });
}
