// The uninstaller's removal rules, in-process: a complete installation of the small payload (embedded
// as this program's FILESTREAM) into folders of the test's own, then removed from its install record
// or, without one, from the settings key and an entry list. Both registry roots are the case's own.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>

#include "EngineFixtures.h"
#include "MachineRegistrySandbox.h"
#include "TestSupport.h"
#include "WineDrives.h"
#include "archive/PackFileUnit.h"
#include "archive/ResourceStream.h"
#include "engine/InstallRecordFile.h"
#include "engine/InstallUnit.h"
#include "engine/ProductNames.h"
#include "services/Handles.h"
#include "services/VQError.h"
#include "uninstall/Installation.h"
#include "uninstall/Removal.h"
#include "uninstall/SelfRemoval.h"
#include "uninstall/Uninstaller.h"

using namespace testsupport;

namespace {
std::string Narrow(const std::wstring& s) { return std::string(s.begin(), s.end()); }

std::wstring Lower(std::wstring text) {
    ::CharLowerBuffW(text.data(), static_cast<DWORD>(text.size()));
    return text;
}

// Every file and folder below a folder (folders with their backslash), lower case.
void Collect(const std::wstring& folder, std::set<std::wstring>& found) {
    WIN32_FIND_DATAW data{};
    HANDLE search = ::FindFirstFileW((folder + L"*").c_str(), &data);
    if (search == INVALID_HANDLE_VALUE) return;
    do {
        const std::wstring name = data.cFileName;
        if (name == L"." || name == L"..") continue;
        if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
            found.insert(Lower(folder + name + L"\\"));
            Collect(folder + name + L"\\", found);
        } else {
            found.insert(Lower(folder + name));
        }
    } while (::FindNextFileW(search, &data));
    ::FindClose(search);
}
std::set<std::wstring> Tree(const std::wstring& folder) {
    std::set<std::wstring> found;
    Collect(folder, found);
    return found;
}

// An installation of the small payload below a scratch folder, with its record.
struct Installed {
    explicit Installed(const std::wstring& name)
        : scratch(name),
          program(scratch.Path() + L"Prog\\"),
          data(scratch.Path() + L"Data\\"),
          choices(ChoicesFor(program, data, L"en-US")),
          shell(ShellBelow(scratch.Path())) {
        before = Tree(scratch.Path());
        FakeView view;
        if (RunInstallation(choices, view, shell) != 1) ADD_FAILURE() << "the installation failed";
    }
    std::wstring Bin() const { return program + L"Bin\\"; }
    std::wstring RecordFile() const { return program + kInstallRecordFileName; }
    InstallRecord Record() const { return *ReadInstallRecordFile(RecordFile()); }
    RemovalOptions Options(bool removeData = false) const {
        RemovalOptions options;
        options.RemoveData = removeData;
        options.RecordFile = RecordFile();
        options.ProtectedFolders = ShellSpecialFolders();
        return options;
    }
    MachineRegistrySandbox registry;
    ScratchFolder scratch;
    std::wstring program, data;
    SetupChoices choices;
    ShellFolders shell;
    std::set<std::wstring> before;
};

bool TypeRegistered(const wchar_t* extension, const wchar_t* type) {
    return RegText(HKEY_CURRENT_USER, std::wstring(kClassesKey) + extension, nullptr) == type &&
           RegKeyExists(HKEY_CURRENT_USER, std::wstring(kClassesKey) + type);
}

bool Has(const std::vector<std::string>& lines, const std::string& text) {
    return std::find(lines.begin(), lines.end(), text) != lines.end();
}
struct LogFrom {
    std::vector<std::string> Lines() const {
        std::vector<std::string> texts;
        const auto lines = LogLines();
        for (size_t i = start; i < lines.size(); ++i) texts.push_back(LogText(lines[i]));
        return texts;
    }
    size_t start = LogLines().size();
};

// The trash Wine fills for this program (XDG_DATA_HOME of its test entry), as Windows sees it.
std::wstring TrashFiles() {
    wchar_t home[MAX_PATH] = {};
    if (!::GetEnvironmentVariableW(L"XDG_DATA_HOME", home, MAX_PATH)) return L"";
    return UnixToWindows(home) + L"\\Trash\\files\\";
}
}  // namespace

TEST(Removal, LeavesTheMachineAsBeforeTheInstallationButForTheUsersOwnFiles) {
    Installed setup(L"uninstall-round");
    ASSERT_TRUE(RegKeyExists(HKEY_LOCAL_MACHINE, kUninstallKey));
    // The user's own files beside the setup's, and one of the setup's files changed by the user.
    const std::wstring inData = setup.data + L"VQ_User_0004\\My budget.qvbak";
    const std::wstring inBin = setup.Bin() + L"notes.txt";
    const std::wstring changed = setup.data + L"VQ_User_0004\\Sample_Household_01.qvbak";
    WriteFileBytes(inData, "mine");
    WriteFileBytes(inBin, "mine too");
    WriteFileBytes(changed, ReadFileBytes(changed) + "one more line");
    const LogFrom log;

    const RemovalResult result = RemoveInstallation(setup.Record(), setup.Options());
    EXPECT_TRUE(result.Complete());
    EXPECT_TRUE(result.EntryRemoved);
    EXPECT_EQ(result.Changed, std::vector<std::wstring>{changed});
    std::set<std::wstring> expected = setup.before;
    for (const std::wstring& kept : {setup.program, setup.Bin(), inBin, setup.data, setup.data + L"VQ_User_0004\\", inData, changed})
        expected.insert(Lower(kept));
    EXPECT_EQ(Tree(setup.scratch.Path()), expected);
    EXPECT_FALSE(RegKeyExists(HKEY_LOCAL_MACHINE, kUninstallKey));
    EXPECT_FALSE(RegKeyExists(HKEY_CURRENT_USER, kSettingsKey));
    for (const FileTypeNames& type : kFileTypes) {
        EXPECT_FALSE(RegKeyExists(HKEY_CURRENT_USER, std::wstring(kClassesKey) + type.Extension)) << Narrow(type.Extension);
        EXPECT_FALSE(RegKeyExists(HKEY_CURRENT_USER, std::wstring(kClassesKey) + type.TypeName)) << Narrow(type.TypeName);
    }
    EXPECT_FALSE(RegKeyExists(HKEY_CURRENT_USER, L"Software\\Classes")) << "created by the setup, empty again";
    const auto lines = log.Lines();
    EXPECT_TRUE(Has(lines, "KeepFile (changed by the user): " + Narrow(changed)));
    EXPECT_TRUE(Has(lines, "KeepFolder (not empty): " + Narrow(setup.Bin())));
    // The uninstall entry is the last of the installation's items to go; only the record follows,
    // and the folders it was the last file of.
    const auto entry = std::find_if(lines.begin(), lines.end(), [](const std::string& l) { return l.rfind("RemoveUninstallEntry: ", 0) == 0; });
    ASSERT_NE(entry, lines.end());
    EXPECT_EQ(std::next(entry), std::find(lines.begin(), lines.end(), "RemoveFile: " + Narrow(setup.RecordFile())));
    for (auto after = entry + 2; after < lines.end(); ++after)
        EXPECT_TRUE(after->rfind("RemoveFolder: ", 0) == 0 || after->rfind("KeepFolder (not empty): ", 0) == 0) << *after;
}

TEST(Removal, RemoveDataGivesTheRestOfTheDataFolderToTheRecycleBin) {
    const std::wstring trash = TrashFiles();
    if (trash.empty()) GTEST_SKIP() << "XDG_DATA_HOME is not set: the recycle bin would be the runner's own";
    Installed setup(L"uninstall-data");
    const std::wstring name = L"Budget " + std::to_wstring(::GetCurrentProcessId()) + L"-" + std::to_wstring(::GetTickCount()) + L".qvbak";
    WriteFileBytes(setup.data + name, "mine");
    WriteFileBytes(setup.Bin() + L"notes.txt", "not data");
    const RemovalResult result = RemoveInstallation(setup.Record(), setup.Options(true));
    EXPECT_TRUE(result.Complete());
    EXPECT_FALSE(Utillity::DirExists(setup.data)) << "created by the setup, so it went as a whole";
    // Restorable: the folder lies in the trash with the user's file in it.
    std::set<std::wstring> trashed;
    Collect(trash, trashed);
    EXPECT_TRUE(std::any_of(trashed.begin(), trashed.end(), [&](const std::wstring& p) {
        return p.size() > name.size() && p.compare(p.size() - name.size(), name.size(), Lower(name)) == 0;
    })) << "not in the trash: " << Narrow(name);
    EXPECT_TRUE(Utillity::FileExists(setup.Bin() + L"notes.txt")) << "the Bin folder holds no data";
}

TEST(Removal, RemoveDataNeverTakesAFolderTheSetupDidNotCreate) {
    // The user chose an existing folder of the user's for the data.
    Installed setup(L"uninstall-owndata");
    InstallRecord record = setup.Record();
    record.Folders.erase(std::remove(record.Folders.begin(), record.Folders.end(), setup.data), record.Folders.end());
    WriteFileBytes(setup.data + L"mine.txt", "mine");
    const RemovalResult result = RemoveInstallation(record, setup.Options(true));
    EXPECT_TRUE(result.Complete());
    EXPECT_TRUE(Utillity::FileExists(setup.data + L"mine.txt"));
    EXPECT_FALSE(Utillity::DirExists(setup.data + L"Symbols\\")) << "what the setup made below it still goes";
}

TEST(Removal, WhatTheRecycleBinMayTake) {
    const std::vector<std::wstring> special = {L"C:\\users\\Public\\", L"C:\\users\\Public\\Documents\\",
                                               L"C:\\users\\root\\Desktop\\"};
    const struct { const wchar_t* folder; bool allowed; } cases[] = {
        {L"C:\\users\\Public\\VessasQuorin\\", true},
        {L"C:\\users\\Public\\Documents\\VessasQuorin", true},
        {L"C:\\users\\Public\\", false},
        {L"c:\\USERS\\public", false},
        {L"C:\\users\\", false},  // holds the public folder
        {L"C:\\users\\root\\Desktop\\", false},
        {L"C:\\", false},
        {L"D:\\", false},
        {L"\\\\server\\share\\", false},
        {L"\\\\server\\share\\VQ\\", true},
        {L"VessasQuorin\\", false},
        {L"", false},
    };
    for (const auto& c : cases) EXPECT_EQ(MayRecycle(c.folder, special), c.allowed) << Narrow(c.folder);
    // The shell's own list protects the desktops, the documents and the public folder, not what lies below.
    EXPECT_TRUE(MayRecycle(L"C:\\users\\Public\\VessasQuorin\\", ShellSpecialFolders()));
    EXPECT_FALSE(MayRecycle(Utillity::GetSpecialFolder(nullptr, CSIDL_COMMON_DESKTOPDIRECTORY), ShellSpecialFolders()));
    EXPECT_FALSE(MayRecycle(Utillity::GetSpecialFolder(nullptr, CSIDL_DESKTOPDIRECTORY), ShellSpecialFolders()));
    EXPECT_FALSE(MayRecycle(Utillity::GetSpecialFolder(nullptr, CSIDL_PERSONAL), ShellSpecialFolders()));
    EXPECT_FALSE(MayRecycle(PublicFolderOf(Utillity::GetSpecialFolder(nullptr, CSIDL_COMMON_DESKTOPDIRECTORY)),
                            ShellSpecialFolders()));
}

TEST(Removal, KeysAndTypesThatAnotherInstallationTookOverStay) {
    Installed setup(L"uninstall-taken");
    const std::wstring otherCommand = L"\"D:\\Other\\Bin\\VessasQuorin.Exe\" \"%1\"";
    {
        RegKey command;
        ASSERT_EQ(::RegCreateKeyExW(HKEY_CURRENT_USER, (std::wstring(kClassesKey) + L"VessasQuorin\\shell\\open\\command").c_str(),
                                    0, nullptr, 0, KEY_SET_VALUE, nullptr, command.put(), nullptr), ERROR_SUCCESS);
        ::RegSetValueExW(command.get(), nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(otherCommand.c_str()),
                         static_cast<DWORD>((otherCommand.size() + 1) * sizeof(wchar_t)));
        // Another program's list of openers under the second type's extension.
        RegKey openWith;
        ::RegCreateKeyExW(HKEY_CURRENT_USER, (std::wstring(kClassesKey) + L".qvcalc\\OpenWithProgids").c_str(), 0, nullptr,
                          0, KEY_SET_VALUE, nullptr, openWith.put(), nullptr);
        RegKey settings;
        ::RegOpenKeyExW(HKEY_CURRENT_USER, kSettingsKey, 0, KEY_SET_VALUE, settings.put());
        const std::wstring later = L"2030,1,1,0,0,0";
        ::RegSetValueExW(settings.get(), L"InstallTime", 0, REG_SZ, reinterpret_cast<const BYTE*>(later.c_str()),
                         static_cast<DWORD>((later.size() + 1) * sizeof(wchar_t)));
        RegKey entry;
        ::RegOpenKeyExW(HKEY_LOCAL_MACHINE, kUninstallKey, 0, KEY_SET_VALUE, entry.put());
        const std::wstring other = L"\"D:\\Other\\VQUninstall.Exe\"";
        ::RegSetValueExW(entry.get(), L"UninstallString", 0, REG_SZ, reinterpret_cast<const BYTE*>(other.c_str()),
                         static_cast<DWORD>((other.size() + 1) * sizeof(wchar_t)));
    }
    const RemovalResult result = RemoveInstallation(setup.Record(), setup.Options());
    EXPECT_TRUE(result.Complete());
    EXPECT_TRUE(TypeRegistered(L".qvbak", L"VessasQuorin")) << "it opens another installation's program";
    EXPECT_EQ(RegText(HKEY_CURRENT_USER, std::wstring(kClassesKey) + L"VessasQuorin\\shell\\open\\command", nullptr), otherCommand);
    EXPECT_FALSE(RegKeyExists(HKEY_CURRENT_USER, std::wstring(kClassesKey) + L"VessasQuorinGS"));
    EXPECT_EQ(RegText(HKEY_CURRENT_USER, std::wstring(kClassesKey) + L".qvcalc", nullptr), L"<missing>");
    EXPECT_TRUE(RegKeyExists(HKEY_CURRENT_USER, std::wstring(kClassesKey) + L".qvcalc\\OpenWithProgids"))
        << "what other programs put under the extension stays";
    EXPECT_EQ(RegText(HKEY_CURRENT_USER, kSettingsKey, L"InstallTime"), L"2030,1,1,0,0,0");
    EXPECT_EQ(RegText(HKEY_LOCAL_MACHINE, kUninstallKey, L"UninstallString"), L"\"D:\\Other\\VQUninstall.Exe\"");
}

TEST(Removal, AFileThatCannotBeRemovedKeepsTheEntryAndTheRecordForAnotherRun) {
    Installed setup(L"uninstall-again");
    const InstallRecord record = setup.Record();
    const std::wstring locked = setup.Bin() + L"VQCore.dll";
    {
        // Something holds the program file open and lets nobody delete it.
        FileHandle held(::CreateFileW(locked.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
        ASSERT_TRUE(held);
        const RemovalResult first = RemoveInstallation(record, setup.Options());
        EXPECT_FALSE(first.Complete());
        EXPECT_EQ(ExitCodeOf(first), ueNotEverythingRemoved);
        ASSERT_EQ(first.Failed.size(), 1u);
        EXPECT_EQ(first.Failed[0].rfind(locked, 0), 0u) << Narrow(first.Failed[0]);
        EXPECT_FALSE(first.EntryRemoved);
        EXPECT_TRUE(RegKeyExists(HKEY_LOCAL_MACHINE, kUninstallKey)) << "the program list can start it again";
        EXPECT_TRUE(Utillity::FileExists(setup.RecordFile()));
    }
    const RemovalResult second = RemoveInstallation(setup.Record(), setup.Options());
    EXPECT_TRUE(second.Complete());
    EXPECT_EQ(ExitCodeOf(second), ueRemoved);
    EXPECT_FALSE(Utillity::FileExists(locked));
    EXPECT_FALSE(Utillity::DirExists(setup.program));
    EXPECT_FALSE(RegKeyExists(HKEY_LOCAL_MACHINE, kUninstallKey));
}

TEST(Removal, ARemovableInstallationWhoseDriveIsAwayLosesOnlyTheMachinesEntries) {
    Installed setup(L"uninstall-stick");
    // The same record, as if its folders lay on a drive that is not there.
    wchar_t absent = 0;
    const DWORD drives = ::GetLogicalDrives();
    for (wchar_t letter = L'Q'; letter <= L'Y' && !absent; ++letter)
        if (!(drives & (1u << (letter - L'A')))) absent = letter;
    ASSERT_NE(absent, 0);
    const std::wstring stick = std::wstring(1, absent) + L":\\VessasQuorin\\";
    InstallRecord record = setup.Record();
    record.Removable = true;
    record.ProgramFolder = record.UninstallFolder = stick + L"Prog\\";
    record.BinFolder = stick + L"Prog\\Bin\\";
    record.DataFolder = stick + L"Data\\";
    record.Files = {{stick + L"Prog\\Bin\\VessasQuorin.Exe", 10}};
    record.Folders = {stick + L"Prog\\"};
    record.Links.push_back(stick + kLinkName);
    record.IniFile = stick + L"Prog\\Bin\\VessasQuorin.Ini";
    const LogFrom log;
    const RemovalResult result = RemoveInstallation(record, setup.Options(true));
    EXPECT_TRUE(result.DriveAbsent);
    EXPECT_TRUE(result.Failed.empty());
    EXPECT_EQ(ExitCodeOf(result), ueDriveAbsent);
    EXPECT_TRUE(result.EntryRemoved) << "the machine's entries go all the same";
    EXPECT_FALSE(RegKeyExists(HKEY_LOCAL_MACHINE, kUninstallKey));
    EXPECT_FALSE(RegKeyExists(HKEY_CURRENT_USER, kSettingsKey));
    EXPECT_FALSE(Utillity::FileExists(setup.shell.CommonDesktop + kLinkName)) << "the machine's link goes";
    EXPECT_TRUE(Has(log.Lines(), "RemovableDisk: " + Narrow(stick.substr(0, 3)) + " is not present; the files on it are left"));
}

TEST(Removal, TheRunningUninstallerAndItsFolderGoOnlyOnceItHasEnded) {
    Installed setup(L"uninstall-self");
    const InstallRecord record = setup.Record();
    const std::wstring uninstaller = setup.program + L"VQUninstall.Exe";
    RemovalOptions options = setup.Options();
    options.RunningUninstaller = uninstaller;
    const RemovalResult result = RemoveInstallation(record, options);
    EXPECT_TRUE(result.Complete());
    EXPECT_EQ(Tree(setup.program), std::set<std::wstring>{Lower(uninstaller)});
    RemoveRunningUninstaller(record, uninstaller);
    EXPECT_FALSE(Utillity::DirExists(setup.program));
}

TEST(Removal, AnUninstallerTheRecordDoesNotHoldAsItIsStays) {
    Installed setup(L"uninstall-self-other");
    const InstallRecord record = setup.Record();
    const std::wstring installed = setup.program + L"VQUninstall.Exe";
    RemovalOptions options = setup.Options();
    options.RunningUninstaller = installed;
    RemoveInstallation(record, options);
    // One the user started from elsewhere is not the installation's.
    ScratchFolder elsewhere(L"uninstall-self-elsewhere");
    WriteFileBytes(elsewhere.Path() + L"VQUninstall.Exe", "a copy");
    RemoveRunningUninstaller(record, elsewhere.Path() + L"VQUninstall.Exe");
    EXPECT_TRUE(Utillity::FileExists(elsewhere.Path() + L"VQUninstall.Exe"));
    // The installation's own, replaced since by a file of another size, is someone else's now.
    WriteFileBytes(installed, "another program");
    RemoveRunningUninstaller(record, installed);
    EXPECT_TRUE(Utillity::FileExists(installed));
    EXPECT_TRUE(Utillity::DirExists(setup.program));
}

TEST(Installations, AreFoundByTheirRecordOrTheirSettings) {
    Installed setup(L"uninstall-find");
    const std::wstring uninstaller = setup.program + L"VQUninstall.Exe";
    Installation found = FindInstallation(uninstaller, setup.shell, {});
    EXPECT_EQ(found.Kind, InstallationKind::Recorded);
    EXPECT_EQ(found.RecordFile, setup.RecordFile());
    EXPECT_EQ(found.Record, setup.Record());

    // Started from elsewhere, the uninstaller finds the record of the installation the settings name.
    found = FindInstallation(setup.scratch.Path() + L"Downloads\\VQUninstall.Exe", setup.shell, {});
    EXPECT_EQ(found.Kind, InstallationKind::Recorded);
    EXPECT_EQ(found.RecordFile, setup.RecordFile());

    // A record cut short is an error naming it: nothing may be removed on its word.
    const std::string bytes = ReadFileBytes(setup.RecordFile());
    WriteFileBytes(setup.RecordFile(), bytes.substr(0, bytes.size() / 2));
    try {
        FindInstallation(uninstaller, setup.shell, {});
        ADD_FAILURE() << "a damaged record was taken";
    } catch (const EVQError& error) {
        EXPECT_EQ(error.Message().rfind(L"The install record " + setup.RecordFile() + L" is damaged: ", 0), 0u)
            << Narrow(error.Message());
    }

    ::DeleteFileW(setup.RecordFile().c_str());
    found = FindInstallation(uninstaller, setup.shell, {});
    EXPECT_EQ(found.Kind, InstallationKind::Unrecorded) << "the settings key names the installation";
    EXPECT_EQ(found.Record.BinFolder, setup.Bin());

    ::RegDeleteTreeW(HKEY_CURRENT_USER, kSettingsKey);
    EXPECT_EQ(FindInstallation(uninstaller, setup.shell, {}).Kind, InstallationKind::None);
}

namespace {
// What an Authenticode signer does to a PE file, as far as its length goes: zeros up to a multiple
// of 8 bytes, then the certificate table, named by the security directory. Gives the new length.
std::int64_t AppendSignature(const std::wstring& path) {
    std::vector<char> bytes;
    {
        std::ifstream in(std::filesystem::path(path), std::ios::binary);
        bytes.assign(std::istreambuf_iterator<char>(in), {});
    }
    std::int32_t lfanew = 0;
    std::memcpy(&lfanew, bytes.data() + 0x3C, sizeof(lfanew));
    const size_t optional = static_cast<size_t>(lfanew) + 4 + sizeof(IMAGE_FILE_HEADER);
    const size_t directory = optional + 112 + IMAGE_DIRECTORY_ENTRY_SECURITY * sizeof(IMAGE_DATA_DIRECTORY);
    bytes.resize((bytes.size() + 7) / 8 * 8, '\0');
    const IMAGE_DATA_DIRECTORY security{static_cast<DWORD>(bytes.size()), 24};
    std::memcpy(bytes.data() + directory, &security, sizeof(security));
    bytes.insert(bytes.end(), 24, '\x5A');
    std::ofstream(std::filesystem::path(path), std::ios::binary | std::ios::trunc).write(bytes.data(),
                                                                                       static_cast<std::streamsize>(bytes.size()));
    return static_cast<std::int64_t>(bytes.size());
}
}  // namespace

TEST(Installations, ASignedCopyOfAListedFileIsKnownByItsLengthBeforeTheSignature) {
    Installed setup(L"uninstall-signed");
    const std::wstring library = setup.Bin() + L"ziplib.dll", ini = setup.Bin() + kIniFileName;
    EXPECT_EQ(SizeBeforeSignature(library), -1) << "the build does not sign";
    EXPECT_EQ(SizeBeforeSignature(ini), -1) << "no PE file";
    const std::int64_t unsignedSize = Utillity::GetFileSize(library);
    const std::int64_t signedSize = AppendSignature(library);
    EXPECT_EQ(SizeBeforeSignature(library), (unsignedSize + 7) / 8 * 8);
    std::ofstream(std::filesystem::path(library), std::ios::binary | std::ios::app).put('x');
    EXPECT_EQ(SizeBeforeSignature(library), -1) << "bytes after the signature are not the signer's";
    ASSERT_EQ(Utillity::GetFileSize(library), signedSize + 1);
}

TEST(Installations, WithoutARecordOnlyTheBinAndUninstallFilesOfTheirListedSizeGo) {
    Installed setup(L"uninstall-norecord");
    ::DeleteFileW(setup.RecordFile().c_str());
    const std::wstring uninstaller = setup.program + L"VQUninstall.Exe";
    // The list as the build makes it, from the archive this program carries and the sizes the files
    // have once installed; one program file is listed with another size than the one installed.
    TPackFiles reader(nullptr);
    TMemoryStream stream = OpenResourceStream(nullptr, L"FILESTREAM");
    std::wstring version;
    reader.Load(stream, version);
    std::vector<PayloadEntry> entries;
    for (int i = 0; i < reader.Count(); ++i) {
        const TPackFile& e = reader.Items(i);
        const std::wstring path = GetTargetFolder(setup.choices, e.Root) + Utillity::AddBackslash(e.Folder) + e.FileName;
        std::int64_t size = Utillity::FileExists(path) ? Utillity::GetFileSize(path) : 1;
        if (e.FileName == L"VQCore.dll") ++size;
        if (e.FileName == L"VQUninstall.Exe") size = -1;
        entries.push_back({e.Root, e.Folder, e.FileName, size});
    }
    // The list is made from the unsigned build; a release installs the library signed.
    AppendSignature(setup.Bin() + L"ziplib.dll");
    // A link of the user's own that starts something else stays.
    Utillity::CreateShortcut(L"C:\\windows\\notepad.exe", L"C:\\windows\\", setup.shell.CommonDesktop + L"Notes.lnk");
    const Installation found = FindInstallation(uninstaller, setup.shell, entries);
    ASSERT_EQ(found.Kind, InstallationKind::Unrecorded);
    const std::set<std::wstring> dataBefore = Tree(setup.data);

    RemovalOptions options = setup.Options(true);
    options.RunningUninstaller = uninstaller;
    options.RecordFile.clear();
    const RemovalResult result = RemoveInstallation(found.Record, options);
    EXPECT_TRUE(result.Complete());
    EXPECT_EQ(Tree(setup.program),
              (std::set<std::wstring>{Lower(setup.Bin()), Lower(setup.Bin() + L"VQCore.dll"), Lower(uninstaller)}));
    EXPECT_EQ(Tree(setup.data), dataBefore) << "without a record the data folder is never touched, Remove data or not";
    EXPECT_FALSE(Utillity::FileExists(setup.shell.CommonDesktop + kLinkName));
    EXPECT_FALSE(Utillity::DirExists(setup.shell.StartMenu));
    EXPECT_TRUE(Utillity::FileExists(setup.shell.CommonDesktop + L"Notes.lnk"));
    EXPECT_FALSE(RegKeyExists(HKEY_CURRENT_USER, kSettingsKey));
    EXPECT_FALSE(RegKeyExists(HKEY_LOCAL_MACHINE, kUninstallKey));
    EXPECT_FALSE(RegKeyExists(HKEY_CURRENT_USER, std::wstring(kClassesKey) + L"VessasQuorin"));
    RemoveRunningUninstaller(found.Record, uninstaller);
    EXPECT_FALSE(Utillity::FileExists(uninstaller)) << "the running uninstaller is known by its own size";
}

TEST(Installations, TheEntryListReadsAsTheBuildWritesIt) {
    EXPECT_EQ(ParsePayloadEntries("VQPayloadEntries\t1\n# comment\nPROGRAM\t\tVQCore.dll\t123\r\n"
                                  "USER\tSymbols\\Default_Icons\tSym.Ico\t770\nUNINST\t\tVQUninstall.Exe\t-\n"),
              (std::vector<PayloadEntry>{{L"PROGRAM", L"", L"VQCore.dll", 123},
                                         {L"USER", L"Symbols\\Default_Icons", L"Sym.Ico", 770},
                                         {L"UNINST", L"", L"VQUninstall.Exe", -1}}));
    for (const char* bad : {"", "PROGRAM\t\tA.dll\t1\n", "VQPayloadEntries\t2\n", "VQPayloadEntries\t1\nPROGRAM\t\tA.dll\n",
                            "VQPayloadEntries\t1\nPROGRAM\t\tA.dll\t1x\n", "VQPayloadEntries\t1\nPROGRAM\t\t\t1\n"})
        EXPECT_THROW(ParsePayloadEntries(bad), EVQError) << bad;
    // The list built into the uninstaller (and into this program) names the full payload's files.
    const auto builtIn = BuiltInPayloadEntries();
    EXPECT_EQ(builtIn.size(), 298u);
    EXPECT_TRUE(std::any_of(builtIn.begin(), builtIn.end(), [](const PayloadEntry& e) {
        return e.Root == L"PROGRAM" && e.FileName == L"VessasQuorin.Exe" && e.Size > 10000;
    }));
}

TEST(UninstallerCopy, OnlyItsOwnCommandLineStartsTheCopy) {
    KernelHandle event(::CreateEventW(nullptr, FALSE, FALSE, nullptr));
    const std::wstring handle = std::to_wstring(reinterpret_cast<UINT_PTR>(event.get()));
    const auto copy = ParseCopyStart({L"/VQCOPY", L"C:\\P\\VQUninstall.Exe", handle, handle, L"SILENT"});
    ASSERT_TRUE(copy);
    EXPECT_EQ(copy->Original, L"C:\\P\\VQUninstall.Exe");
    EXPECT_TRUE(copy->Silent);
    EXPECT_FALSE(ParseCopyStart({L"/VQCOPY", L"C:\\P\\VQUninstall.Exe", handle, handle})->Silent);
    const std::vector<std::vector<std::wstring>> others = {
        {}, {L"silent"}, {L"/vqcopy", L"C:\\P\\VQUninstall.Exe", handle, handle},
        {L"/VQCOPY", L"VQUninstall.Exe", handle, handle}, {L"/VQCOPY", L"C:\\P\\VQUninstall.Exe", L"12x", handle},
        {L"/VQCOPY", L"C:\\P\\VQUninstall.Exe", L"999999", handle}, {L"/VQCOPY", L"C:\\P\\VQUninstall.Exe", handle},
    };
    for (const auto& params : others) EXPECT_FALSE(ParseCopyStart(params)) << params.size() << " parameters";
    const struct { std::vector<std::wstring> params; bool silent; } lines[] = {
        {{L"silent"}, true}, {{L"SILENT"}, true}, {{L"Silent"}, true}, {{L"silent", L"x"}, false}, {{}, false},
        {{L"/silent"}, false},
    };
    for (const auto& l : lines) EXPECT_EQ(IsSilentCommandLine(l.params), l.silent);
}
