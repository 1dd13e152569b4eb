// File placement: which entries belong to the chosen language, and where each root word points.
#include "archive/PackFileUnit.h"
#include "engine/InstallRecord.h"
#include "engine/InstallRecordFile.h"
#include "engine/InstallUnit.h"
#include "services/UtillityUnit.h"
#include "services/VQError.h"
#include "texts/ErrorUnit.h"

#include <set>
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

namespace {
// The size a written file has on disk, which for a compressed entry is not the entry's size.
std::int64_t SizeOnDisk(const std::wstring& path) {
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (!::GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data)) return -1;
    return (static_cast<std::int64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
}

// What one entry did, for the record: the folders it made and the file it wrote or deleted.
void RecordEntry(InstallRecord& record, const std::vector<std::wstring>& missing, const std::wstring& path,
                 TPackFile::Outcome outcome) {
    NoteCreatedFolders(&record, missing);
    if (outcome == TPackFile::Outcome::Written) record.AddFile(path, SizeOnDisk(path));
    // A file the setup left as it was is not the setup's: the uninstaller must never remove it.
    if (outcome == TPackFile::Outcome::Deleted) record.ForgetFile(path);
}
}  // namespace

void ExtractFiles(const SetupChoices& choices, InstallView& view, TPackFiles& reader, InstallRecord* record) {
    // Where every entry of the installation goes is settled before the first file is written: an
    // archive with one entry that would leave its folders installs nothing at all.
    std::vector<std::wstring> folders(static_cast<size_t>(reader.Count()));
    for (int i = 0; i < reader.Count(); ++i) {
        const TPackFile& entry = reader.Items(i);
        if (!IsEntrySelected(entry.Group, choices.Language)) continue;
        folders[static_cast<size_t>(i)] = GetTargetFolder(choices, entry.Root);
        entry.CheckPath();
    }
    // Folders known to exist need no look for what an entry creates; entries come folder by folder.
    std::set<std::wstring> existing;
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
        const std::wstring target = folder + Utillity::AddBackslash(entry.Folder);
        const std::vector<std::wstring> missing =
            record && !existing.count(target) ? MissingFolders(target) : std::vector<std::wstring>{};
        const TPackFile::Outcome outcome = entry.Extract(folder);
        if (record) {
            RecordEntry(*record, missing, target + entry.FileName, outcome);
            existing.insert(target);
        }
    }
}
