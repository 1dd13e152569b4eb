// The real VQSetup.exe, started and driven from outside as its users meet it, and the machine
// checked afterwards: the files against the archive the setup carries, the INI file, the
// registry, the shortcut, the setup log and the exit code. The scenarios run one after the other
// in one prefix; each removes what an installation leaves behind before and after it runs.
#include <gtest/gtest.h>
#include <windows.h>
#include <objbase.h>
#include <shlobj.h>
#include <shobjidl.h>

#include <algorithm>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "Driver.h"
#include "ScenarioSupport.h"
#include "WineDrives.h"
#include "wizard/VQSetupUnit.h"

using namespace e2e;
using namespace testsupport;

namespace {

const std::string kDashes(61, '-');

// ---- files and folders

bool FolderExists(const std::wstring& path) {
    const DWORD attributes = ::GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

void WriteBytes(const std::wstring& path, const std::string& bytes) {
    HANDLE file = ::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE) << Narrow(path);
    DWORD written = 0;
    ::WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    ::CloseHandle(file);
}

// The setup's own temporary files ("temp" + number + ".Tmp") in the temp folder.
std::set<std::wstring> TempSetupFiles() {
    std::set<std::wstring> names;
    WIN32_FIND_DATAW found{};
    HANDLE search = ::FindFirstFileW((TempFolder() + L"temp*.Tmp").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return names;
    do names.insert(found.cFileName);
    while (::FindNextFileW(search, &found));
    ::FindClose(search);
    return names;
}

// A folder of this run below the temp folder; gone before and after.
class Scratch {
public:
    explicit Scratch(const std::wstring& name) : path_(TempFolder() + L"vq-e2e-" + name + L"\\") {
        DeleteTree(path_);
        ::CreateDirectoryW(path_.c_str(), nullptr);
    }
    ~Scratch() { DeleteTree(path_); }
    const std::wstring& Path() const { return path_; }

private:
    std::wstring path_;
};

// The setup under another file name, where the name decides something.
std::wstring CopySetup(const Scratch& scratch, const std::wstring& name) {
    const std::wstring target = scratch.Path() + name;
    if (!::CopyFileW(SetupExe().c_str(), target.c_str(), FALSE)) ADD_FAILURE() << "cannot copy the setup to " << Narrow(target);
    return target;
}

// ---- registry, INI file, shortcut

std::wstring RegString(HKEY root, const std::wstring& key, const wchar_t* value) {
    wchar_t data[1024] = {};
    DWORD size = sizeof(data);
    if (::RegGetValueW(root, key.c_str(), value, RRF_RT_REG_SZ, nullptr, data, &size) != ERROR_SUCCESS)
        return L"<missing>";
    return data;
}

// Every value of a key as text, to compare a key before and after a run.
std::map<std::wstring, std::wstring> RegValues(HKEY root, const std::wstring& key) {
    std::map<std::wstring, std::wstring> values;
    HKEY opened = nullptr;
    if (::RegOpenKeyExW(root, key.c_str(), 0, KEY_READ, &opened) != ERROR_SUCCESS) return values;
    for (DWORD i = 0;; ++i) {
        wchar_t name[256] = {};
        DWORD nameLength = 256, type = 0;
        BYTE data[2048] = {};
        DWORD size = sizeof(data);
        if (::RegEnumValueW(opened, i, name, &nameLength, nullptr, &type, data, &size) != ERROR_SUCCESS) break;
        values[name] = type == REG_SZ ? std::wstring(reinterpret_cast<const wchar_t*>(data)) : L"<type " + std::to_wstring(type) + L">";
    }
    ::RegCloseKey(opened);
    return values;
}

std::wstring ShortcutTarget(const std::wstring& link) {
    IShellLinkW* shellLink = nullptr;
    if (FAILED(::CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                                  reinterpret_cast<void**>(&shellLink))))
        return L"<no shell link object>";
    std::wstring target = L"<unreadable>";
    IPersistFile* file = nullptr;
    if (SUCCEEDED(shellLink->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file)))) {
        wchar_t path[MAX_PATH] = {};
        if (SUCCEEDED(file->Load(link.c_str(), STGM_READ)) &&
            SUCCEEDED(shellLink->GetPath(path, MAX_PATH, nullptr, 0)))
            target = path;
        file->Release();
    }
    shellLink->Release();
    return target;
}

// ---- the setup log

size_t CountStarting(const std::vector<std::string>& lines, const std::string& prefix) {
    return static_cast<size_t>(std::count_if(lines.begin(), lines.end(), [&](const std::string& l) { return StartsWith(l, prefix); }));
}


// The lines of the install attempts: each begins with the header block.
std::vector<std::vector<std::string>> Attempts(const std::vector<std::string>& lines) {
    std::vector<std::vector<std::string>> attempts;
    for (size_t i = 0; i < lines.size(); ++i) {
        if (lines[i] == kDashes && i + 2 < lines.size() && lines[i + 1] == "Vessa's Quorin Setup Log" &&
            lines[i + 2] == kDashes) {
            attempts.emplace_back();
            i += 2;
            continue;
        }
        if (!attempts.empty()) attempts.back().push_back(lines[i]);
    }
    return attempts;
}

// ---- walking the wizard

const std::wstring kExitQuestionEn =
    L"The setup is not yet finished. If you terminate it now, \r\n, the program is not installed.\r\n\r\n"
    L"You can execute the setup programme at a later time again in order to complete the installation\r\n\r\nQuit setup?";

// The exit question, answered with Yes (0) or No (1).
void AnswerExitQuestion(SetupProcess& setup, size_t button, const std::wstring& title = L"Exit setup",
                        const std::vector<std::wstring>& buttons = {L"Yes", L"No"}) {
    const Dialog question = setup.WaitDialog();
    EXPECT_EQ(question.Caption, title);
    EXPECT_EQ(question.Buttons, buttons);
    setup.Answer(question, button);
}

// ---- the scenarios

TEST_F(Scenario, StandardInstallationThroughAllPagesIntoTheDefaultFolders) {
    SetupProcess setup(SetupExe(), L"", L"standard");
    setup.WaitPage(pgLanguage);
    EXPECT_EQ(setup.Caption(), L"VESSA'S QUORIN 9.9");
    EXPECT_EQ(setup.ComboItems(idLanguageComboBox),
              (std::vector<std::wstring>{L"Deutsch (Deutschland)", L"Deutsch (\u00d6sterreich)", L"Deutsch (Schweiz)",
                                         L"English", L"Fran\u00e7ais", L"Espa\u00f1ol"}));
    EXPECT_EQ(setup.ComboSelection(idLanguageComboBox), 3);
    EXPECT_FALSE(setup.Visible(idBackButton));

    const std::vector<std::pair<int, std::wstring>> walk = {
        {pgLicence, L"Next >"}, {pgOptions, L"Next >"}, {pgFolder, L"Next >"}, {pgConfirm, L"Install"}};
    for (const auto& [page, next] : walk) {
        setup.Click(idNextButton);
        setup.WaitPage(page);
        EXPECT_EQ(setup.Text(idNextButton), next) << "page " << page;
        EXPECT_TRUE(setup.Visible(idBackButton)) << "page " << page;
        if (page == pgOptions) {
            EXPECT_EQ(setup.ComboSelection(idOptionsComboBox), 0);
            EXPECT_EQ(setup.ComboItems(idOptionsComboBox).at(0), L"Standard installation");
            const bool checks[5] = {true, true, true, true, false};
            for (int item = 1; item < 5; ++item) EXPECT_EQ(setup.Checked(idOptionsListView, item), checks[item]) << item;
        }
        if (page == pgFolder) {
            EXPECT_EQ(setup.Text(idProgramFolderEdit), kProgramFolder);
            EXPECT_EQ(setup.Text(idDataFolderEdit), L"AppData - Folder\\VessasQuorin\\");
            EXPECT_TRUE(setup.Visible(idResetFoldersButton));
        }
    }
    const std::wstring summary = setup.Text(idSumaryRichEdit);
    EXPECT_NE(summary.find(L"    " + kProgramFolder + L"\r\n"), std::wstring::npos) << Narrow(summary);
    EXPECT_NE(summary.find(L"    " + kDataFolder + L"\r\n"), std::wstring::npos) << Narrow(summary);
    EXPECT_NE(summary.find(L"    Standard installation"), std::wstring::npos) << Narrow(summary);

    setup.Click(idNextButton);
    setup.WaitPage(pgFinish, 60000);
    EXPECT_EQ(setup.Text(idCancelButton), L"Finish");
    EXPECT_FALSE(setup.Visible(idNextButton));
    EXPECT_FALSE(setup.Visible(idBackButton));
    setup.Click(idCancelButton);
    EXPECT_EQ(setup.WaitExit(), 0u);

    ExpectInstalled(L"en-US", kProgramFolder, kDataFolder);
    EXPECT_EQ(Ini(L"SETTINGS", L"VERSION"), ThePayload().Version());
    EXPECT_EQ(Ini(L"SETTINGS", L"LANGUAGE"), L"en-US");
    EXPECT_EQ(Ini(L"SETTINGS", L"DATEFORMAT"), L"DD/MM/YY");
    EXPECT_EQ(Ini(L"FOLDERS", L"DATA"), kDataFolder);
    EXPECT_EQ(ShortcutTarget(SpecialFolder(CSIDL_COMMON_DESKTOPDIRECTORY) + L"Vessas Quorin.lnk"), kBin + L"VessasQuorin.Exe");
    EXPECT_EQ(ShortcutTarget(SpecialFolder(CSIDL_PROGRAMS) + L"Vessas Quorin\\Vessas Quorin.lnk"), kBin + L"VessasQuorin.Exe");
    // The folder values are stored crosswise: the next setup reads them back the same way.
    EXPECT_EQ(Lower(RegString(HKEY_CURRENT_USER, kSettingsKey, L"DataFolder")).rfind(Lower(L"C:\\Program Files\\VessasQuorin"), 0), 0u);
    EXPECT_EQ(Lower(RegString(HKEY_CURRENT_USER, kSettingsKey, L"ProgramFolder")).rfind(Lower(L"C:\\users\\Public\\VessasQuorin"), 0), 0u);
    EXPECT_EQ(RegString(HKEY_CURRENT_USER, kSettingsKey, L"Language"), L"en-US");
    EXPECT_EQ(RegString(HKEY_LOCAL_MACHINE, kUninstallKey, L"UninstallString"), L"\"" + kProgramFolder + L"VQUninstall.Exe\"");
    EXPECT_EQ(RegString(HKEY_CURRENT_USER, L"Software\\Classes\\VessasQuorin\\shell\\open\\command", nullptr),
              L"\"" + kBin + L"VessasQuorin.Exe\" \"%1\"");

    const auto lines = Log();
    const auto attempts = Attempts(lines);
    ASSERT_EQ(attempts.size(), 1u);
    const std::string bin = Narrow(kBin);
    ExpectInOrder(lines, {"CurrentUserName ", "FileName " + Narrow(SetupExe()), "GetLanguage", "GetIsHotfix", kDashes,
                          "Vessa's Quorin Setup Log", kDashes, "Check IsRunning", "Running(0):", "Check CheckActualize",
                          "Archive: " + Narrow(SetupExe()), "FileSize: ", "ProgramFolder=" + bin,
                          "DataFolder=" + Narrow(kDataFolder), "Create PackFiles", "LanguageCombobox.ItemIndex=3",
                          "ProgramFolder OK " + bin, "DataFolder OK", "Check VersionName", "ExtractFiles", "Extract: ",
                          "CreateLinks", "MakeIniFile", "WriteRegistry",
                          "RemoveFile: " + bin + "OpenNETCF.Desktop.Communication.Dll", "RemoveFile: " + bin + "VQ.Configuration.Dll",
                          "RemoveFile: " + bin + "VQ.Utility.Dll", "RemoveFile: " + bin + "VessasQuorin.exe.manifest", "Finish"});
    size_t selected = 0;
    for (const auto& e : ThePayload().Entries()) selected += Payload::Selected(*e, L"en-US") ? 1 : 0;
    EXPECT_EQ(CountStarting(attempts[0], "Extract: "), selected);
    EXPECT_EQ(CountStarting(attempts[0], "FileSize: " + std::to_string(ReadBytes(SetupExe()).size())), 1u);
    // Progress is logged only when the percentage changes, so it climbs strictly up to 100.
    std::vector<int> percents;
    for (const auto& l : attempts[0])
        if (StartsWith(l, "Progress: ")) percents.push_back(std::atoi(l.substr(l.find_last_of(' ') + 1).c_str()));
    ASSERT_FALSE(percents.empty());
    EXPECT_TRUE(std::is_sorted(percents.begin(), percents.end(), std::less_equal<int>())) << "progress goes back";
    EXPECT_EQ(std::adjacent_find(percents.begin(), percents.end()), percents.end()) << "a percentage logged twice";
    EXPECT_EQ(percents.back(), 100);
}

TEST_F(Scenario, AustrianUserPicksTheLanguageCustomOptionsAndOwnFoldersWhichTheNextStartShowsAgain) {
    // Wine gives a process the system language of the Unix locale it was started in, so this one
    // runs in a program started on an Austrian locale (a CTest entry of its own).
    if (::GetSystemDefaultLangID() != 0x0C07) GTEST_SKIP() << "needs an Austrian system (LANG=de_AT.UTF-8)";
    Scratch scratch(L"austria");
    const std::wstring program = scratch.Path() + L"Programme\\VessasQuorin\\";
    const std::wstring data = scratch.Path() + L"Daten\\VessasQuorin\\";
    {
        SetupProcess setup(SetupExe(), L"", L"austria");
        setup.WaitPage(pgLanguage);
        EXPECT_EQ(setup.Text(idNextButton), L"Weiter >");
        EXPECT_EQ(setup.ComboItems(idLanguageComboBox), (std::vector<std::wstring>{L"Deutsch (Deutschland)",
                  L"Deutsch (\u00d6sterreich)", L"Deutsch (Schweiz)", L"English", L"Fran\u00e7ais", L"Espa\u00f1ol"}));
        EXPECT_EQ(setup.ComboSelection(idLanguageComboBox), -1) << "a German-speaking user picks the country";
        setup.Click(idNextButton);
        const Dialog ask = setup.WaitDialog();
        EXPECT_EQ(ask.Text, L"Bitte w\u00e4hlen Sie eine Sprache aus");
        setup.Answer(ask, 0);
        EXPECT_EQ(setup.Page(), pgLanguage);

        setup.SelectComboText(idLanguageComboBox, L"Deutsch (\u00d6sterreich)");
        setup.Click(idNextButton);
        setup.WaitPage(pgLicence);
        setup.Click(idNextButton);
        setup.WaitPage(pgOptions);
        EXPECT_EQ(setup.ComboSelection(idOptionsComboBox), 0);
        setup.SetChecked(idOptionsListView, 2, false);
        EXPECT_FALSE(setup.Checked(idOptionsListView, 2));
        EXPECT_EQ(setup.ComboSelection(idOptionsComboBox), 1) << "fewer components make a custom installation";
        setup.Click(idNextButton);
        setup.WaitPage(pgFolder);
        EXPECT_EQ(setup.Text(idDataFolderEdit), L"AppData - Ordner\\VessasQuorin\\");
        setup.TypeText(idProgramFolderEdit, program);
        setup.TypeText(idDataFolderEdit, data);
        setup.Click(idNextButton);
        setup.WaitPage(pgConfirm);
        const std::wstring summary = setup.Text(idSumaryRichEdit);
        EXPECT_NE(summary.find(L"    " + program + L"\r\n"), std::wstring::npos) << Narrow(summary);
        EXPECT_NE(summary.find(L"    " + data + L"\r\n"), std::wstring::npos) << Narrow(summary);
        setup.Click(idNextButton);
        setup.WaitPage(pgFinish, 60000);
        EXPECT_EQ(setup.Text(idCancelButton), L"Fertigstellen");
        setup.Click(idCancelButton);
        EXPECT_EQ(setup.WaitExit(), 0u);
    }
    ExpectInstalled(L"de-AT", program, data);
    EXPECT_FALSE(FolderExists(kProgramFolder));
    EXPECT_FALSE(FileExists(SpecialFolder(CSIDL_COMMON_DESKTOPDIRECTORY) + L"Vessas Quorin.lnk"));
    EXPECT_EQ(ShortcutTarget(SpecialFolder(CSIDL_PROGRAMS) + L"Vessas Quorin\\Vessas Quorin.lnk"),
              program + L"Bin\\VessasQuorin.Exe");
    wchar_t language[32] = {};
    ::GetPrivateProfileStringW(L"SETTINGS", L"LANGUAGE", L"", language, 32, (program + L"Bin\\VessasQuorin.Ini").c_str());
    EXPECT_STREQ(language, L"de-AT");
    EXPECT_EQ(RegString(HKEY_CURRENT_USER, kSettingsKey, L"Language"), L"de-AT");
    EXPECT_EQ(RegString(HKEY_CURRENT_USER, kSettingsKey, L"InstallOption_MakeDesktopLink"), L"N");
    EXPECT_EQ(RegString(HKEY_CURRENT_USER, kSettingsKey, L"InstallOption_MakeStartMenuEntry"), L"Y");

    SetupProcess again(SetupExe(), L"", L"austria-again");
    again.WaitPage(pgLanguage);
    EXPECT_EQ(again.ComboSelection(idLanguageComboBox), 1);
    again.Click(idNextButton);
    again.WaitPage(pgLicence);
    again.Click(idNextButton);
    again.WaitPage(pgOptions);
    EXPECT_EQ(again.ComboSelection(idOptionsComboBox), 1);
    const bool checks[5] = {true, true, false, true, false};
    for (int item = 0; item < 5; ++item) EXPECT_EQ(again.Checked(idOptionsListView, item), checks[item]) << item;
    again.Click(idNextButton);
    again.WaitPage(pgFolder);
    EXPECT_EQ(again.Text(idProgramFolderEdit), program);
    EXPECT_EQ(again.Text(idDataFolderEdit), data);
    again.CloseBox();
    AnswerExitQuestion(again, 0, L"Setup verlassen", {L"Ja", L"Nein"});
    EXPECT_EQ(again.WaitExit(), 2u);
}

// A removable disk E: of the scenario's prefix, a folder of the Unix side behind it; whatever an
// installation put on it goes with it.
class RemovableScenario : public Scenario {
protected:
    void SetUp() override {
        const std::wstring prefix = WinePrefix();
        if (prefix.empty()) GTEST_SKIP() << "WINEPREFIX is not set: not running under Wine";
        stickFolder_ = prefix + L"/vq_e2e_stick";
        stick_ = std::make_unique<WineDrive>(L'E', DRIVE_REMOVABLE, stickFolder_);
        ASSERT_TRUE(stick_->Defined()) << "Wine's mount manager refused to define the stick";
        ASSERT_EQ(::GetDriveTypeW(L"E:\\"), static_cast<UINT>(DRIVE_REMOVABLE));
        DeleteTree(kStickProduct);
        Scenario::SetUp();
    }
    void TearDown() override {
        if (!stick_) return;
        Scenario::TearDown();
        DeleteTree(kStickProduct);
        stick_.reset();
        ::RemoveDirectoryW(UnixToWindows(stickFolder_).c_str());
    }

    const std::wstring kStickProduct = L"E:\\VessasQuorin\\";
    const std::wstring kStickProgram = kStickProduct + L"Prog\\";
    const std::wstring kStickData = kStickProduct + L"Data\\";

private:
    std::wstring stickFolder_;
    std::unique_ptr<WineDrive> stick_;
};

// The entry of the drive list that stands for the stick; the shell names a drive without a label
// by its letter alone, " (E:)".
int StickEntry(SetupProcess& setup) {
    const auto drives = setup.ComboItems(idDriveComboBox);
    const auto at = std::find_if(drives.begin(), drives.end(), [](const std::wstring& d) {
        return d.size() >= 4 && d.compare(d.size() - 4, 4, L"(E:)") == 0;
    });
    if (at == drives.end()) {
        std::string listed;
        for (const auto& d : drives) listed += " [" + Narrow(d) + "]";
        setup.Fail("the drive list does not offer the stick:" + listed);
    }
    return static_cast<int>(at - drives.begin());
}

TEST_F(RemovableScenario, InstallsOntoTheStickWithItsOwnLinkAndTheNextStartPreselectsIt) {
    int stick = -1;
    {
        SetupProcess setup(SetupExe(), L"", L"removable");
        setup.WaitPage(pgLanguage);
        setup.Click(idNextButton);
        setup.WaitPage(pgLicence);
        setup.Click(idNextButton);
        setup.WaitPage(pgOptions);
        EXPECT_FALSE(setup.Checked(idOptionsListView, 4));
        setup.SetChecked(idOptionsListView, 4, true);
        EXPECT_TRUE(setup.Checked(idOptionsListView, 4));
        EXPECT_EQ(setup.ComboSelection(idOptionsComboBox), 1) << "the removable disk makes a custom installation";
        setup.Click(idNextButton);
        setup.WaitPage(pgRemoveable);
        stick = StickEntry(setup);
        EXPECT_EQ(setup.ComboSelection(idDriveComboBox), -1) << "no earlier installation on a removable disk";
        setup.SelectCombo(idDriveComboBox, stick);
        setup.Click(idNextButton);
        setup.WaitPage(pgFolder);
        EXPECT_EQ(setup.Text(idProgramFolderEdit), kStickProgram);
        EXPECT_EQ(setup.Text(idDataFolderEdit), kStickData);
        EXPECT_FALSE(setup.Visible(idResetFoldersButton)) << "the stick's layout has no defaults to go back to";
        setup.Click(idNextButton);
        setup.WaitPage(pgConfirm);
        const std::wstring summary = setup.Text(idSumaryRichEdit);
        EXPECT_NE(summary.find(L"    " + kStickProgram + L"\r\n"), std::wstring::npos) << Narrow(summary);
        EXPECT_NE(summary.find(L"    " + kStickData + L"\r\n"), std::wstring::npos) << Narrow(summary);
        EXPECT_NE(summary.find(L"    Installation on a removable disk (USB stick)\r\n"), std::wstring::npos) << Narrow(summary);
        setup.Click(idNextButton);
        setup.WaitPage(pgFinish, 60000);
        setup.Click(idCancelButton);
        EXPECT_EQ(setup.WaitExit(), 0u);
    }
    const std::wstring bin = kStickProgram + L"Bin\\";
    ExpectInstalled(L"en-US", kStickProgram, kStickData);
    EXPECT_TRUE(FileExists(kStickProgram + L"VQUninstall.Exe"));
    EXPECT_FALSE(FolderExists(kProgramFolder)) << "nothing of the installation on the fixed disk";
    EXPECT_FALSE(FolderExists(kDataFolder));
    // On another machine the stick has no start menu: its own link, beside the two folders, runs
    // the starter rather than the application.
    EXPECT_EQ(ShortcutTarget(kStickProduct + L"Vessas Quorin.lnk"), bin + L"VessasQuorinStart.Exe");
    EXPECT_EQ(Ini(L"FOLDERS", L"DATA", bin), kStickData);
    EXPECT_EQ(Ini(L"SETTINGS", L"VERSION", bin), ThePayload().Version());
    // Crossed like the other folder values; the fixed-disk folders keep what a later installation
    // there would start from.
    EXPECT_EQ(Lower(RegString(HKEY_CURRENT_USER, kSettingsKey, L"RemoveableDataFolder")).rfind(Lower(L"E:\\VessasQuorin\\Prog"), 0), 0u);
    EXPECT_EQ(Lower(RegString(HKEY_CURRENT_USER, kSettingsKey, L"RemoveableProgramFolder")).rfind(Lower(L"E:\\VessasQuorin\\Data"), 0), 0u);
    EXPECT_EQ(Lower(RegString(HKEY_CURRENT_USER, kSettingsKey, L"DataFolder")).rfind(Lower(L"C:\\Program Files\\VessasQuorin"), 0), 0u);
    EXPECT_EQ(RegString(HKEY_CURRENT_USER, kSettingsKey, L"InstallOption_UseRemoveable"), L"Y");
    // The uninstall entry must work while the stick is away: it starts a copy of the uninstaller
    // kept on the machine, beside the install record.
    const std::wstring machineUninstaller = SpecialFolder(CSIDL_COMMON_APPDATA) + L"VessasQuorin\\Uninstall\\VQUninstall.Exe";
    EXPECT_EQ(RegString(HKEY_LOCAL_MACHINE, kUninstallKey, L"UninstallString"), L"\"" + machineUninstaller + L"\"");
    EXPECT_EQ(ReadBytes(machineUninstaller), ReadBytes(kStickProgram + L"VQUninstall.Exe"));
    EXPECT_TRUE(FileExists(SpecialFolder(CSIDL_COMMON_APPDATA) + L"VessasQuorin\\Uninstall\\VQInstallRecord.Txt"));
    const auto attempts = Attempts(Log());
    ASSERT_EQ(attempts.size(), 1u);
    ExpectInOrder(attempts[0], {"ProgramFolder=" + Narrow(bin), "DataFolder=" + Narrow(kStickData), "ProgramFolder OK " + Narrow(bin),
                                "ExtractFiles", "CreateLinks", "MakeIniFile", "WriteRegistry", "Finish"});

    SetupProcess again(SetupExe(), L"", L"removable-again");
    again.WaitPage(pgLanguage);
    again.Click(idNextButton);
    again.WaitPage(pgLicence);
    again.Click(idNextButton);
    again.WaitPage(pgOptions);
    EXPECT_TRUE(again.Checked(idOptionsListView, 4));
    again.Click(idNextButton);
    again.WaitPage(pgRemoveable);
    EXPECT_EQ(again.ComboSelection(idDriveComboBox), StickEntry(again));
    EXPECT_EQ(StickEntry(again), stick);
    again.CloseBox();
    AnswerExitQuestion(again, 0);
    EXPECT_EQ(again.WaitExit(), 2u);
}

class SilentScenario : public Scenario, public ::testing::WithParamInterface<const wchar_t*> {};

TEST_P(SilentScenario, InstallsGermanIntoTheDefaultFoldersAndEndsWithZero) {
    SetupProcess setup(SetupExe(), GetParam(), L"silent");
    EXPECT_EQ(setup.WaitExit(60000), 0u);
    ExpectInstalled(L"de-DE", kProgramFolder, kDataFolder);
    EXPECT_TRUE(FileExists(kDataFolder + L"VQ_User_0003\\Beispiel_Haushalt_01.qvbak"));
    EXPECT_EQ(Ini(L"SETTINGS", L"LANGUAGE"), L"de-DE");
    EXPECT_EQ(Ini(L"SETTINGS", L"DATEFORMAT"), L"DD.MM.YY");
    EXPECT_EQ(Ini(L"SETTINGS", L"VERSION"), ThePayload().Version());
    EXPECT_EQ(RegString(HKEY_CURRENT_USER, kSettingsKey, L"Language"), L"de-DE");
    const auto attempts = Attempts(Log());
    ASSERT_EQ(attempts.size(), 1u);
    ExpectInOrder(attempts[0], {"Check IsRunning", "LanguageCombobox.ItemIndex=0", "ExtractFiles", "Finish"});
}

INSTANTIATE_TEST_SUITE_P(AnyCase, SilentScenario, ::testing::Values(L"silent", L"SILENT"));

TEST_F(Scenario, RunningApplicationIsRefusedAndRepeatSucceedsOnceItIsClosed) {
    RunningApplication app;
    ASSERT_NE(app.Window(), nullptr) << "the stand-in application shows no window";

    SetupProcess setup(SetupExe(), L"", L"running");
    NextToConfirmation(setup);
    setup.Click(idNextButton);
    const Dialog refusal = setup.WaitDialog(30000);
    EXPECT_EQ(refusal.Caption, L"Error during setup");
    EXPECT_EQ(refusal.Text, L"Please close Vessa's Quorin before the installation");
    EXPECT_EQ(refusal.Buttons, (std::vector<std::wstring>{L"Repeat", L"Cancel"}));
    EXPECT_FALSE(FolderExists(kBin)) << "files placed while the application runs";

    ASSERT_TRUE(app.Close());
    setup.Answer(refusal, 0);
    setup.WaitPage(pgFinish, 60000);
    setup.Click(idCancelButton);
    EXPECT_EQ(setup.WaitExit(), 0u);

    ExpectInstalled(L"en-US", kProgramFolder, kDataFolder);
    const auto attempts = Attempts(Log());
    ASSERT_EQ(attempts.size(), 2u) << "Repeat runs the whole sequence again from the header";
    EXPECT_EQ(CountStarting(attempts[0], "Check IsRunning"), 1u);
    EXPECT_EQ(CountStarting(attempts[0], "Archive: "), 0u);
    ExpectInOrder(attempts[1], {"Check IsRunning", "Check CheckActualize", "Archive: ", "ExtractFiles", "Finish"});
}

// The close box while files are written. Yes: the run stops at its next progress report and the
// setup ends with 2, leaving no half-written file, no link, no INI file and no registry entry.
// No: the run goes on to the finish page as if nothing had happened.
TEST_F(Scenario, ClosingDuringTheRunWithYesCancelsItCleanly) {
    const auto tempBefore = TempSetupFiles();
    SetupProcess setup(SetupExe(), L"", L"cancel");
    NextToConfirmation(setup);
    setup.Click(idNextButton);
    setup.WaitUntil([&] { return setup.ProgressPosition() >= 5; }, 30000, "the run under way");
    setup.CloseBox();
    AnswerExitQuestion(setup, 0);
    EXPECT_EQ(setup.WaitExit(), 2u);

    const auto lines = Log();
    ExpectInOrder(lines, {"ExtractFiles", "Extract: ", "Cancelled by the user"});
    for (const auto& l : lines)
        for (const char* step : {"CreateLinks", "MakeIniFile", "WriteRegistry", "Finish"}) EXPECT_NE(l, step);
    // Every file there is, is whole: the archive's bytes; and the run did stop before the end.
    size_t placed = 0, missing = 0;
    for (const auto& e : ThePayload().Entries()) {
        if (!Payload::Selected(*e, L"en-US")) continue;
        const std::wstring path = Payload::Target(*e, kProgramFolder, kDataFolder);
        if (!FileExists(path)) {
            ++missing;
            continue;
        }
        ++placed;
        EXPECT_EQ(ReadBytes(path), ThePayload().Content(*e)) << "half-written: " << Narrow(path);
    }
    EXPECT_GT(placed, 0u);
    EXPECT_GT(missing, 0u) << "the run was not stopped";
    EXPECT_FALSE(FileExists(kBin + L"VessasQuorin.Ini"));
    EXPECT_FALSE(FileExists(SpecialFolder(CSIDL_COMMON_DESKTOPDIRECTORY) + L"Vessas Quorin.lnk"));
    EXPECT_FALSE(FolderExists(SpecialFolder(CSIDL_PROGRAMS) + L"Vessas Quorin"));
    EXPECT_TRUE(RegValues(HKEY_CURRENT_USER, kSettingsKey).empty());
    EXPECT_TRUE(RegValues(HKEY_LOCAL_MACHINE, kUninstallKey).empty());
    EXPECT_TRUE(RegValues(HKEY_CURRENT_USER, L"Software\\Classes\\.qvbak").empty());
    EXPECT_EQ(TempSetupFiles(), tempBefore) << "temporary files left behind";
}

TEST_F(Scenario, ClosingDuringTheRunWithNoLetsItFinish) {
    SetupProcess setup(SetupExe(), L"", L"nocancel");
    NextToConfirmation(setup);
    setup.Click(idNextButton);
    setup.WaitUntil([&] { return setup.ProgressPosition() >= 5; }, 30000, "the run under way");
    setup.CloseBox();
    AnswerExitQuestion(setup, 1);
    setup.WaitPage(pgFinish, 60000);
    setup.Click(idCancelButton);
    EXPECT_EQ(setup.WaitExit(), 0u);
    ExpectInstalled(L"en-US", kProgramFolder, kDataFolder);
    EXPECT_EQ(Ini(L"SETTINGS", L"VERSION"), ThePayload().Version());
}

TEST_F(Scenario, ProgramFolderThatCannotBeCreatedOffersRepeatThenCancelLeadsToTheExitQuestion) {
    Scratch scratch(L"blocked");
    WriteBytes(scratch.Path() + L"file", "a file where the program folder's parent should be");
    const std::wstring program = scratch.Path() + L"file\\VessasQuorin";
    const std::wstring data = scratch.Path() + L"Data";
    SetupProcess setup(SetupExe(), L"en-US \"" + program + L"\" \"" + data + L"\"", L"blocked");
    NextToConfirmation(setup);
    setup.Click(idNextButton);

    const std::wstring message = L"The directory could not be created\r\n" + program + L"\\Bin\\";
    Dialog refusal = setup.WaitDialog(30000);
    EXPECT_EQ(refusal.Text, message);
    EXPECT_EQ(refusal.Buttons, (std::vector<std::wstring>{L"Repeat", L"Cancel"}));
    setup.Answer(refusal, 0);
    refusal = setup.WaitDialog(30000);
    EXPECT_EQ(refusal.Text, message);
    setup.Answer(refusal, 1);

    // Cancel returns to the confirmation page and asks; No stays there.
    AnswerExitQuestion(setup, 1);
    setup.WaitPage(pgConfirm);
    EXPECT_EQ(setup.Text(idNextButton), L"Install");
    setup.Click(idCancelButton);
    const Dialog question = setup.WaitDialog();
    EXPECT_EQ(question.Text, kExitQuestionEn);
    setup.Answer(question, 0);
    EXPECT_EQ(setup.WaitExit(), 2u);

    EXPECT_FALSE(FolderExists(data)) << "the data folder is made only after the program folder";
    const auto attempts = Attempts(Log());
    ASSERT_EQ(attempts.size(), 2u);
    for (const auto& attempt : attempts) {
        ExpectInOrder(attempt, {"Check IsRunning", "Archive: ", "ProgramFolder=" + Narrow(program) + "\\Bin\\",
                                "LanguageCombobox.ItemIndex=3"});
        EXPECT_EQ(CountStarting(attempt, "ProgramFolder OK"), 0u);
        EXPECT_EQ(CountStarting(attempt, "ExtractFiles"), 0u);
    }
}

TEST_F(Scenario, NewerInstalledVersionIsRefusedAndNothingIsWritten) {
    ASSERT_TRUE(::SHCreateDirectoryExW(nullptr, kBin.c_str(), nullptr) == ERROR_SUCCESS);
    ::WritePrivateProfileStringW(L"SETTINGS", L"VERSION", L"HF20991231", (kBin + L"VessasQuorin.Ini").c_str());
    const std::string iniBefore = ReadBytes(kBin + L"VessasQuorin.Ini");

    SetupProcess setup(SetupExe(), L"", L"newer");
    NextToConfirmation(setup);
    setup.Click(idNextButton);
    const Dialog refusal = setup.WaitDialog(30000);
    EXPECT_EQ(refusal.Caption, L"Error during setup");
    EXPECT_EQ(refusal.Text, L"A newer version of Vessa's Quorin has already been installed. (HF20991231)");
    EXPECT_EQ(refusal.Buttons, std::vector<std::wstring>{L"OK"});
    setup.Answer(refusal, 0);
    AnswerExitQuestion(setup, 1);
    setup.WaitPage(pgConfirm);
    setup.Click(idCancelButton);
    AnswerExitQuestion(setup, 0);
    EXPECT_EQ(setup.WaitExit(), 2u);

    std::set<std::wstring> files;
    CollectFiles(kProgramFolder, files);
    EXPECT_EQ(files, std::set<std::wstring>{Lower(kBin + L"VessasQuorin.Ini")});
    EXPECT_EQ(ReadBytes(kBin + L"VessasQuorin.Ini"), iniBefore);
    const auto attempts = Attempts(Log());
    ASSERT_EQ(attempts.size(), 1u);
    ExpectInOrder(attempts[0], {"Check VersionName", "Newer Version installed HF20991231 " + Narrow(ThePayload().Version())});
    EXPECT_EQ(CountStarting(attempts[0], "ExtractFiles"), 0u);
    EXPECT_EQ(RegString(HKEY_CURRENT_USER, kSettingsKey, L"Language"), L"<missing>");
}

// What the welcome page shows for a start-up decided by the file name or the parameters.
struct StartCase {
    const wchar_t* FileName;
    const wchar_t* Arguments;
    bool LanguageListShown;
    std::vector<std::wstring> Languages;
    int Selected;
    bool DateFormatShown;
    const wchar_t* Next;
    const wchar_t* ExitTitle;
    std::vector<std::wstring> ExitButtons;
    const wchar_t* ProgramFolderShown;  // on the folder page
    const wchar_t* DataFolderShown;
};

class StartupScenario : public Scenario, public ::testing::WithParamInterface<StartCase> {};

TEST_P(StartupScenario, WelcomePageAndFoldersFollowTheStart) {
    const StartCase& c = GetParam();
    Scratch scratch(L"startup");
    SetupProcess setup(CopySetup(scratch, c.FileName), c.Arguments, L"startup");
    setup.WaitPage(pgLanguage);
    EXPECT_EQ(setup.Visible(idLanguageComboBox), c.LanguageListShown);
    EXPECT_EQ(setup.ComboItems(idLanguageComboBox), c.Languages);
    EXPECT_EQ(setup.ComboSelection(idLanguageComboBox), c.Selected);
    EXPECT_EQ(setup.Visible(idDateFormatComboBox), c.DateFormatShown);
    if (c.DateFormatShown) {
        EXPECT_EQ(setup.ComboItems(idDateFormatComboBox), (std::vector<std::wstring>{L"DD/MM/YY", L"MM/DD/YY"}));
        EXPECT_EQ(setup.ComboSelection(idDateFormatComboBox), 0);
    }
    if (!c.LanguageListShown && c.DateFormatShown) {
        // The date format takes the place of the hidden language list.
        RECT list{}, format{};
        ::GetWindowRect(setup.Control(idLanguageComboBox), &list);
        ::GetWindowRect(setup.Control(idDateFormatComboBox), &format);
        EXPECT_EQ(std::make_pair(format.left, format.top), std::make_pair(list.left, list.top));
    }
    EXPECT_EQ(setup.Text(idNextButton), c.Next);

    NextToConfirmation(setup);
    setup.Click(idBackButton);
    setup.WaitPage(pgFolder);
    EXPECT_EQ(setup.Text(idProgramFolderEdit), c.ProgramFolderShown);
    EXPECT_EQ(setup.Text(idDataFolderEdit), c.DataFolderShown);
    setup.CloseBox();
    AnswerExitQuestion(setup, 0, c.ExitTitle, c.ExitButtons);
    EXPECT_EQ(setup.WaitExit(), 2u);
    EXPECT_FALSE(FolderExists(kProgramFolder));
    EXPECT_EQ(Attempts(Log()).size(), 0u);
}

const std::vector<std::wstring> kAllLanguages = {L"Deutsch (Deutschland)", L"Deutsch (\u00d6sterreich)",
                                                 L"Deutsch (Schweiz)", L"English", L"Fran\u00e7ais", L"Espa\u00f1ol"};

INSTANTIATE_TEST_SUITE_P(
    FileNameAndParameters, StartupScenario,
    ::testing::Values(
        StartCase{L"VQSetup-9.9-FR.exe", L"", false, {L"Fran\u00e7ais"}, 0, false, L"Continuer >",
                  L"Quitter le mode setup", {L"Oui", L"Non"}, L"C:\\Program Files\\VessasQuorin\\",
                  L"AppData - Folder\\VessasQuorin\\"},
        StartCase{L"VQSetup-9.9-EN.exe", L"", false, {L"English"}, 0, true, L"Next >", L"Exit setup", {L"Yes", L"No"},
                  L"C:\\Program Files\\VessasQuorin\\", L"AppData - Folder\\VessasQuorin\\"},
        StartCase{L"VQSetup.exe", L"es-ES D:\\Apps\\VQ D:\\VQData", true, kAllLanguages, 5, false, L"Siguiente >",
                  L"Salir del modo de configuraci\u00f3n", {L"Si", L"No"}, L"D:\\Apps\\VQ\\", L"D:\\VQData\\"}));

TEST_F(Scenario, HotfixOverAnInstallationKeepsTheSettingsAndChangesOnlyTheVersion) {
    {
        SetupProcess first(SetupExe(), L"silent", L"hotfix-base");
        ASSERT_EQ(first.WaitExit(60000), 0u);
    }
    RestartLog();
    const std::wstring ini = kBin + L"VessasQuorin.Ini";
    ::WritePrivateProfileStringW(L"SETTINGS", L"VERSION", L"HF20200101", ini.c_str());
    ::WritePrivateProfileStringW(L"SETTINGS", L"LANGUAGE", L"xx-XX", ini.c_str());
    ::WritePrivateProfileStringW(L"FOLDERS", L"DATA", L"D:\\kept\\", ini.c_str());
    const auto settingsBefore = RegValues(HKEY_CURRENT_USER, kSettingsKey);
    ASSERT_FALSE(settingsBefore.empty());
    Scratch scratch(L"hotfix");
    const std::wstring setupFile = CopySetup(scratch, L"VQSetupHF.exe");

    SetupProcess setup(setupFile, L"", L"hotfix");
    setup.WaitPage(pgLanguage);
    EXPECT_EQ(setup.ComboSelection(idLanguageComboBox), 0) << "the language of the installation";
    setup.Click(idNextButton);
    setup.WaitPage(pgFolder);
    EXPECT_EQ(setup.Text(idProgramFolderEdit), kProgramFolder);
    setup.Click(idNextButton);
    setup.WaitPage(pgConfirm);
    const std::wstring summary = setup.Text(idSumaryRichEdit);
    EXPECT_NE(summary.find(L"    Hotfix\r\n"), std::wstring::npos) << Narrow(summary);
    setup.Click(idNextButton);
    setup.WaitPage(pgFinish, 60000);
    setup.Click(idCancelButton);
    EXPECT_EQ(setup.WaitExit(), 0u);

    EXPECT_EQ(Ini(L"SETTINGS", L"VERSION"), ThePayload().Version());
    EXPECT_EQ(Ini(L"SETTINGS", L"LANGUAGE"), L"xx-XX");
    EXPECT_EQ(Ini(L"FOLDERS", L"DATA"), L"D:\\kept\\");
    EXPECT_EQ(RegValues(HKEY_CURRENT_USER, kSettingsKey), settingsBefore) << "a hotfix leaves the settings key alone";
    ExpectInstalled(L"de-DE", kProgramFolder, kDataFolder);
    const auto attempts = Attempts(Log());
    ASSERT_EQ(attempts.size(), 1u);
    ExpectInOrder(attempts[0], {"Check CheckActualize", "Check CheckActualize ProgramFolder: " + Narrow(kBin) + " exists",
                                "Check CheckActualize ProgName: " + Narrow(kBin) + "VessasQuorin.Exe exists",
                                "Check CheckActualize DataFolder: " + Narrow(kDataFolder) + " exists", "Archive: " + Narrow(setupFile),
                                "Check VersionName", "ExtractFiles", "Finish"});
}

TEST_F(Scenario, HotfixWithoutAnInstallationIsRefusedWithThePath) {
    Scratch scratch(L"hotfix-clean");
    SetupProcess setup(CopySetup(scratch, L"VQSetupHF.exe"), L"", L"hotfix-clean");
    setup.WaitPage(pgLanguage);
    setup.Click(idNextButton);
    setup.WaitPage(pgFolder);
    setup.Click(idNextButton);
    setup.WaitPage(pgConfirm);
    setup.Click(idNextButton);
    const Dialog refusal = setup.WaitDialog(30000);
    EXPECT_EQ(refusal.Caption, L"Error");
    EXPECT_EQ(refusal.Text, kBin + L"\r\nThe installation of Vessa's Quorin was not found.\r\n An update is not possible.");
    EXPECT_EQ(refusal.Buttons, std::vector<std::wstring>{L"OK"});
    setup.Answer(refusal, 0);
    // The run stopped without a decision: the progress page stays, with only Cancel left.
    setup.WaitPage(pgProgress);
    EXPECT_FALSE(setup.Visible(idNextButton));
    setup.CloseBox();
    AnswerExitQuestion(setup, 0);
    EXPECT_EQ(setup.WaitExit(), 2u);

    EXPECT_FALSE(FolderExists(kProgramFolder));
    EXPECT_FALSE(FolderExists(kDataFolder));
    const auto attempts = Attempts(Log());
    ASSERT_EQ(attempts.size(), 1u);
    ExpectInOrder(attempts[0], {"Check IsRunning", "Check CheckActualize", "Check CheckActualize ProgramFolder: " + Narrow(kBin),
                                "Check CheckActualize Error " + Narrow(kBin)});
    EXPECT_EQ(CountStarting(attempts[0], "Archive: "), 0u);
}

}  // namespace

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    ::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    const int result = RUN_ALL_TESTS();
    CloseTextViewers();
    ::CoUninitialize();
    return result;
}
