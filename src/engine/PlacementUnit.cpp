// File placement: which entries belong to the chosen language, and where each root word points.
#include "archive/PackFileUnit.h"
#include "engine/InstallUnit.h"
#include "services/UtillityUnit.h"
#include "services/VQError.h"
#include "texts/ErrorUnit.h"

#include <vector>

bool IsEntrySelected(const std::wstring& group, const std::wstring& language) {
    return group.empty() || group == language || (language.size() == 5 && group == language.substr(0, 2));
}

std::wstring GetTargetFolder(const SetupChoices& choices, const std::wstring& root) {
    if (root == L"PROGRAM") return GetProgramFolder(choices, true);
    if (root == L"UNINST") return GetUninstallFolder(choices);
    // The data folder as the folder page shows it, its token resolved: the page's edit and the
    // choices hold the same folder.
    if (root == L"DATA") return GetDataFolder(choices);
    if (root.rfind(L"USER", 0) == 0) {
        const std::wstring sub = root.size() > 5 ? root.substr(5) : L"";
        // The sub-path gets the same check as an entry's own folder: it must stay below the data folder.
        if (!IsSafeFolder(sub)) throw EVQError(L"The target root \"" + root + L"\" would leave the data folder");
        return Utillity::AddBackslash(GetDataFolder(choices) + sub);
    }
    // An archive made for another setup: its file must not land in whatever folder came before.
    throw EVQError(L"Unknown target root \"" + root + L"\"");
}

void ExtractFiles(const SetupChoices& choices, InstallView& view, TPackFiles& reader) {
    // Where every entry of the installation goes is settled before the first file is written: an
    // archive with one entry that would leave its folders installs nothing at all.
    std::vector<std::wstring> folders(static_cast<size_t>(reader.Count()));
    for (int i = 0; i < reader.Count(); ++i) {
        const TPackFile& entry = reader.Items(i);
        if (!IsEntrySelected(entry.Group, choices.Language)) continue;
        folders[static_cast<size_t>(i)] = GetTargetFolder(choices, entry.Root);
        entry.CheckPath();
    }
    for (int i = 0; i < reader.Count(); ++i) {
        TPackFile& entry = reader.Items(i);
        if (!IsEntrySelected(entry.Group, choices.Language)) {
            entry.Skip(L"NO_EXTRACT:" + entry.FileName);
            continue;
        }
        const std::wstring& folder = folders[static_cast<size_t>(i)];
        // The entry's own sub-folder is not part of these two texts.
        WriteLog(L"Extract: " + folder + entry.FileName);
        view.SetProgressFile(folder + entry.FileName);
        entry.Extract(folder);
    }
}
