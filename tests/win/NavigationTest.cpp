// The page sequence, the page checks, the summary, the install run's answers and the question
// before leaving. The form is created hidden in-process; dialogs are answered through the seam.
#include <gtest/gtest.h>

#include "TestSupport.h"
#include "texts/LanguageUnit.h"
#include "wizard/Controls.h"
#include "wizard/VQSetupUnit.h"

using namespace testsupport;

namespace {
std::unique_ptr<TVQSetupForm> MakeForm(const std::wstring& file = L"C:\\x\\VQSetup.exe") {
    auto form = std::make_unique<TVQSetupForm>(StartupArgs{file, {}});
    form->InstallRunner = [] { return 3; };
    return form;
}
void Tick(TVQSetupForm& form, int item, bool on) { ListView_SetCheckState(form.OptionsListView, item, on ? TRUE : FALSE); }
}  // namespace

TEST(Pages, NextAndBackThroughTheWholeSequence) {
    struct Step { const char* action; int page; };
    const struct { const wchar_t* file; bool removable; std::vector<Step> steps; } cases[] = {
        {L"C:\\x\\VQSetup.exe", false,
         {{"next", 1}, {"next", 2}, {"next", 4}, {"back", 2}, {"next", 4}, {"next", 5}, {"back", 4}, {"back", 2},
          {"back", 1}, {"back", 0}}},
        {L"C:\\x\\VQSetup.exe", true,
         {{"next", 1}, {"next", 2}, {"next", 3}, {"back", 2}, {"next", 3}, {"drive", 4}, {"back", 3}, {"back", 2}}},
        // A hotfix skips licence, options and drive on the way forward; Back knows nothing of it.
        {L"C:\\x\\VQSetupHF.exe", false, {{"next", 4}, {"back", 2}, {"back", 1}, {"back", 0}, {"next", 4}, {"next", 5}}},
    };
    for (const auto& c : cases) {
        auto form = MakeForm(c.file);
        DialogRecorder dialogs;
        ASSERT_GE(ctl::ComboIndex(form->LanguageComboBox), 0);
        // A drive to choose, for the removable path.
        ctl::ComboAdd(form->DriveComboBox, L"USB (E:)");
        form->DriveLetters = L"E";
        int n = 0;
        for (const Step& s : c.steps) {
            SCOPED_TRACE(::testing::Message() << "step " << n++ << " " << s.action);
            if (form->PageIndex == pgOptions) Tick(*form, 4, c.removable);
            if (std::string(s.action) == "back") {
                form->BackButtonClick();
            } else {
                if (std::string(s.action) == "drive") ctl::ComboSelect(form->DriveComboBox, 0);
                form->NextButtonClick();
            }
            EXPECT_EQ(form->PageIndex, s.page);
            for (int page = 0; page < pgCount; ++page) EXPECT_EQ(ctl::IsShown(form->TabSheet(page)), page == s.page);
            EXPECT_EQ(ctl::IsShown(form->BackButton), s.page != 0);
            EXPECT_EQ(ctl::IsShown(form->SetupImagePanel), s.page == 0);
            EXPECT_EQ(ctl::IsShown(form->LanguagePanel), s.page == 0);
            EXPECT_EQ(ctl::GetText(form->NextButton), s.page == 5 ? L"Install" : L"Next >");
            EXPECT_EQ(ctl::IsShown(form->ResetFoldersButton), s.page == 4 && !form->Choices.UseRemoveable);
        }
        EXPECT_TRUE(dialogs.Dialogs().empty());
    }
}

TEST(Pages, FailedChecksKeepThePageAndSayWhy) {
    auto form = MakeForm(L"C:\\x\\VQSetup-DE.exe");  // German: no language selected yet
    DialogRecorder dialogs;
    form->NextButtonClick();
    EXPECT_EQ(form->PageIndex, 0);
    ctl::ComboSelect(form->LanguageComboBox, 1);
    form->LanguageComboBoxChange();
    form->NextButtonClick();
    form->NextButtonClick();
    Tick(*form, 4, true);
    form->NextButtonClick();
    ASSERT_EQ(form->PageIndex, 3);
    form->NextButtonClick();  // the drive list is empty
    form->NextButtonClick();
    EXPECT_EQ(form->PageIndex, 3);

    ASSERT_EQ(dialogs.Dialogs().size(), 3u);
    EXPECT_EQ(dialogs.Dialogs()[0].Message, L"Bitte w\u00e4hlen Sie eine Sprache aus");
    EXPECT_EQ(dialogs.Dialogs()[1].Message, L"Bitte w\u00e4hlen Sie ein Laufwerk aus.");
    for (const auto& d : dialogs.Dialogs()) {
        EXPECT_EQ(d.Kind, DialogKind::Information);
        ASSERT_EQ(d.Buttons.size(), 1u);
        EXPECT_EQ(d.Buttons[0].Kind, dbOK);
    }
}

TEST(Pages, DataFolderMustNotLieInsideProgramFiles) {
    const struct { const wchar_t* data; bool refused; } cases[] = {
        {L"C:\\Program Files\\VessasQuorinData", true},
        {L"c:\\program files\\vessasquorindata", true},
        {L"  C:\\Program Files\\X  ", true},
        {L"C:\\Program Files (x86)\\X", false},
        {L"D:\\VQ", false},
        {L"C:\\users\\Public\\VessasQuorin", false},
    };
    for (const auto& c : cases) {
        auto form = MakeForm();
        DialogRecorder dialogs;
        form->PageIndex = pgFolder;
        form->ShowPage();
        ctl::SetText(form->DataFolderEdit, c.data);
        form->NextButtonClick();
        EXPECT_EQ(form->PageIndex, c.refused ? pgFolder : pgConfirm) << c.data;
        ASSERT_EQ(dialogs.Dialogs().size(), c.refused ? 1u : 0u) << c.data;
        if (c.refused) {
            EXPECT_EQ(dialogs.Dialogs()[0].Message,
                      L"The data directory cannot be the Windows-Program-Folder. (no writing permissions)\r\n"
                      L"\"C:\\Program Files\\\"");
        }
    }
}

// A folder without drive or server would be made below whatever the current folder is; the page
// says so in the user's language and stays.
TEST(Pages, FoldersMustBeFullPaths) {
    const struct { const wchar_t* program; const wchar_t* data; const wchar_t* named; } cases[] = {
        {L"", L"D:\\VQData", L""},
        {L"Apps\\VQ", L"D:\\VQData", L"Apps\\VQ\\"},
        {L"D:Apps", L"D:\\VQData", L"D:Apps\\"},
        {L"D:\\Apps\\VQ", L"", L""},
        {L"D:\\Apps\\VQ", L"VQData", L"VQData\\"},
        {L"\\VQ", L"D:\\VQData", L"\\VQ\\"},
        {L"D:\\Apps\\VQ", L"D:\\VQData", nullptr},
        {L"\\\\server\\share\\VQ", L"\\\\server\\share\\Data", nullptr},
    };
    for (const char* language : {"en", "de"}) {
        for (const auto& c : cases) {
            SCOPED_TRACE(std::string(language) + " " + std::string(c.program, c.program + wcslen(c.program)) + " | " +
                         std::string(c.data, c.data + wcslen(c.data)));
            auto form = MakeForm(std::string(language) == "de" ? L"C:\\x\\VQSetup-DE.exe" : L"C:\\x\\VQSetup.exe");
            DialogRecorder dialogs;
            form->PageIndex = pgFolder;
            form->ShowPage();
            ctl::SetText(form->ProgramFolderEdit, c.program);
            ctl::SetText(form->DataFolderEdit, c.data);
            form->NextButtonClick();
            EXPECT_EQ(form->PageIndex, c.named ? pgFolder : pgConfirm);
            ASSERT_EQ(dialogs.Dialogs().size(), c.named ? 1u : 0u);
            if (!c.named) continue;
            const std::wstring expected = std::string(language) == "de"
                ? L"Der Ordner muss ein vollst\u00e4ndiger Pfad mit Laufwerksbuchstaben (C:\\...) oder ein Netzwerkpfad (\\\\Server\\Freigabe\\...) sein."
                : L"The folder must be a complete path with a drive letter (C:\\...) or a network path (\\\\server\\share\\...).";
            EXPECT_EQ(dialogs.Dialogs()[0].Message, expected + L"\r\n\"" + c.named + L"\"");
            EXPECT_EQ(dialogs.Dialogs()[0].Kind, DialogKind::Information);
        }
    }
}

TEST(Summary, FullAndHotfixSetup) {
    auto form = MakeForm();
    form->Choices.ProgramFolder = L"C:\\Program Files\\VessasQuorin";
    form->Choices.DataFolder = L"C:\\users\\Public\\VessasQuorin";
    form->Choices.MakeDesktopLink = false;
    form->Choices.UseRemoveable = false;
    form->PageIndex = pgConfirm;
    form->ShowPage();  // the list's change handler picks the setup type from the ticks (when built)
    ctl::ComboSelect(form->OptionsComboBox, 1);
    EXPECT_EQ(form->BuildSummary(),
              L"Program - Folder:\r\n    C:\\Program Files\\VessasQuorin\\\r\n"
              L"Data - Folder:\r\n    C:\\users\\Public\\VessasQuorin\\\r\n"
              L"Type of setup:\r\n    Custom installation\r\n"
              L"Selected components:\r\n    Programme files (necessary)\r\n"
              L"    Create entry in the start menu\r\n    Inform about the availability of updates\r\n");
    EXPECT_EQ(ctl::GetText(form->DataFolderEdit), L"AppData - Folder\\VessasQuorin\\");

    auto hotfix = MakeForm(L"C:\\x\\VQ_HF.exe");
    hotfix->Choices.UseRemoveable = true;
    hotfix->Choices.RemoveableProgramFolder = L"E:\\VessasQuorin\\Prog";
    hotfix->Choices.RemoveableDataFolder = L"E:\\VessasQuorin\\Data";
    hotfix->PageIndex = pgConfirm;
    hotfix->ShowPage();
    EXPECT_EQ(ctl::GetText(hotfix->SumaryRichEdit),
              L"Program - Folder:\r\n    E:\\VessasQuorin\\Prog\\\r\n"
              L"Data - Folder:\r\n    E:\\VessasQuorin\\Data\\\r\n"
              L"Type of setup:\r\n    Hotfix\r\n"
              L"Selected components:\r\n    Programme files (necessary)\r\n");
}

TEST(InstallRun, AnswersDecideTheNextPage) {
    const struct {
        std::vector<int> answers;
        std::vector<size_t> closeAnswer;  // position pressed in the exit question
        int runs, page;
        bool closed;
    } cases[] = {
        {{4, 4, 1}, {}, 3, pgFinish, false},
        {{1}, {}, 1, pgFinish, false},
        {{2}, {1}, 1, pgConfirm, false},  // No: back on the confirmation page
        {{2}, {0}, 1, pgConfirm, true},   // Yes: the setup ends
        {{4, 3}, {}, 2, pgProgress, false},
    };
    for (const auto& c : cases) {
        auto form = MakeForm();
        DialogRecorder dialogs;
        for (size_t p : c.closeAnswer) dialogs.PressButton(p);
        size_t next = 0;
        int runs = 0;
        form->InstallRunner = [&] {
            ++runs;
            EXPECT_EQ(form->PageIndex, pgProgress);
            return c.answers[next++];
        };
        form->PageIndex = pgConfirm;
        form->ShowPage();
        form->NextButtonClick();
        EXPECT_EQ(runs, c.runs);
        EXPECT_EQ(form->Closed(), c.closed);
        if (c.closed) continue;
        EXPECT_EQ(form->PageIndex, c.page);
        EXPECT_EQ(dialogs.Dialogs().size(), c.closeAnswer.size());
        if (c.page == pgFinish) {
            EXPECT_EQ(ctl::GetText(form->CancelButton), L"Finish");
            EXPECT_FALSE(ctl::IsShown(form->NextButton));
            EXPECT_FALSE(ctl::IsShown(form->BackButton));
            EXPECT_TRUE(ctl::IsShown(form->CancelButton));
        }
        if (c.page == pgProgress) {
            EXPECT_FALSE(ctl::IsShown(form->NextButton));
            EXPECT_FALSE(ctl::IsShown(form->BackButton));
            EXPECT_TRUE(ctl::IsShown(form->CancelButton));
        }
    }
}

TEST(Closing, AskedExceptOnTheFinishPageAndWhenSilent) {
    {
        auto form = MakeForm();
        DialogRecorder dialogs;
        dialogs.PressButton(1);  // No
        form->PageIndex = pgOptions;
        form->ShowPage();
        form->CancelButtonClick();
        EXPECT_FALSE(form->Closed());
        EXPECT_EQ(form->PageIndex, pgOptions);
        ASSERT_EQ(dialogs.Dialogs().size(), 1u);
        const DialogRequest& q = dialogs.Dialogs()[0];
        EXPECT_EQ(q.Caption, L"Exit setup");
        EXPECT_EQ(q.Message, L"The setup is not yet finished. If you terminate it now, \r\n, the program is not installed."
                             L"\r\n\r\nYou can execute the setup programme at a later time again in order to complete "
                             L"the installation\r\n\r\nQuit setup?");
        EXPECT_EQ(q.Kind, DialogKind::Confirmation);
        ASSERT_EQ(q.Buttons.size(), 2u);
        EXPECT_EQ(q.Buttons[0].Caption, L"Yes");
        EXPECT_EQ(q.Buttons[1].Caption, L"No");
        dialogs.PressButton(1);
        ::SendMessageW(form->Handle(), WM_CLOSE, 0, 0);  // the close box asks too
        EXPECT_EQ(dialogs.Dialogs().size(), 2u);
        EXPECT_FALSE(form->Closed());
        dialogs.PressButton(0);
        form->CancelButtonClick();
        EXPECT_TRUE(form->Closed());
    }
    {
        auto form = MakeForm();
        DialogRecorder dialogs;
        form->PageIndex = pgFinish;
        form->ShowPage();
        form->CancelButtonClick();
        EXPECT_TRUE(form->Closed());
        EXPECT_TRUE(dialogs.Dialogs().empty());
    }
    {
        auto form = std::make_unique<TVQSetupForm>(StartupArgs{L"C:\\x\\VQSetup.exe", {L"silent"}});
        ::KillTimer(form->Handle(), 1);
        DialogRecorder dialogs;
        EXPECT_FALSE(ctl::IsShown(form->CancelButton));
        EXPECT_TRUE(form->Close());
        EXPECT_TRUE(dialogs.Dialogs().empty());
    }
}
