// The application's INI file in the Bin folder.
#include <windows.h>

#include "engine/InstallUnit.h"
#include "services/VQError.h"
#include "texts/ErrorUnit.h"

void MakeIniFile(InstallHost& host, const std::wstring& versionName) {
    Guarded([&] {
        const std::wstring ini = host.GetProgramFolder(true) + kIniFileName;
        // The version is what the next setup compares against, so it is written in every run.
        if (!::WritePrivateProfileStringW(L"SETTINGS", L"VERSION", versionName.c_str(), ini.c_str()))
            throw EVQError(L"Cannot write " + ini + L" (" + std::to_wstring(::GetLastError()) + L")");
    });
}
