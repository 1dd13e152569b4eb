// File placement: which entries belong to the chosen language, and where each root word points.
#include "archive/PackFileUnit.h"
#include "engine/InstallUnit.h"
#include "services/UtillityUnit.h"
#include "services/VQError.h"
#include "texts/LanguageUnit.h"

bool IsEntrySelected(const std::wstring& group, const std::wstring& language) {
    return group.empty() || group == language || (language.size() == 5 && group == language.substr(0, 2));
}

std::wstring GetDataRootFolder(const std::wstring& folderText, const std::wstring& publicFolder) {
    return Utillity::AddBackslash(
        ReplaceTextIgnoreCase(folderText, Language::LocalizedText(74) + L"\\", publicFolder));
}

std::wstring GetTargetFolder(InstallHost& host, const std::wstring& root) {
    if (root == L"PROGRAM") return host.GetProgramFolder(true);
    if (root == L"UNINST") return host.GetUninstallFolder();
    if (root == L"DATA") return GetDataRootFolder(host.DataFolderText(), host.Public());
    if (root.rfind(L"USER", 0) == 0)
        return Utillity::AddBackslash(host.GetDataFolder() + (root.size() > 5 ? root.substr(5) : L""));
    // An archive made for another setup: its file must not land in whatever folder came before.
    throw EVQError(L"Unknown target root \"" + root + L"\"");
}

void ExtractFiles(InstallHost& host, TPackFiles& reader) {
    for (int i = 0; i < reader.Count(); ++i) {
        TPackFile& entry = reader.Items(i);
        if (!IsEntrySelected(entry.Group, CurrentLanguage)) {
            entry.Skip(L"NO_EXTRACT:" + entry.FileName);
            continue;
        }
        const std::wstring folder = GetTargetFolder(host, entry.Root);
        host.WriteLog(L"Extract: " + folder + entry.FileName);
        host.SetProgressFile(folder + entry.FileName);
        entry.Extract(folder);
    }
}
