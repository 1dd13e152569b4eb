// Round trips through the real VQSetup.exe and the VQUninstall.Exe it installed, started the way the
// system starts it: "uninstaller --remove VessasQuorin" (Wine's program list, which runs the entry's
// UninstallString, as "Uninstall" in Apps & features does) or the entry's QuietUninstallString, as
// deployment tools run it. Each compares the prefix's files and registry with a snapshot taken
// before the installation: nothing of the setup may be left, nothing of the user's removed.
#include <gtest/gtest.h>
#include <windows.h>
#include <shlobj.h>
#include <tlhelp32.h>

#include <algorithm>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "Driver.h"
#include "ScenarioSupport.h"
#include "WineDrives.h"
#include "uninstall/UninstallForm.h"
#include "wizard/VQSetupUnit.h"

using namespace e2e;
using namespace testsupport;

namespace {

const std::string kDashes(61, '-');
const std::wstring kUninstaller = kProgramFolder + L"VQUninstall.Exe";
const std::wstring kRecord = kProgramFolder + L"VQInstallRecord.Txt";

// ---- what the prefix holds

// The files and folders of drive C: (the system folder aside, which Wine itself keeps) and the
// registry where the setup writes, as "path" or "key\\value=data" lines.
struct MachineState {
    std::set<std::wstring> Files;
    std::set<std::wstring> Registry;
};

void CollectTree(const std::wstring& folder, std::set<std::wstring>& out) {
    WIN32_FIND_DATAW found{};
    HANDLE search = ::FindFirstFileW((folder + L"*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return;
    do {
        const std::wstring name = found.cFileName;
        if (name == L"." || name == L"..") continue;
        const std::wstring path = folder + name;
        if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
            // Wine links the user's Desktop, Documents and the like to the Unix home: not the prefix's.
            if (Lower(path) == L"c:\\windows" || (found.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT)) continue;
            out.insert(Lower(path + L"\\"));
            CollectTree(path + L"\\", out);
        } else {
            out.insert(Lower(path));
        }
    } while (::FindNextFileW(search, &found));
    ::FindClose(search);
}

void CollectKey(HKEY root, const std::wstring& rootName, const std::wstring& key, std::set<std::wstring>& out) {
    // Wine's own bookkeeping (its menu entries for links, temporary system parameters) is Wine's.
    if (rootName == L"HKCU" && Lower(key) == L"software\\wine") return;
    HKEY opened = nullptr;
    if (::RegOpenKeyExW(root, key.c_str(), 0, KEY_READ, &opened) != ERROR_SUCCESS) return;
    out.insert(rootName + L"\\" + key);
    for (DWORD i = 0;; ++i) {
        wchar_t name[512] = {};
        DWORD nameLength = 512, type = 0;
        BYTE data[4096] = {};
        DWORD size = sizeof(data) - 2;
        if (::RegEnumValueW(opened, i, name, &nameLength, nullptr, &type, data, &size) != ERROR_SUCCESS) break;
        const std::wstring text = type == REG_SZ || type == REG_EXPAND_SZ ? reinterpret_cast<const wchar_t*>(data)
                                                                            : L"<type " + std::to_wstring(type) + L">";
        out.insert(rootName + L"\\" + key + L"\\" + name + L"=" + text);
    }
    std::vector<std::wstring> subkeys;
    for (DWORD i = 0;; ++i) {
        wchar_t name[512] = {};
        DWORD length = 512;
        if (::RegEnumKeyExW(opened, i, name, &length, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
        subkeys.push_back(name);
    }
    ::RegCloseKey(opened);
    for (const std::wstring& sub : subkeys) CollectKey(root, rootName, key + L"\\" + sub, out);
}

MachineState Snapshot() {
    MachineState state;
    CollectTree(L"C:\\", state.Files);
    // The log only grows; it is the one file an uninstallation adds to.
    state.Files.erase(Lower(TempFolder() + L"VQ_Setup_Log.Txt"));
    CollectKey(HKEY_CURRENT_USER, L"HKCU", L"Software", state.Registry);
    CollectKey(HKEY_LOCAL_MACHINE, L"HKLM", L"Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall", state.Registry);
    return state;
}

void ExpectSame(const std::set<std::wstring>& before, const std::set<std::wstring>& after, const char* what) {
    std::vector<std::wstring> gone, added;
    std::set_difference(before.begin(), before.end(), after.begin(), after.end(), std::back_inserter(gone));
    std::set_difference(after.begin(), after.end(), before.begin(), before.end(), std::back_inserter(added));
    for (const auto& p : gone) ADD_FAILURE() << what << " removed: " << Narrow(p);
    for (const auto& p : added) ADD_FAILURE() << what << " left: " << Narrow(p);
}

// The machine as before, but for the user's own files (and the folders they keep).
void ExpectMachineAsBefore(const MachineState& before, const std::vector<std::wstring>& usersOwn = {}) {
    MachineState after = Snapshot();
    std::set<std::wstring> expected = before.Files;
    for (const std::wstring& path : usersOwn) {
        expected.insert(Lower(path));
        // The folders the file keeps, up to one that was there before.
        for (size_t at = path.find_last_of(L'\\', path.size() - 2); at != std::wstring::npos && at > 2;
             at = path.find_last_of(L'\\', at - 1))
            expected.insert(Lower(path.substr(0, at + 1)));
    }
    ExpectSame(expected, after.Files, "file or folder");
    ExpectSame(before.Registry, after.Registry, "registry");
}

std::wstring RegString(HKEY root, const std::wstring& key, const wchar_t* value) {
    wchar_t data[1024] = {};
    DWORD size = sizeof(data);
    if (::RegGetValueW(root, key.c_str(), value, RRF_RT_REG_SZ, nullptr, data, &size) != ERROR_SUCCESS) return L"<missing>";
    return data;
}

void WriteBytes(const std::wstring& path, const std::string& bytes) {
    HANDLE file = ::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE) << Narrow(path);
    DWORD written = 0;
    ::WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    ::CloseHandle(file);
}

// From the folder page on, as shown: install, close the finish page; the setup's exit code.
DWORD InstallFromTheFolderPage(SetupProcess& setup) {
    setup.WaitPage(pgFolder);
    setup.Click(idNextButton);
    setup.WaitPage(pgConfirm);
    setup.Click(idNextButton);
    setup.WaitPage(pgFinish, 60000);
    setup.Click(idCancelButton);
    return setup.WaitExit();
}

// ---- the log

// The lines of the attempts after the last header block: the uninstaller's, once it has run.
std::vector<std::string> LastAttempt(const std::vector<std::string>& lines) {
    std::vector<std::string> attempt;
    for (size_t i = 0; i < lines.size(); ++i) {
        if (lines[i] == kDashes && i + 2 < lines.size() && lines[i + 1] == "Vessa's Quorin Setup Log" && lines[i + 2] == kDashes) {
            attempt.clear();
            i += 2;
            continue;
        }
        attempt.push_back(lines[i]);
    }
    return attempt;
}


// ---- processes

// The processes of the uninstaller and its copy, by their file names.
std::vector<DWORD> UninstallerProcesses() {
    std::vector<DWORD> ids;
    HANDLE snapshot = ::CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (snapshot == INVALID_HANDLE_VALUE) return ids;
    PROCESSENTRY32W entry{};
    entry.dwSize = sizeof entry;
    for (BOOL more = ::Process32FirstW(snapshot, &entry); more; more = ::Process32NextW(snapshot, &entry))
        if (Lower(entry.szExeFile).rfind(L"vquninstall", 0) == 0) ids.push_back(entry.th32ProcessID);
    ::CloseHandle(snapshot);
    return ids;
}

// The copy removes the uninstaller once the uninstaller has ended, after the caller saw it end.
void WaitForUninstallersToEnd() {
    for (int i = 0; i < 300 && !UninstallerProcesses().empty(); ++i) ::Sleep(50);
    ASSERT_TRUE(UninstallerProcesses().empty()) << "the uninstaller's processes do not end";
}

// A visible top-level window of the given class in another process; its process, or 0.
DWORD ProcessWithWindow(const std::wstring& windowClass) {
    struct Search {
        const std::wstring* Class;
        DWORD Found;
    } search{&windowClass, 0};
    ::EnumWindows(
        [](HWND w, LPARAM p) {
            auto* s = reinterpret_cast<Search*>(p);
            wchar_t name[64] = {};
            ::GetClassNameW(w, name, 64);
            DWORD id = 0;
            ::GetWindowThreadProcessId(w, &id);
            if (::IsWindowVisible(w) && name == *s->Class && id != ::GetCurrentProcessId()) s->Found = id;
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.Found;
}

// The uninstaller's copy, once it shows a window of the given class.
std::unique_ptr<SetupProcess> AttachToUninstaller(const std::wstring& windowClass, const std::wstring& name) {
    DWORD id = 0;
    for (int i = 0; i < 400 && !(id = ProcessWithWindow(windowClass)); ++i) ::Sleep(50);
    if (!id) throw ScenarioError("no window of class " + Narrow(windowClass) + " appeared");
    return std::make_unique<SetupProcess>(id, name, windowClass);
}

// A program started with a command line exactly as a program list or a deployment tool runs it.
class Command {
public:
    explicit Command(std::wstring commandLine, bool captureOutput = false) {
        STARTUPINFOW startup{};
        startup.cb = sizeof startup;
        SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
        HANDLE write = nullptr;
        if (captureOutput && ::CreatePipe(&output_, &write, &inherit, 0)) {
            ::SetHandleInformation(output_, HANDLE_FLAG_INHERIT, 0);
            startup.dwFlags = STARTF_USESTDHANDLES;
            startup.hStdOutput = startup.hStdError = write;
        }
        PROCESS_INFORMATION info{};
        if (!::CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, captureOutput, 0, nullptr, nullptr, &startup, &info))
            throw ScenarioError("cannot start " + Narrow(commandLine) + ": error " + std::to_string(::GetLastError()));
        if (write) ::CloseHandle(write);
        ::CloseHandle(info.hThread);
        process_ = info.hProcess;
    }
    ~Command() {
        if (::WaitForSingleObject(process_, 0) == WAIT_TIMEOUT) ::TerminateProcess(process_, 99);
        ::CloseHandle(process_);
        if (output_) ::CloseHandle(output_);
    }
    Command(const Command&) = delete;
    Command& operator=(const Command&) = delete;

    DWORD Wait(DWORD timeoutMs = 60000) {
        if (output_) {
            char buffer[4096];
            DWORD got = 0;
            while (::ReadFile(output_, buffer, sizeof buffer, &got, nullptr) && got > 0) text_.append(buffer, got);
        }
        if (::WaitForSingleObject(process_, timeoutMs) != WAIT_OBJECT_0) throw ScenarioError("the command did not end");
        DWORD code = 0;
        ::GetExitCodeProcess(process_, &code);
        return code;
    }
    bool Running() const { return ::WaitForSingleObject(process_, 0) == WAIT_TIMEOUT; }
    const std::string& Output() const { return text_; }

private:
    HANDLE process_ = nullptr;
    HANDLE output_ = nullptr;
    std::string text_;
};

// The uninstaller's last page, as the user leaves it: Finish, then the uninstaller, the program
// list that started it and the uninstaller's own copies have ended. The uninstaller's exit code.
DWORD FinishTheLastPage(SetupProcess& uninstall, Command& programList) {
    uninstall.Click(idFinishButton);
    const DWORD exitCode = uninstall.WaitExit();
    programList.Wait();
    WaitForUninstallersToEnd();
    return exitCode;
}

const std::wstring kSystemUninstaller = L"uninstaller.exe";

// The entries of the system's program list.
std::string ProgramList() {
    Command list(kSystemUninstaller + L" --list", true);
    list.Wait();
    return list.Output();
}

// ---- the scenarios

class UninstallScenario : public Scenario {
protected:
    void SetUp() override {
        // "Remove data" fills Wine's trash: this prefix's, not the trash of whoever runs the tests.
        const std::wstring prefix = WinePrefix();
        if (!prefix.empty()) {
            const std::wstring trash = prefix + L"/vq_e2e_trash";
            ::CreateDirectoryW(UnixToWindows(trash).c_str(), nullptr);
            ::SetEnvironmentVariableW(L"XDG_DATA_HOME", trash.c_str());
            trash_ = UnixToWindows(trash) + L"\\Trash\\files\\";
            // Nor do the links the setup makes become menu entries in that home.
            wchar_t overrides[1024] = {};
            ::GetEnvironmentVariableW(L"WINEDLLOVERRIDES", overrides, 1024);
            const std::wstring current = overrides;
            if (current.find(L"winemenubuilder") == std::wstring::npos) {
                const std::wstring disabled = (current.empty() ? L"" : current + L";") + L"winemenubuilder.exe=d";
                ::SetEnvironmentVariableW(L"WINEDLLOVERRIDES", disabled.c_str());
            }
        }
        Scenario::SetUp();
        before_ = Snapshot();
    }
    void TearDown() override {
        for (DWORD id : UninstallerProcesses())
            if (HANDLE p = ::OpenProcess(PROCESS_TERMINATE, FALSE, id)) {
                ::TerminateProcess(p, 99);
                ::CloseHandle(p);
            }
        Scenario::TearDown();
    }

    void InstallSilently(const std::wstring& setupFile = SetupExe()) {
        SetupProcess setup(setupFile, L"silent", L"install");
        ASSERT_EQ(setup.WaitExit(60000), 0u);
        ASSERT_TRUE(FileExists(kUninstaller));
    }

    // The QuietUninstallString, run as a deployment tool runs it; its exit code.
    DWORD UninstallSilently() {
        const std::wstring command = RegString(HKEY_LOCAL_MACHINE, kUninstallKey, L"QuietUninstallString");
        EXPECT_EQ(command, L"\"" + kUninstaller + L"\" silent");
        Command quiet(command);
        const DWORD code = quiet.Wait();
        WaitForUninstallersToEnd();
        return code;
    }

    MachineState before_;
    std::wstring trash_;
};

TEST_F(UninstallScenario, StandardInstallationGoesThroughTheProgramListLeavingOnlyTheUsersFiles) {
    {
        SetupProcess setup(SetupExe(), L"", L"standard");
        NextToConfirmation(setup);
        setup.Click(idNextButton);
        setup.WaitPage(pgFinish, 60000);
        setup.Click(idCancelButton);
        ASSERT_EQ(setup.WaitExit(), 0u);
    }
    const std::wstring inData = kDataFolder + L"VQ_User_0004\\Our budget 2027.qvbak";
    const std::wstring inBin = kBin + L"notes.txt";
    const std::wstring changed = kDataFolder + L"VQ_User_0004\\Sample_Household_01.qvbak";
    WriteBytes(inData, "the user's own");
    WriteBytes(inBin, "the user's own too");
    WriteBytes(changed, ReadBytes(changed) + "changed by the user");
    EXPECT_NE(ProgramList().find("VessasQuorin|||Vessas Quorin 9.9"), std::string::npos) << ProgramList();
    RestartLog();

    Command programList(kSystemUninstaller + L" --remove VessasQuorin");
    auto uninstall = AttachToUninstaller(L"TVQUninstallForm", L"uninstall-standard");
    EXPECT_EQ(uninstall->Caption(), L"VESSA'S QUORIN 9.9");
    EXPECT_EQ(uninstall->Text(idQuestionLabel), L"Do you want to remove Vessa's Quorin from your computer?");
    EXPECT_EQ(uninstall->Text(idRemoveDataCheckBox), L"Remove data");
    EXPECT_EQ(::SendMessageW(uninstall->Control(idRemoveDataCheckBox), BM_GETCHECK, 0, 0), BST_UNCHECKED);
    EXPECT_EQ(uninstall->Text(idRemoveButton), L"Remove");
    EXPECT_TRUE(FileExists(kUninstaller) && !RegString(HKEY_LOCAL_MACHINE, kUninstallKey, L"UninstallString").empty());
    uninstall->Click(idRemoveButton);
    uninstall->WaitUntil([&] { return uninstall->Visible(idFinishButton); }, 30000, "the last page");
    EXPECT_EQ(uninstall->Text(idResultLabel), L"The deinstallation has been finished");
    EXPECT_EQ(uninstall->Text(idFinishButton), L"Finish");
    EXPECT_EQ(FinishTheLastPage(*uninstall, programList), 0u);

    ExpectMachineAsBefore(before_, {inData, inBin, changed});
    EXPECT_EQ(ProgramList().find("VessasQuorin"), std::string::npos);
    const auto lines = LastAttempt(Log());
    ExpectInOrder(lines, {"Uninstall: " + Narrow(kUninstaller), "InstallRecord: " + Narrow(kRecord), "Check IsRunning",
                          "RemoveData=N", "RemoveLink: ", "RemoveFile: " + Narrow(kBin), "KeepFile (changed by the user): " + Narrow(changed),
                          "RemoveIniFile: ", "KeepFolder (not empty): " + Narrow(kBin), "RemoveFileType: .qvbak",
                          "RemoveSettings: ", "RemoveUninstallEntry: ", "RemoveFile: " + Narrow(kRecord), "Finish",
                          "RemoveFile: " + Narrow(kUninstaller)});
    // The uninstall entry goes after everything of the installation, the uninstaller's own files aside.
    const auto entry = std::find_if(lines.begin(), lines.end(), [](const std::string& l) { return StartsWith(l, "RemoveUninstallEntry: "); });
    for (auto after = entry; after != lines.end(); ++after)
        EXPECT_FALSE(StartsWith(*after, "RemoveLink") || StartsWith(*after, "RemoveIniFile") || StartsWith(*after, "RemoveFileType") ||
                     StartsWith(*after, "RemoveSettings"))
            << *after;
}

TEST_F(UninstallScenario, CustomInstallationWithoutLinksWithRemoveDataSendsTheUsersDataToTheTrash) {
    if (trash_.empty()) GTEST_SKIP() << "not running under Wine";
    {
        SetupProcess setup(SetupExe(), L"", L"custom");
        setup.WaitPage(pgLanguage);
        setup.Click(idNextButton);
        setup.WaitPage(pgLicence);
        setup.Click(idNextButton);
        setup.WaitPage(pgOptions);
        setup.SetChecked(idOptionsListView, oiStartMenuEntry, false);
        setup.SetChecked(idOptionsListView, oiDesktopLink, false);
        EXPECT_EQ(setup.ComboSelection(idOptionsComboBox), stCustom);
        setup.Click(idNextButton);
        ASSERT_EQ(InstallFromTheFolderPage(setup), 0u);
    }
    EXPECT_FALSE(FileExists(SpecialFolder(CSIDL_COMMON_DESKTOPDIRECTORY) + L"Vessas Quorin.lnk"));
    const std::wstring mine = L"Mine " + std::to_wstring(::GetTickCount()) + L".qvbak";
    WriteBytes(kDataFolder + mine, "the user's own, ticked away");

    Command programList(kSystemUninstaller + L" --remove VessasQuorin");
    auto uninstall = AttachToUninstaller(L"TVQUninstallForm", L"uninstall-custom");
    uninstall->Click(idRemoveDataCheckBox);
    uninstall->WaitUntil([&] { return ::SendMessageW(uninstall->Control(idRemoveDataCheckBox), BM_GETCHECK, 0, 0) == BST_CHECKED; },
                         5000, "Remove data ticked");
    uninstall->Click(idRemoveButton);
    uninstall->WaitUntil([&] { return uninstall->Visible(idFinishButton); }, 30000, "the last page");
    EXPECT_EQ(FinishTheLastPage(*uninstall, programList), 0u);

    ExpectMachineAsBefore(before_);
    // Restorable: the data folder, with the user's file in it, lies in the trash.
    std::set<std::wstring> trashed;
    CollectFiles(trash_, trashed);
    EXPECT_TRUE(std::any_of(trashed.begin(), trashed.end(), [&](const std::wstring& p) {
        return p.size() > mine.size() && p.compare(p.size() - mine.size(), mine.size(), Lower(mine)) == 0;
    })) << "the user's file is not in the trash";
}

TEST_F(UninstallScenario, HotfixOverAnInstallationThenTheQuietUninstallStringRemovesBoth) {
    InstallSilently();
    // The setup under a hotfix's name, outside drive C: so that it is no part of the comparison.
    const std::wstring setupFile = ModuleFolder() + L"VQSetup-uninstall-HF.exe";
    ASSERT_TRUE(::CopyFileW(SetupExe().c_str(), setupFile.c_str(), FALSE));
    struct Remove {
        std::wstring path;
        ~Remove() { ::DeleteFileW(path.c_str()); }
    } removeCopy{setupFile};
    {
        SetupProcess setup(setupFile, L"", L"hotfix");
        NextToConfirmation(setup);
        setup.Click(idNextButton);
        setup.WaitPage(pgFinish, 60000);
        setup.Click(idCancelButton);
        ASSERT_EQ(setup.WaitExit(), 0u);
    }
    RestartLog();
    // A dialog would keep the silent removal from ending: it shows nothing when all goes well.
    EXPECT_EQ(UninstallSilently(), 0u);
    ExpectMachineAsBefore(before_);
}

TEST_F(UninstallScenario, TheRunningApplicationIsRefusedUntilItIsClosedThenRepeatRemoves) {
    InstallSilently();
    RunningApplication app;
    ASSERT_NE(app.Window(), nullptr);

    Command programList(kSystemUninstaller + L" --remove VessasQuorin");
    auto uninstall = AttachToUninstaller(L"TVQUninstallForm", L"uninstall-running");
    uninstall->Click(idRemoveButton);
    const Dialog refusal = uninstall->WaitDialog(30000);
    EXPECT_EQ(refusal.Caption, L"VESSA'S QUORIN 9.9");
    // In German: the silent installation wrote that language into the settings key.
    EXPECT_EQ(refusal.Text, L"Bitte schlie\u00dfen Sie Vessa's Quorin, bevor Sie es entfernen");
    EXPECT_EQ(refusal.Buttons, (std::vector<std::wstring>{L"Wiederholen", L"Abbrechen"}));
    EXPECT_TRUE(FileExists(kBin + L"VessasQuorin.Exe")) << "nothing goes while it runs";
    ASSERT_TRUE(app.Close());
    uninstall->Answer(refusal, 0);
    uninstall->WaitUntil([&] { return uninstall->Visible(idFinishButton); }, 30000, "the last page");
    EXPECT_EQ(FinishTheLastPage(*uninstall, programList), 0u);
    ExpectMachineAsBefore(before_);
}

TEST_F(UninstallScenario, SilentExitCodesAndASecondRunThatFindsNothing) {
    InstallSilently();
    // The application runs: nothing is removed, and the entry stays.
    {
        RunningApplication app;
        ASSERT_NE(app.Window(), nullptr);
        EXPECT_EQ(UninstallSilently(), 4u);
        EXPECT_TRUE(app.Close());
    }
    EXPECT_TRUE(FileExists(kBin + L"VessasQuorin.Exe"));
    // A file something holds open cannot go: the entry and the record stay for another run.
    {
        HANDLE held = ::CreateFileW((kBin + L"VQCore.dll").c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
        ASSERT_NE(held, INVALID_HANDLE_VALUE);
        Command quiet(RegString(HKEY_LOCAL_MACHINE, kUninstallKey, L"QuietUninstallString"));
        // Its error report is the one window a silent removal shows.
        auto report = AttachToUninstaller(L"#32770", L"uninstall-partly");
        const Dialog error = report->WaitDialog();
        EXPECT_EQ(error.Caption, L"Error");
        EXPECT_EQ(error.Text.rfind(L"Es konnte nicht alles entfernt werden. Das Setup-Protokoll nennt, was geblieben ist.\r\n" + kBin +
                                       L"VQCore.dll",
                                   0),
                  0u)
            << Narrow(error.Text);
        report->Answer(error, 0);
        EXPECT_EQ(quiet.Wait(), 1u);
        ::CloseHandle(held);
        WaitForUninstallersToEnd();
        CloseTextViewers();
    }
    EXPECT_NE(RegString(HKEY_LOCAL_MACHINE, kUninstallKey, L"UninstallString"), L"<missing>");
    EXPECT_TRUE(FileExists(kRecord));
    EXPECT_TRUE(FileExists(kUninstaller));
    EXPECT_EQ(UninstallSilently(), 0u) << "run again, it removes the rest";
    ExpectMachineAsBefore(before_);

    // Once more, with the uninstaller the build made: nothing is installed any more.
    {
        Command silent(L"\"" + ModuleFolder() + L"VQUninstall.Exe\" SILENT");
        EXPECT_EQ(silent.Wait(), 5u);
    }
    Command again(L"\"" + ModuleFolder() + L"VQUninstall.Exe\"");
    auto message = AttachToUninstaller(L"#32770", L"uninstall-twice");
    const Dialog nothing = message->WaitDialog();
    EXPECT_EQ(nothing.Text, L"Vessa's Quorin is not installed on this computer.");
    EXPECT_EQ(nothing.Buttons, std::vector<std::wstring>{L"OK"});
    message->Answer(nothing, 0);
    EXPECT_EQ(again.Wait(), 5u);
    WaitForUninstallersToEnd();
    EXPECT_TRUE(FileExists(ModuleFolder() + L"VQUninstall.Exe")) << "an uninstaller of no installation stays where it is";
    ExpectMachineAsBefore(before_);
}

TEST_F(UninstallScenario, ADamagedRecordIsReportedAndNothingIsRemoved) {
    InstallSilently();
    const std::string record = ReadBytes(kRecord);
    WriteBytes(kRecord, record.substr(0, record.size() - 40));
    const MachineState installed = Snapshot();
    RestartLog();
    Command quiet(RegString(HKEY_LOCAL_MACHINE, kUninstallKey, L"QuietUninstallString"));
    auto report = AttachToUninstaller(L"#32770", L"uninstall-damaged");
    const Dialog error = report->WaitDialog();
    EXPECT_EQ(error.Caption, L"Error");
    EXPECT_EQ(error.Text.rfind(L"Die Aufzeichnung der Installation ist besch\u00e4digt. Es wurde nichts entfernt.\r\nThe install record " +
                                   kRecord + L" is damaged: ",
                               0),
              0u)
        << Narrow(error.Text);
    report->Answer(error, 0);
    EXPECT_EQ(quiet.Wait(), 3u);
    WaitForUninstallersToEnd();
    CloseTextViewers();
    ExpectSame(installed.Files, Snapshot().Files, "file or folder");
    ExpectSame(installed.Registry, Snapshot().Registry, "registry");
}

TEST_F(UninstallScenario, AnInstallationWithoutARecordLosesItsProgramButKeepsItsData) {
    // Every Windows profile has the user's classes key; a fresh Wine prefix may lack it, and
    // without a record the uninstaller cannot know that the run made it, so it rightly stays.
    HKEY classes = nullptr;
    ASSERT_EQ(::RegCreateKeyExW(HKEY_CURRENT_USER, L"Software\\Classes", 0, nullptr, 0, KEY_READ, nullptr, &classes,
                                nullptr), ERROR_SUCCESS);
    ::RegCloseKey(classes);
    before_ = Snapshot();
    InstallSilently();
    ASSERT_TRUE(::DeleteFileW(kRecord.c_str()));
    std::set<std::wstring> data;
    CollectTree(kDataFolder, data);
    RestartLog();
    EXPECT_EQ(UninstallSilently(), 0u);
    std::vector<std::wstring> kept(data.begin(), data.end());
    ExpectMachineAsBefore(before_, kept);
    ExpectInOrder(LastAttempt(Log()), {"InstallRecord: none; the setup's entry list and settings stand for it",
                                       "RemoveFile: " + Narrow(kBin), "RemoveUninstallEntry: ", "RemoveFile: " + Narrow(kUninstaller)});
}

// A removable disk E: of the scenario's prefix, present or taken away after the installation.
class RemovableUninstallScenario : public UninstallScenario {
protected:
    void SetUp() override {
        const std::wstring prefix = WinePrefix();
        if (prefix.empty()) GTEST_SKIP() << "WINEPREFIX is not set: not running under Wine";
        stickFolder_ = prefix + L"/vq_e2e_uninstall_stick";
        stick_ = std::make_unique<WineDrive>(L'E', DRIVE_REMOVABLE, stickFolder_);
        ASSERT_TRUE(stick_->Defined());
        UninstallScenario::SetUp();
    }
    void TearDown() override {
        if (stickFolder_.empty()) return;
        UninstallScenario::TearDown();
        if (!stick_) stick_ = std::make_unique<WineDrive>(L'E', DRIVE_REMOVABLE, stickFolder_);
        DeleteTree(L"E:\\VessasQuorin\\");
        stick_.reset();
        ::RemoveDirectoryW(UnixToWindows(stickFolder_).c_str());
    }

    void InstallOntoTheStick() {
        SetupProcess setup(SetupExe(), L"", L"removable-install");
        setup.WaitPage(pgLanguage);
        setup.Click(idNextButton);
        setup.WaitPage(pgLicence);
        setup.Click(idNextButton);
        setup.WaitPage(pgOptions);
        setup.SetChecked(idOptionsListView, oiUseRemoveable, true);
        setup.Click(idNextButton);
        setup.WaitPage(pgRemoveable);
        const auto drives = setup.ComboItems(idDriveComboBox);
        const auto at = std::find_if(drives.begin(), drives.end(), [](const std::wstring& d) {
            return d.size() >= 4 && d.compare(d.size() - 4, 4, L"(E:)") == 0;
        });
        ASSERT_NE(at, drives.end());
        setup.SelectCombo(idDriveComboBox, static_cast<int>(at - drives.begin()));
        setup.Click(idNextButton);
        ASSERT_EQ(InstallFromTheFolderPage(setup), 0u);
        ASSERT_TRUE(FileExists(L"E:\\VessasQuorin\\Vessas Quorin.lnk"));
    }

    // Through the program list, with Remove; the text of the last page.
    std::wstring RemoveThroughTheProgramList(const std::wstring& name) {
        Command programList(kSystemUninstaller + L" --remove VessasQuorin");
        auto uninstall = AttachToUninstaller(L"TVQUninstallForm", name);
        uninstall->Click(idRemoveButton);
        uninstall->WaitUntil([&] { return uninstall->Visible(idFinishButton); }, 30000, "the last page");
        const std::wstring result = uninstall->Text(idResultLabel);
        exitCode_ = FinishTheLastPage(*uninstall, programList);
        return result;
    }

    std::wstring stickFolder_;
    std::unique_ptr<WineDrive> stick_;
    DWORD exitCode_ = 99;
};

TEST_F(RemovableUninstallScenario, TheStickAndTheMachineAreClearedWhileTheStickIsPresent) {
    const MachineState stickBefore = [] {
        MachineState s;
        CollectTree(L"E:\\", s.Files);
        return s;
    }();
    InstallOntoTheStick();
    EXPECT_EQ(RemoveThroughTheProgramList(L"uninstall-stick"), L"The deinstallation has been finished");
    EXPECT_EQ(exitCode_, 0u);
    ExpectMachineAsBefore(before_);
    std::set<std::wstring> stickAfter;
    CollectTree(L"E:\\", stickAfter);
    ExpectSame(stickBefore.Files, stickAfter, "on the stick");
}

TEST_F(RemovableUninstallScenario, WithTheStickAwayTheMachinesEntriesGoAndTheSticksFilesStay) {
    InstallOntoTheStick();
    std::set<std::wstring> onStick;
    CollectTree(L"E:\\", onStick);
    RestartLog();
    // The stick is pulled: the drive letter is gone.
    stick_.reset();
    ASSERT_EQ(::GetDriveTypeW(L"E:\\"), static_cast<UINT>(DRIVE_NO_ROOT_DIR));
    EXPECT_EQ(RemoveThroughTheProgramList(L"uninstall-nostick"),
              L"The deinstallation has been finished\r\n\r\nThe removable disk of the installation is not present: the files on it were left.");
    EXPECT_EQ(exitCode_, 6u);
    ExpectMachineAsBefore(before_);
    ExpectInOrder(LastAttempt(Log()), {"RemovableDisk: E:\\ is not present; the files on it are left", "RemoveUninstallEntry: "});
    stick_ = std::make_unique<WineDrive>(L'E', DRIVE_REMOVABLE, stickFolder_);
    std::set<std::wstring> back;
    CollectTree(L"E:\\", back);
    EXPECT_EQ(back, onStick) << "the stick's files are as they were";
}

}  // namespace
