// The install record as the install run writes it, with the small payload embedded in this test
// program: what a run records and what it leaves out, how a hotfix and a later run add to the
// record, and that the file is replaced whole or not at all.
#include <gtest/gtest.h>

#include <algorithm>
#include <set>

#include "EngineFixtures.h"
#include "MachineRegistrySandbox.h"
#include "TestSupport.h"
#include "archive/PackFileUnit.h"
#include "archive/ResourceStream.h"
#include "engine/InstallRecord.h"
#include "engine/InstallRecordFile.h"
#include "engine/InstallUnit.h"
#include "engine/ProductNames.h"
#include "services/Handles.h"
#include "services/VQError.h"

using namespace testsupport;

namespace {
std::string Narrow(const std::wstring& s) { return std::string(s.begin(), s.end()); }

std::int64_t SizeOf(const std::wstring& path) {
    return Utillity::FileExists(path) ? Utillity::GetFileSize(path) : -1;
}

struct Installation {
    explicit Installation(const std::wstring& name, const std::wstring& setupFile = L"C:\\x\\VQSetup.exe")
        : scratch(name),
          program(scratch.Path() + L"Prog\\"),
          data(scratch.Path() + L"Data\\"),
          choices(ChoicesFor(program, data, L"de-CH", setupFile)),
          shell(ShellBelow(scratch.Path())) {}
    std::wstring Bin() const { return program + L"Bin\\"; }
    std::wstring RecordPath() const { return program + kInstallRecordFileName; }
    int Run() { return RunInstallation(choices, view, shell); }
    InstallRecord Record() const {
        const std::optional<InstallRecord> record = ReadInstallRecordFile(RecordPath());
        if (!record) throw EVQError(L"no install record at " + RecordPath());
        return *record;
    }
    MachineRegistrySandbox registry;
    ScratchFolder scratch;
    std::wstring program, data;
    SetupChoices choices;
    ShellFolders shell;
    FakeView view;
};

// The files an installation in language writes, with the sizes they have on disk, from the archive
// this program carries.
std::map<std::wstring, std::int64_t> PayloadFiles(const Installation& setup, const std::wstring& language) {
    TPackFiles reader(nullptr);
    TMemoryStream stream = OpenResourceStream(nullptr, L"FILESTREAM");
    std::wstring version;
    reader.Load(stream, version);
    std::map<std::wstring, std::int64_t> files;
    for (int i = 0; i < reader.Count(); ++i) {
        const TPackFile& e = reader.Items(i);
        if (!IsEntrySelected(e.Group, language)) continue;
        const std::wstring path = GetTargetFolder(setup.choices, e.Root) + Utillity::AddBackslash(e.Folder) + e.FileName;
        files[path] = SizeOf(path);
    }
    return files;
}

std::map<std::wstring, std::int64_t> RecordedFiles(const InstallRecord& record) {
    std::map<std::wstring, std::int64_t> files;
    for (const RecordedFile& f : record.Files) files[f.Path] = f.Size;
    return files;
}

std::vector<std::wstring> TemporaryRecords(const std::wstring& folder) {
    std::vector<std::wstring> names;
    for (const std::wstring& name : FilesIn(folder))
        if (name.rfind(L"vqr", 0) == 0) names.push_back(name);
    return names;
}
}  // namespace

TEST(InstallRecordOfARun, HoldsWhatTheRunPlacedAndNothingThatWasThereBefore) {
    Installation setup(L"record");
    // The user's own icon where the archive has one it does not overwrite, in folders of the user's.
    const std::wstring kept = setup.data + L"Symbols\\Default_Icons\\Sym_Account_0001.Ico";
    ASSERT_TRUE(Utillity::MakeFolderPath(setup.data + L"Symbols\\Default_Icons\\"));
    WriteFileBytes(kept, "the user's own icon");
    ASSERT_EQ(setup.Run(), 1);
    const InstallRecord record = setup.Record();

    std::map<std::wstring, std::int64_t> expected = PayloadFiles(setup, L"de-CH");
    ASSERT_EQ(expected.erase(kept), 1u);
    EXPECT_EQ(RecordedFiles(record), expected) << "every file written, with its size on disk, and only those";
    EXPECT_EQ(Utillity::GetFileSize(kept), 19) << "the user's icon stayed";

    const std::set<std::wstring> folders(record.Folders.begin(), record.Folders.end());
    for (const std::wstring& made : {setup.program, setup.Bin(), setup.data + L"Symbols\\Colour_Bitmaps\\",
                                     setup.data + L"VQ_User_0002\\", setup.shell.StartMenu})
        EXPECT_TRUE(folders.count(made)) << "created, so recorded: " << Narrow(made);
    for (const std::wstring& found : {setup.scratch.Path(), setup.data, setup.data + L"Symbols\\",
                                      setup.data + L"Symbols\\Default_Icons\\"})
        EXPECT_FALSE(folders.count(found)) << "there before, so not the setup's: " << Narrow(found);
    EXPECT_LT(std::find(record.Folders.begin(), record.Folders.end(), setup.program),
              std::find(record.Folders.begin(), record.Folders.end(), setup.Bin()))
        << "in the order they were made, so the deepest go first when removed";

    EXPECT_EQ(record.Links, (std::vector<std::wstring>{setup.shell.CommonDesktop + kLinkName,
                                                        setup.shell.StartMenu + kLinkName}));
    EXPECT_EQ(record.IniFile, setup.Bin() + L"VessasQuorin.Ini");
    const std::wstring command = L"\"" + setup.Bin() + L"VessasQuorin.Exe\" \"%1\"";
    EXPECT_EQ(record.FileTypes, (std::vector<RecordedFileType>{{L".qvbak", L"VessasQuorin", command},
                                                                {L".qvcalc", L"VessasQuorinGS", command}}));
    // The case's own registry had no classes key: the run created it, and says so.
    EXPECT_EQ(record.CreatedKeys, (std::vector<CreatedKey>{{L"HKCU", L"Software\\Classes"}}));
    ASSERT_TRUE(record.Settings && record.UninstallEntry);
    EXPECT_EQ(record.Settings->Key, L"SOFTWARE\\VessasQuorin");
    EXPECT_EQ(record.Settings->Value, RegText(HKEY_CURRENT_USER, kSettingsKey, L"InstallTime"));
    const std::wstring uninstaller = setup.program + L"VQUninstall.Exe";
    EXPECT_EQ(*record.UninstallEntry, (RecordedKey{kUninstallKey, L"\"" + uninstaller + L"\""}));
    EXPECT_EQ(RegText(HKEY_LOCAL_MACHINE, kUninstallKey, L"UninstallString"), L"\"" + uninstaller + L"\"");
    EXPECT_EQ(RegText(HKEY_LOCAL_MACHINE, kUninstallKey, L"QuietUninstallString"), L"\"" + uninstaller + L"\" silent");

    EXPECT_EQ(std::make_tuple(record.Archive, record.Language, record.Removable, record.ProgramFolder, record.BinFolder,
                              record.UninstallFolder, record.DataFolder, record.Uninstaller),
              std::make_tuple(std::wstring(L"HF20220909"), std::wstring(L"de-CH"), false, setup.program, setup.Bin(),
                              setup.program, setup.data, uninstaller));
    EXPECT_TRUE(TemporaryRecords(setup.program).empty());
}

TEST(InstallRecordOfARun, AHotfixAddsToTheRecordOfTheInstallationItUpdates) {
    Installation setup(L"record-hotfix");
    ASSERT_EQ(setup.Run(), 1);
    const InstallRecord first = setup.Record();
    // Between the runs the program file shrinks; the hotfix writes it again.
    WriteFileBytes(setup.Bin() + L"VQCore.dll", "short");
    setup.choices.IsHotfix = true;
    setup.choices.SetupFileName = L"C:\\x\\VQSetupHF.exe";
    const auto logStart = LogLines().size();
    ASSERT_EQ(setup.Run(), 1);
    const InstallRecord second = setup.Record();

    // The data files the hotfix kept as they were are still the installation's.
    EXPECT_EQ(RecordedFiles(second), RecordedFiles(first));
    EXPECT_EQ(second.FindFile(setup.Bin() + L"VQCore.dll")->Size, Utillity::GetFileSize(setup.Bin() + L"VQCore.dll"));
    EXPECT_EQ(second.Folders, first.Folders);
    EXPECT_EQ(second.Links, first.Links);
    // A hotfix leaves the settings key as it was, so its moment stays the first run's.
    EXPECT_EQ(second.Settings, first.Settings);
    const auto log = LogLines();
    EXPECT_TRUE(std::any_of(log.begin() + static_cast<std::ptrdiff_t>(logStart), log.end(), [&](const std::string& l) {
        return LogText(l) == "InstallRecord: taking up " + Narrow(setup.RecordPath());
    }));
}

TEST(InstallRecordOfARun, FilesThatADeleteEntryOrTheObsoleteListRemovedLeaveTheRecord) {
    Installation setup(L"record-forget");
    ASSERT_EQ(setup.Run(), 1);
    // An earlier record that holds a file the run deletes as obsolete.
    InstallRecord earlier = setup.Record();
    earlier.AddFile(setup.Bin() + L"VQ.Utility.Dll", 3);
    WriteInstallRecordFile(setup.RecordPath(), earlier);
    WriteFileBytes(setup.Bin() + L"VQ.Utility.Dll", "old");
    ASSERT_EQ(setup.Run(), 1);
    EXPECT_FALSE(Utillity::FileExists(setup.Bin() + L"VQ.Utility.Dll"));
    EXPECT_EQ(setup.Record().FindFile(setup.Bin() + L"VQ.Utility.Dll"), nullptr);
}

TEST(InstallRecordOfARun, ADamagedEarlierRecordIsReplacedByOneOfThisRun) {
    Installation setup(L"record-damaged");
    ASSERT_TRUE(Utillity::MakeFolderPath(setup.program));
    WriteFileBytes(setup.RecordPath(), "VQInstallRecord\t1\r\narchive\tHF1\r\n");
    const auto logStart = LogLines().size();
    ASSERT_EQ(setup.Run(), 1);
    EXPECT_EQ(RecordedFiles(setup.Record()), PayloadFiles(setup, L"de-CH"));
    const auto log = LogLines();
    EXPECT_TRUE(std::any_of(log.begin() + static_cast<std::ptrdiff_t>(logStart), log.end(), [](const std::string& l) {
        return LogText(l).find("is damaged: the record has no end line (cut short?); a new record replaces it") !=
               std::string::npos;
    }));
}

TEST(InstallRecordOfARun, ACancelledRunRecordsWhatItPlaced) {
    Installation setup(L"record-cancel");
    setup.view.CancelAtPercent = 40;
    ASSERT_EQ(setup.Run(), 2);
    const InstallRecord record = setup.Record();
    EXPECT_FALSE(record.Files.empty());
    const std::map<std::wstring, std::int64_t> all = PayloadFiles(setup, L"de-CH");
    std::map<std::wstring, std::int64_t> placed;
    for (const auto& [path, size] : all)
        if (Utillity::FileExists(path)) placed[path] = size;
    EXPECT_LT(placed.size(), all.size()) << "the run did stop";
    EXPECT_EQ(RecordedFiles(record), placed);
    EXPECT_FALSE(record.UninstallEntry) << "no entry was written";
}

TEST(InstallRecordOfARun, ARemovableInstallationKeepsItsUninstallerAndRecordOnTheMachine) {
    Installation setup(L"record-removable");
    setup.choices.UseRemoveable = true;
    setup.choices.RemoveableProgramFolder = setup.scratch.Path() + L"Stick\\VessasQuorin\\Prog";
    setup.choices.RemoveableDataFolder = setup.scratch.Path() + L"Stick\\VessasQuorin\\Data";
    ASSERT_EQ(setup.Run(), 1);
    const std::wstring home = setup.shell.CommonAppData + L"VessasQuorin\\Uninstall\\";
    const std::wstring onStick = setup.choices.RemoveableProgramFolder + L"\\VQUninstall.Exe";
    const std::optional<InstallRecord> record = ReadInstallRecordFile(home + kInstallRecordFileName);
    ASSERT_TRUE(record);
    EXPECT_TRUE(record->Removable);
    EXPECT_EQ(record->Uninstaller, home + L"VQUninstall.Exe");
    EXPECT_EQ(ReadFileBytes(home + L"VQUninstall.Exe"), ReadFileBytes(onStick));
    EXPECT_NE(record->FindFile(home + L"VQUninstall.Exe"), nullptr);
    EXPECT_NE(record->FindFile(onStick), nullptr);
    EXPECT_TRUE(record->HasFolder(setup.shell.CommonAppData + L"VessasQuorin\\"));
    EXPECT_TRUE(record->HasFolder(home));
    EXPECT_EQ(RegText(HKEY_LOCAL_MACHINE, kUninstallKey, L"UninstallString"), L"\"" + home + L"VQUninstall.Exe\"");
    EXPECT_FALSE(Utillity::FileExists(setup.choices.RemoveableProgramFolder + L"\\" + kInstallRecordFileName));
}

TEST(InstallRecordFile, AWriteThatCannotCompleteLeavesTheEarlierRecordWhole) {
    ScratchFolder scratch(L"record-file");
    const std::wstring path = scratch.Path() + kInstallRecordFileName;
    InstallRecord earlier;
    earlier.Archive = L"HF1";
    earlier.Language = L"en-US";
    earlier.ProgramFolder = earlier.BinFolder = earlier.UninstallFolder = earlier.DataFolder = scratch.Path();
    earlier.Uninstaller = scratch.Path() + L"VQUninstall.Exe";
    WriteInstallRecordFile(path, earlier);
    const std::string before = ReadFileBytes(path);
    InstallRecord later = earlier;
    later.AddFile(scratch.Path() + L"A.dll", 1);
    {
        // Someone holds the record open and lets nobody replace it.
        FileHandle held(::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
        ASSERT_TRUE(held);
        EXPECT_THROW(WriteInstallRecordFile(path, later), EVQError);
    }
    EXPECT_EQ(ReadFileBytes(path), before);
    EXPECT_EQ(*ReadInstallRecordFile(path), earlier);
    EXPECT_TRUE(TemporaryRecords(scratch.Path()).empty()) << "the new copy is gone with the failure";
    WriteInstallRecordFile(path, later);
    EXPECT_EQ(*ReadInstallRecordFile(path), later);
    EXPECT_FALSE(ReadInstallRecordFile(scratch.Path() + L"none.txt")) << "no file, no record, no error";
}
