// File placement: which entries belong to the chosen language, and where each root word points.
#include "archive/PackFileUnit.h"
#include "engine/InstallUnit.h"
#include "services/UtillityUnit.h"
#include "services/VQError.h"
#include "texts/LanguageUnit.h"

#include <vector>

bool IsEntrySelected(const std::wstring& group, const std::wstring& language) {
    return group.empty() || group == language || (language.size() == 5 && group == language.substr(0, 2));
}

std::wstring PublicFolderToken() {
    // Without a text in the current language there is no token: a bare "\\" would stand for every
    // backslash of the folder.
    const std::wstring text = Language::LocalizedText(txAppDataFolder);
    return text.empty() ? L"" : text + L"\\";
}

std::wstring GetDataRootFolder(const std::wstring& folderText, const std::wstring& publicFolder) {
    return Utillity::AddBackslash(ReplaceTextIgnoreCase(folderText, PublicFolderToken(), publicFolder));
}

std::wstring GetTargetFolder(InstallHost& host, const std::wstring& root) {
    if (root == L"PROGRAM") return host.GetProgramFolder(true);
    if (root == L"UNINST") return host.GetUninstallFolder();
    if (root == L"DATA") return GetDataRootFolder(host.DataFolderText(), host.Public());
    if (root.rfind(L"USER", 0) == 0) {
        const std::wstring sub = root.size() > 5 ? root.substr(5) : L"";
        // The sub-path gets the same check as an entry's own folder: it must stay below the data folder.
        if (!IsSafeFolder(sub)) throw EVQError(L"The target root \"" + root + L"\" would leave the data folder");
        return Utillity::AddBackslash(host.GetDataFolder() + sub);
    }
    // An archive made for another setup: its file must not land in whatever folder came before.
    throw EVQError(L"Unknown target root \"" + root + L"\"");
}

void ExtractFiles(InstallHost& host, TPackFiles& reader) {
    // Where every entry of the installation goes is settled before the first file is written: an
    // archive with one entry that would leave its folders installs nothing at all.
    std::vector<std::wstring> folders(static_cast<size_t>(reader.Count()));
    for (int i = 0; i < reader.Count(); ++i) {
        const TPackFile& entry = reader.Items(i);
        if (!IsEntrySelected(entry.Group, CurrentLanguage)) continue;
        folders[static_cast<size_t>(i)] = GetTargetFolder(host, entry.Root);
        entry.CheckPath();
    }
    for (int i = 0; i < reader.Count(); ++i) {
        TPackFile& entry = reader.Items(i);
        if (!IsEntrySelected(entry.Group, CurrentLanguage)) {
            entry.Skip(L"NO_EXTRACT:" + entry.FileName);
            continue;
        }
        const std::wstring& folder = folders[static_cast<size_t>(i)];
        host.WriteLog(L"Extract: " + folder + entry.FileName);
        host.SetProgressFile(folder + entry.FileName);
        entry.Extract(folder);
    }
}
