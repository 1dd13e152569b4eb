#include "engine/InstallUnit.h"

#include "services/UtillityUnit.h"
#include "texts/LanguageUnit.h"

int RunInstallation(InstallHost& host) {
    // Until the payload can be placed, a run stops where it starts: inputs locked and released
    // again, and the answer the run begins with.
    host.EnableInputs(false);
    host.EnableInputs(true);
    return mrAbort;
}

std::wstring GetDataRootFolder(const std::wstring& folderText, const std::wstring& publicFolder) {
    return Utillity::AddBackslash(
        ReplaceTextIgnoreCase(folderText, Language::LocalizedText(74) + L"\\", publicFolder));
}
