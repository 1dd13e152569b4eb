// The install run with the small payload embedded in this test program: placement by language and
// root, the log of a run, progress, the refusals and their answers, the version checks and the
// obsolete files. The run gets the choices as a value and a fake view; dialogs are answered
// through the seam. Closing the wizard's form during a run is tested with the form itself.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <map>
#include <set>

#include "ArchiveBytes.h"
#include "EngineFixtures.h"
#include "TestSupport.h"
#include "archive/PackFileUnit.h"
#include "engine/InstallUnit.h"
#include "services/VQError.h"
#include "texts/LanguageUnit.h"
#include "wizard/VQSetupUnit.h"

using namespace testsupport;

namespace {
// The log lines written from now on.
struct LogFrom {
    std::vector<std::string> Log() const {
        std::vector<std::string> texts;
        const auto lines = LogLines();
        for (size_t i = logStart; i < lines.size(); ++i) texts.push_back(LogText(lines[i]));
        return texts;
    }
    size_t logStart = LogLines().size();
};

// An installation into folders below a scratch folder, as the three-parameter command line gives it.
struct Installation : LogFrom {
    explicit Installation(const std::wstring& name, const std::wstring& language = L"de-CH",
                          const std::wstring& setupFile = L"C:\\x\\VQSetup.exe")
        : scratch(name),
          program(scratch.Path() + L"Prog\\"),
          data(scratch.Path() + L"Data\\"),
          choices(ChoicesFor(program, data, language, setupFile)),
          shell(ShellBelow(scratch.Path())) {}
    std::wstring Bin() const { return program + L"Bin\\"; }
    int Run() { return RunInstallation(choices, view, shell); }
    ScratchFolder scratch;
    std::wstring program, data;
    SetupChoices choices;
    ShellFolders shell;
    FakeView view;
};

// The same through the wizard's form, for what the form adds: closing it and its exit code.
struct FormInstallation : LogFrom {
    explicit FormInstallation(const std::wstring& name, const std::wstring& language)
        : scratch(name),
          program(scratch.Path() + L"Prog\\"),
          data(scratch.Path() + L"Data\\"),
          form(StartupArgs{L"C:\\x\\VQSetup.exe", {language, program, data}}) {}
    std::wstring Bin() const { return program + L"Bin\\"; }
    ScratchFolder scratch;
    std::wstring program, data;
    TVQSetupForm form;
};

bool Has(const std::vector<std::string>& log, const std::string& text) {
    return std::find(log.begin(), log.end(), text) != log.end();
}
std::string Narrow(const std::wstring& s) { return std::string(s.begin(), s.end()); }
}  // namespace

TEST(Placement, OnlyTheChosenLanguageAndUngroupedEntriesArePlaced) {
    const struct { const wchar_t* language; const wchar_t* sample; std::vector<const char*> skipped; } cases[] = {
        {L"de-CH", L"VQ_User_0002\\Beispiel_Haushalt_01.qvbak",
         {"VQ_User_0001", "VQ_User_0003", "VQ_User_0004", "VQ_User_0005", "VQ_User_0006"}},
        {L"en-US", L"VQ_User_0004\\Sample_Household_01.qvbak",
         {"VQ_User_0001", "VQ_User_0002", "VQ_User_0003", "VQ_User_0005", "VQ_User_0006"}},
    };
    for (const auto& c : cases) {
        Installation setup(L"place", c.language);
        EXPECT_EQ(setup.Run(), 1);
        EXPECT_TRUE(Utillity::FileExists(setup.Bin() + L"VessasQuorin.Exe"));
        EXPECT_TRUE(Utillity::FileExists(setup.Bin() + L"ziplib.dll"));
        EXPECT_TRUE(Utillity::FileExists(setup.program + L"VQUninstall.Exe"));
        EXPECT_TRUE(Utillity::FileExists(setup.data + L"Symbols\\Default_Icons\\Sym_Account_0001.Ico"));
        EXPECT_TRUE(Utillity::FileExists(setup.data + c.sample));
        for (const char* other : c.skipped)
            EXPECT_FALSE(Utillity::DirExists(setup.data + std::wstring(other, other + strlen(other)))) << other;
        const auto log = setup.Log();
        EXPECT_EQ(std::count_if(log.begin(), log.end(), [](const std::string& l) { return l.rfind("Progress: NO_EXTRACT:", 0) == 0; }) > 0, true);
        EXPECT_TRUE(Has(log, "Extract: " + Narrow(setup.Bin()) + "VessasQuorin.Exe"));
        // The placed program answers the running-instance query: it is the stand-in itself.
        EXPECT_GT(Utillity::GetFileSize(setup.Bin() + L"VessasQuorin.Exe"), 10000);
    }
}

TEST(RunLog, VocabularyOrderAndProgress) {
    Installation setup(L"log");
    ASSERT_EQ(setup.Run(), 1);
    const auto log = setup.Log();
    const std::string bin = Narrow(setup.Bin());
    const std::vector<std::string> expected = {
        std::string(61, '-'), "Vessa's Quorin Setup Log", std::string(61, '-'), "Check IsRunning",
        "Check CheckActualize", "Archive: C:\\x\\VQSetup.exe", "FileSize: 0", "ProgramFolder=" + bin,
        "DataFolder=" + Narrow(setup.data), "Create PackFiles", "LanguageCombobox.ItemIndex=2",
        "ProgramFolder OK " + bin, "DataFolder OK", "Check VersionName", "ExtractFiles", "CreateLinks",
        "MakeIniFile", "WriteRegistry", "RemoveFile: " + bin + "OpenNETCF.Desktop.Communication.Dll",
        "RemoveFile: " + bin + "VQ.Configuration.Dll", "RemoveFile: " + bin + "VQ.Utility.Dll",
        "RemoveFile: " + bin + "VessasQuorin.exe.manifest", "Finish",
    };
    // The fixed lines appear in this order, with Running, Extract and Progress lines between them.
    size_t at = 0;
    for (const auto& line : log) {
        if (at < expected.size() && line == expected[at]) ++at;
    }
    EXPECT_EQ(at, expected.size()) << "missing or out of order: " << (at < expected.size() ? expected[at] : "");

    std::vector<int> percents;
    for (const auto& line : log)
        if (line.rfind("Progress: ", 0) == 0) percents.push_back(std::stoi(line.substr(line.rfind(' ') + 1)));
    ASSERT_FALSE(percents.empty());
    EXPECT_TRUE(std::is_sorted(percents.begin(), percents.end()) &&
                std::adjacent_find(percents.begin(), percents.end()) == percents.end()) << "strictly increasing";
    EXPECT_EQ(percents.back(), 100);
    EXPECT_LE(percents.size(), 101u);
    EXPECT_EQ(setup.view.ProgressPosition(), 100);
    EXPECT_NE(setup.view.Label.find(L"KB"), std::wstring::npos);
    EXPECT_FALSE(setup.view.LabelShown);

    // The INI file carries the archive's version for the next setup.
    wchar_t version[64] = {};
    ::GetPrivateProfileStringW(L"SETTINGS", L"VERSION", L"", version, 64, (setup.Bin() + kIniFileName).c_str());
    EXPECT_STREQ(version, L"HF20220909");
}

TEST(Refusals, FolderThatCannotBeCreatedOffersRepeatAndCancel) {
    Installation setup(L"nofolder");
    WriteFileBytes(setup.scratch.Path() + L"Prog", "a file where the program folder should be");
    DialogRecorder dialogs;
    dialogs.PressButton(0);  // Repeat
    dialogs.PressButton(1);  // Cancel
    EXPECT_EQ(setup.Run(), 4);
    EXPECT_EQ(setup.Run(), 2);
    ASSERT_EQ(dialogs.Dialogs().size(), 2u);
    const DialogRequest& d = dialogs.Dialogs()[0];
    EXPECT_EQ(d.Caption, L"Fehler beim Setup");
    EXPECT_EQ(d.Message, std::wstring(L"Das Verzeichnis kann nicht erstellt werden") + L"\r\n" + setup.Bin());
    ASSERT_EQ(d.Buttons.size(), 2u);
    EXPECT_EQ(d.Buttons[0].Caption, L"Wiederholen");
    EXPECT_EQ(d.Buttons[1].Caption, L"Abbrechen");
    EXPECT_TRUE(d.Buttons[0].IsDefault) << "Enter repeats";
    EXPECT_TRUE(d.Buttons[1].IsCancel) << "Escape cancels";
    // A repeated run starts again from the header.
    const auto log = setup.Log();
    EXPECT_EQ(std::count(log.begin(), log.end(), "Vessa's Quorin Setup Log"), 2);
    EXPECT_EQ(setup.view.InputsEnabled, (std::vector<bool>{false, true, false, true})) << "locked during each run";
}

TEST(Refusals, RunningApplicationIsAskedToClose) {
    Installation setup(L"running");
    setup.view.Running = true;  // the probe itself is the form's, tested with the stand-in
    DialogRecorder dialogs;
    dialogs.PressButton(1);
    EXPECT_EQ(setup.Run(), 2);
    ASSERT_EQ(dialogs.Dialogs().size(), 1u);
    EXPECT_EQ(dialogs.Dialogs()[0].Message, L"Bitte schlie\u00dfen Sie Vessa's Quorin vor der Installation");
    EXPECT_FALSE(Utillity::DirExists(setup.Bin()));
}

TEST(Refusals, HotfixWithoutAnInstallationWritesNothing) {
    Installation setup(L"hotfix", L"de-CH", L"C:\\x\\VQSetup_HF.exe");
    DialogRecorder dialogs;
    EXPECT_EQ(setup.Run(), 3);
    ASSERT_EQ(dialogs.Dialogs().size(), 1u);
    EXPECT_EQ(dialogs.Dialogs()[0].Message, setup.Bin() + L"\r\n" + L"Die Installation von Vessa's Quorin wurde nicht gefunden\r\nEin Update ist nicht m\u00f6glich");
    EXPECT_EQ(dialogs.Dialogs()[0].Kind, DialogKind::Error);
    EXPECT_FALSE(Utillity::DirExists(setup.program));
    EXPECT_TRUE(Has(setup.Log(), "Check CheckActualize Error " + Narrow(setup.Bin())));

    // With an installation in place the hotfix goes through.
    ASSERT_TRUE(Utillity::MakeFolderPath(setup.Bin()));
    ASSERT_TRUE(Utillity::MakeFolderPath(setup.data));
    WriteFileBytes(setup.Bin() + L"VessasQuorin.Exe", "old");
    EXPECT_EQ(setup.Run(), 1);
    EXPECT_TRUE(Has(setup.Log(), "Check CheckActualize DataFolder: " + Narrow(setup.data) + " exists"));
}

TEST(VersionCheck, NewerInstalledVersionIsRefused) {
    const struct { const wchar_t* installed; bool refused; } cases[] = {
        {L"HF20991231", true}, {L"HF20220909", false}, {L"HF20200101", false}, {L"", false},
    };
    for (const auto& c : cases) {
        Installation setup(L"version");
        ASSERT_TRUE(Utillity::MakeFolderPath(setup.Bin()));
        ::WritePrivateProfileStringW(L"SETTINGS", L"VERSION", c.installed, (setup.Bin() + kIniFileName).c_str());
        DialogRecorder dialogs;
        EXPECT_EQ(setup.Run(), c.refused ? 2 : 1) << c.installed;
        EXPECT_EQ(Utillity::FileExists(setup.Bin() + L"VessasQuorin.Exe"), !c.refused);
        if (c.refused) {
            ASSERT_EQ(dialogs.Dialogs().size(), 1u);
            EXPECT_EQ(dialogs.Dialogs()[0].Message, std::wstring(L"Es ist bereits eine neuere Version von Vessa's Quorin installiert.") + L" (HF20991231)");
            EXPECT_TRUE(Has(setup.Log(), "Newer Version installed HF20991231 HF20220909"));
        }
    }
    const struct { const wchar_t* installed; const wchar_t* archive; bool newer; } order[] = {
        {L"9", L"10", true}, {L"10", L"9", false}, {L"HF2022", L"HF20220909", false}, {L"hf2", L"HF3", true},
        {L"x", L"", false},
    };
    for (const auto& o : order) EXPECT_EQ(IsNewerVersion(o.installed, o.archive), o.newer) << o.installed;
}

TEST(ObsoleteFiles, RemovedWhenPresent) {
    Installation setup(L"obsolete");
    ASSERT_TRUE(Utillity::MakeFolderPath(setup.Bin()));
    WriteFileBytes(setup.Bin() + L"VQ.Utility.Dll", "old");
    EXPECT_EQ(setup.Run(), 1);
    EXPECT_FALSE(Utillity::FileExists(setup.Bin() + L"VQ.Utility.Dll"));
}

TEST(Failures, AnEntryThatCannotBeWrittenEndsTheRunWithAReport) {
    Installation setup(L"failing");
    // A folder where ziplib.dll must go: the entry cannot be written.
    ASSERT_TRUE(Utillity::MakeFolderPath(setup.Bin() + L"ziplib.dll"));
    DialogRecorder dialogs;
    EXPECT_EQ(setup.Run(), 3);
    ASSERT_EQ(dialogs.Dialogs().size(), 1u);
    EXPECT_EQ(dialogs.Dialogs()[0].Caption, L"Error");
    EXPECT_TRUE(Utillity::FileExists(setup.data + L"Symbols\\Default_Icons\\Sym_Account_0001.Ico"))
        << "what was placed before stays";
    EXPECT_FALSE(Has(setup.Log(), "Finish"));
    EXPECT_EQ(setup.view.InputsEnabled, std::vector<bool>{false}) << "the inputs stay locked";
}

TEST(Placement, SelectionAndRootWords) {
    const struct { const wchar_t* group; const wchar_t* language; bool selected; } cases[] = {
        {L"", L"de-CH", true}, {L"de-CH", L"de-CH", true}, {L"de", L"de-AT", true}, {L"de-AT", L"de-CH", false},
        {L"en", L"en-US", true}, {L"EN-US", L"en-US", false}, {L"de", L"de", true}, {L"de", L"de-A", false}, {L"", L"", true},
    };
    for (const auto& c : cases) EXPECT_EQ(IsEntrySelected(c.group, c.language), c.selected) << c.group << "/" << c.language;

    Installation setup(L"roots");
    EXPECT_EQ(GetTargetFolder(setup.choices, L"PROGRAM"), setup.Bin());
    EXPECT_EQ(GetTargetFolder(setup.choices, L"UNINST"), setup.program);
    EXPECT_EQ(GetTargetFolder(setup.choices, L"USER"), setup.data);
    EXPECT_EQ(GetTargetFolder(setup.choices, L"USER\\Sub\\Deep"), setup.data + L"Sub\\Deep\\");
    EXPECT_EQ(GetTargetFolder(setup.choices, L"DATA"), setup.data);
    EXPECT_THROW(GetTargetFolder(setup.choices, L"program"), EVQError);
    EXPECT_THROW(GetTargetFolder(setup.choices, L"SYSTEM"), EVQError);
}

TEST(ExitCode, SilentAndInteractive) {
    FormInstallation setup(L"exit", L"de-CH");
    const struct { bool silent; int answer; int page; int code; } cases[] = {
        {true, 1, pgProgress, 0}, {true, 2, pgProgress, 2}, {true, 3, pgProgress, 3}, {true, 4, pgProgress, 4},
        {false, 1, pgFinish, 0}, {false, 3, pgProgress, 2}, {false, 2, pgConfirm, 2},
    };
    for (const auto& c : cases) {
        setup.form.Choices.IsSilent = c.silent;
        setup.form.LastRunAnswer = c.answer;
        setup.form.PageIndex = c.page;
        EXPECT_EQ(setup.form.ExitCode(), c.code);
    }
}

namespace {
// Closes the form, as its close box does, once the progress bar reaches a percentage: the request
// arrives while files are being written.
struct CloseAt {
    static inline int percent = 0;
    static inline HWND form = nullptr;
    static inline WNDPROC original = nullptr;
    static LRESULT CALLBACK Proc(HWND bar, UINT message, WPARAM wParam, LPARAM lParam) {
        if (message == PBM_SETPOS && static_cast<int>(wParam) >= percent && form) {
            ::PostMessageW(form, WM_CLOSE, 0, 0);
            form = nullptr;
        }
        return ::CallWindowProcW(original, bar, message, wParam, lParam);
    }
};

std::set<std::wstring> TempFiles() {
    std::set<std::wstring> names;
    WIN32_FIND_DATAW found{};
    HANDLE search = ::FindFirstFileW((Utillity::GetTempFolder() + L"temp*.Tmp").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return names;
    do names.insert(found.cFileName);
    while (::FindNextFileW(search, &found));
    ::FindClose(search);
    return names;
}
}  // namespace

// The close box answered with Yes while files are written: the run stops at its next progress
// report, the file being written is gone, nothing after it is placed, no link, INI file or
// settings are written, and the setup ends with exit code 2. Answered with No, the run goes on.
TEST(Cancel, ClosingDuringTheRunStopsItWithoutAPartialFile) {
    const struct { int percent; const wchar_t* writing; bool yes; } cases[] = {
        {30, L"ziplib.dll", true},        // a stored entry, 4 to 44 percent of the small payload
        {47, L"VessasQuorin.Exe", true},  // a compressed one, through a temporary file, 44 to 50 percent
        {30, nullptr, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.percent << (c.yes ? " yes" : " no"));
        FormInstallation setup(L"cancel", L"en-US");
        ::RegDeleteTreeW(HKEY_CURRENT_USER, L"SOFTWARE\\VessasQuorin");  // the earlier cases' installations
        const auto tempBefore = TempFiles();
        CloseAt::percent = c.percent;
        CloseAt::form = setup.form.Handle();
        CloseAt::original = reinterpret_cast<WNDPROC>(
            ::SetWindowLongPtrW(setup.form.ProgressBar, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&CloseAt::Proc)));
        DialogRecorder dialogs;
        dialogs.PressButton(c.yes ? 0 : 1);
        setup.form.PageIndex = pgConfirm;
        setup.form.ShowPage();
        setup.form.NextButtonClick();

        ASSERT_EQ(dialogs.Dialogs().size(), 1u);
        EXPECT_EQ(dialogs.Dialogs()[0].Caption, L"Exit setup");
        const auto log = setup.Log();
        if (!c.yes) {
            EXPECT_FALSE(setup.form.Closed());
            EXPECT_EQ(setup.form.PageIndex, pgFinish);
            EXPECT_TRUE(Has(log, "Finish"));
            EXPECT_EQ(setup.form.ExitCode(), 0);
            continue;
        }
        EXPECT_TRUE(setup.form.Closed()) << "the window closes once the run has returned";
        EXPECT_EQ(setup.form.ExitCode(), 2);
        EXPECT_TRUE(Has(log, "Cancelled by the user"));
        for (const char* step : {"CreateLinks", "MakeIniFile", "WriteRegistry", "Finish"}) EXPECT_FALSE(Has(log, step)) << step;
        EXPECT_TRUE(Has(log, "Extract: " + Narrow(setup.Bin() + c.writing)));
        EXPECT_FALSE(Utillity::FileExists(setup.Bin() + c.writing)) << "no partial file";
        EXPECT_TRUE(Utillity::FileExists(setup.data + L"Symbols\\Default_Icons\\Sym_Account_0001.Ico")) << "placed before";
        EXPECT_FALSE(Utillity::FileExists(setup.program + L"VQUninstall.Exe")) << "nothing after it";
        EXPECT_FALSE(Utillity::FileExists(setup.Bin() + kIniFileName));
        EXPECT_EQ(TempFiles(), tempBefore) << "no temporary file left";
        HKEY settings = nullptr;
        EXPECT_NE(::RegOpenKeyExW(HKEY_CURRENT_USER, L"SOFTWARE\\VessasQuorin", 0, KEY_READ, &settings), ERROR_SUCCESS);
        if (settings) ::RegCloseKey(settings);
    }
}

// Counts the WM_PAINT messages of the windows it watches.
class PaintCounter {
public:
    ~PaintCounter() {
        for (const auto& watched : counts_) ::RemoveWindowSubclass(watched.first, &Proc, 1);
    }
    void Watch(HWND window) {
        counts_[window] = 0;
        ::SetWindowSubclass(window, &Proc, 1, reinterpret_cast<DWORD_PTR>(this));
    }
    int operator[](HWND window) const { return counts_.at(window); }

private:
    static LRESULT CALLBACK Proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR, DWORD_PTR self) {
        if (message == WM_PAINT) ++reinterpret_cast<PaintCounter*>(self)->counts_[window];
        return ::DefSubclassProc(window, message, wParam, lParam);
    }
    std::map<HWND, int> counts_;
};

// Once per percent the bar and the file label are repainted, and nothing else: the banner's
// picture stays as it was painted before the run.
TEST(Repaints, EachPercentRepaintsTheBarAndTheFileLabelAndLeavesThePicturesAlone) {
    FormInstallation setup(L"repaint", L"en-US");
    setup.form.Show();
    setup.form.PageIndex = pgConfirm;
    setup.form.ShowPage();
    ::UpdateWindow(setup.form.Handle());
    setup.form.ProcessMessages();
    PaintCounter paints;
    for (HWND w : {setup.form.ImageTop, setup.form.ProgressBar, setup.form.ProgressFile2Label}) paints.Watch(w);
    setup.form.NextButtonClick();
    ASSERT_EQ(setup.form.PageIndex, pgFinish);

    const auto log = setup.Log();
    const int percents = static_cast<int>(
        std::count_if(log.begin(), log.end(), [](const std::string& l) { return l.rfind("Progress: ", 0) == 0; }));
    ASSERT_GT(percents, 20);
    EXPECT_EQ(paints[setup.form.ImageTop], 0);
    // Each percent, plus once when the progress page comes up.
    EXPECT_GE(paints[setup.form.ProgressBar], percents);
    EXPECT_LE(paints[setup.form.ProgressBar], percents + 1);
    EXPECT_LE(paints[setup.form.ProgressFile2Label], percents + 1);
    setup.form.Close();
}

// An archive whose root word would lead out of the data folder is refused before any of its
// files is written, also the harmless ones before it.
TEST(Placement, AnEscapingRootWordIsRefusedBeforeAnythingIsWritten) {
    for (const char* root : {"USER\\..\\..\\Windows", "USER/../Escaped", "USER\\C:\\Windows", "USER\\Sub\\..\\..", "SYSTEM"}) {
        SCOPED_TRACE(root);
        Installation setup(L"hostile");
        ASSERT_TRUE(Utillity::MakeFolderPath(setup.data));
        const std::string bytes = ArchiveBytes()
                                      .Header("HF1", 2)
                                      .Entry("harmless", "First.txt", "", "USER", "")
                                      .Entry("hostile", "Escaped.txt", "", root, "")
                                      .Bytes();
        TMemoryStream stream(bytes.data(), bytes.size());
        TPackFiles reader(nullptr);
        std::wstring version;
        ASSERT_TRUE(reader.Load(stream, version));
        EXPECT_THROW(ExtractFiles(setup.choices, setup.view, reader), EVQError);
        EXPECT_FALSE(Utillity::FileExists(setup.data + L"First.txt"));
        EXPECT_FALSE(Utillity::FileExists(setup.scratch.Path() + L"Escaped.txt"));
        EXPECT_FALSE(Utillity::FileExists(L"C:\\Windows\\Escaped.txt"));
    }
}
