// The options page's two controls, and the folder page: the public-folder token, browsing, the
// product folder rule, the removable layout and the reset.
#include <gtest/gtest.h>

#include "TestSupport.h"
#include "engine/Folders.h"
#include "texts/LanguageUnit.h"
#include "wizard/Controls.h"
#include "wizard/VQSetupUnit.h"

using namespace testsupport;

namespace {
std::unique_ptr<TVQSetupForm> MakeForm(std::vector<std::wstring> params = {}) {
    auto form = std::make_unique<TVQSetupForm>(StartupArgs{L"C:\\x\\VQSetup.exe", std::move(params)});
    form->InstallRunner = [] { return 3; };
    return form;
}
bool Ticked(const TVQSetupForm& form, int item) { return ListView_GetCheckState(form.OptionsListView, item) != 0; }
void Tick(TVQSetupForm& form, int item, bool on) { ListView_SetCheckState(form.OptionsListView, item, on ? TRUE : FALSE); }
int SetupType(const TVQSetupForm& form) { return ctl::ComboIndex(form.OptionsComboBox); }
void ChooseType(TVQSetupForm& form, int index) {
    ctl::ComboSelect(form.OptionsComboBox, index);
    form.OptionsComboBoxChange();
}
void OnOptionsPage(TVQSetupForm& form) {
    form.PageIndex = pgLanguage;
    form.NextButtonClick();
    form.NextButtonClick();
    ASSERT_EQ(form.PageIndex, pgOptions);
}
}  // namespace

TEST(Options, TicksAndSetupTypeMoveTogether) {
    auto form = MakeForm();
    OnOptionsPage(*form);
    EXPECT_EQ(SetupType(*form), 0) << "the page opens consistent: the standard ticks show standard";
    EXPECT_TRUE(Ticked(*form, 0));

    Tick(*form, 0, false);
    EXPECT_TRUE(Ticked(*form, 0)) << "the program files cannot be unticked";
    Tick(*form, 2, false);
    EXPECT_EQ(SetupType(*form), 1);
    Tick(*form, 2, true);
    EXPECT_EQ(SetupType(*form), 0);
    Tick(*form, 4, true);
    EXPECT_EQ(SetupType(*form), 1);
    ChooseType(*form, 0);
    EXPECT_TRUE(Ticked(*form, 1) && Ticked(*form, 2) && Ticked(*form, 3));
    EXPECT_FALSE(Ticked(*form, 4));
    Tick(*form, 3, false);
    ChooseType(*form, 1);
    EXPECT_FALSE(Ticked(*form, 3)) << "custom changes no tick";
    EXPECT_TRUE(Ticked(*form, 1));
}

TEST(Options, OnlyNextStoresTheChoices) {
    auto form = MakeForm();
    OnOptionsPage(*form);
    Tick(*form, 1, false);
    form->BackButtonClick();
    form->NextButtonClick();
    EXPECT_TRUE(Ticked(*form, 1)) << "Back drops an unconfirmed untick";
    EXPECT_TRUE(form->Choices.MakeStartMenuEntry);
    Tick(*form, 1, false);
    Tick(*form, 3, false);
    form->NextButtonClick();
    EXPECT_FALSE(form->Choices.MakeStartMenuEntry);
    EXPECT_TRUE(form->Choices.MakeDesktopLink);
    EXPECT_FALSE(form->Choices.CheckUpdates);
    EXPECT_FALSE(form->Choices.UseRemoveable);
    EXPECT_NE(form->BuildSummary().find(L"Type of setup:\r\n    Custom installation\r\n"), std::wstring::npos);
}

TEST(Folders, PublicFolderTokenInEachLanguageAndItsRoundTrip) {
    const struct { int position; const wchar_t* shown; } cases[] = {
        {3, L"AppData - Folder\\VessasQuorin\\"},
        {0, L"AppData - Ordner\\VessasQuorin\\"},
        {4, L"AppData - Folder\\VessasQuorin\\"},
    };
    for (const auto& c : cases) {
        auto form = MakeForm();
        ctl::ComboSelect(form->LanguageComboBox, c.position);
        form->LanguageComboBoxChange();
        form->PageIndex = pgFolder;
        form->ShowPage();
        EXPECT_EQ(ctl::GetText(form->DataFolderEdit), c.shown);
        EXPECT_EQ(form->Choices.DataFolder, L"C:\\users\\Public\\VessasQuorin\\");
        // Typed in another case, the token still means the public folder.
        ctl::SetText(form->DataFolderEdit, UpperCase(c.shown) + L"Sub");
        EXPECT_EQ(form->Choices.DataFolder, L"C:\\users\\Public\\VESSASQUORIN\\Sub\\");
    }
}

TEST(Folders, BrowsingAppendsTheProductFolder) {
    auto form = MakeForm();
    form->PageIndex = pgFolder;
    form->ShowPage();
    std::vector<std::wstring> titles, starts;
    std::vector<std::wstring> answers = {L"D:\\Programs", L"D:\\vessasquorin\\Bin", L"", L"E:\\"};
    size_t next = 0;
    Utillity::SetFolderBrowser([&](const std::wstring& title, std::wstring& folder) {
        titles.push_back(title);
        starts.push_back(folder);
        const std::wstring answer = answers[next++];
        if (answer.empty()) return false;  // cancelled
        folder = answer;
        return true;
    });
    form->SearchProgramFolderButtonClick();
    EXPECT_EQ(ctl::GetText(form->ProgramFolderEdit), L"D:\\Programs\\VessasQuorin");
    EXPECT_EQ(form->Choices.ProgramFolder, L"D:\\Programs\\VessasQuorin");
    form->SearchProgramFolderButtonClick();
    EXPECT_EQ(ctl::GetText(form->ProgramFolderEdit), L"D:\\vessasquorin\\Bin");
    form->SearchProgramFolderButtonClick();
    EXPECT_EQ(ctl::GetText(form->ProgramFolderEdit), L"D:\\vessasquorin\\Bin") << "cancel changes nothing";
    form->SearchDataFolderButtonClick();
    EXPECT_EQ(form->Choices.DataFolder, L"E:\\VessasQuorin\\");
    Utillity::SetFolderBrowser(nullptr);

    ASSERT_EQ(titles.size(), 4u);
    EXPECT_EQ(titles[0], L"Program - Folder");
    EXPECT_EQ(starts[0], L"C:\\Program Files\\");
    EXPECT_EQ(titles[3], L"Data - Folder");
    // The user's application-data folder, as the environment names it.
    wchar_t appData[MAX_PATH] = {};
    ::GetEnvironmentVariableW(L"APPDATA", appData, MAX_PATH);
    EXPECT_EQ(UpperCase(starts[3]), UpperCase(Utillity::AddBackslash(appData)));

    // Set defaults brings both back.
    form->ResetFoldersButtonClick();
    EXPECT_EQ(ctl::GetText(form->ProgramFolderEdit), L"C:\\Program Files\\VessasQuorin\\");
    EXPECT_EQ(form->Choices.DataFolder, L"C:\\users\\Public\\VessasQuorin\\");
}

TEST(Folders, RemovableLayoutFromTheChosenDrive) {
    auto form = MakeForm();
    ctl::ComboClear(form->DriveComboBox);
    ctl::ComboAdd(form->DriveComboBox, L"USB (E:)");
    ctl::ComboAdd(form->DriveComboBox, L"USB (F:)");
    form->DriveLetters = L"EF";
    ctl::ComboSelect(form->DriveComboBox, 1);
    form->DriveComboBoxChange();
    form->Choices.UseRemoveable = true;
    form->PageIndex = pgFolder;
    form->ShowPage();
    EXPECT_EQ(ctl::GetText(form->ProgramFolderEdit), L"F:\\VessasQuorin\\Prog\\");
    EXPECT_EQ(ctl::GetText(form->DataFolderEdit), L"F:\\VessasQuorin\\Data\\");
    EXPECT_FALSE(ctl::IsShown(form->ResetFoldersButton));
    EXPECT_EQ(GetProgramFolder(form->Choices, true), L"F:\\VessasQuorin\\Prog\\Bin\\");
    EXPECT_EQ(form->Choices.ProgramFolder, L"C:\\Program Files\\VessasQuorin\\") << "the fixed-disk pair is kept";
}

// On a removable installation the data folder may lie below the public folder too: the edit shows
// the token, and the field keeps the path, not the displayed text.
TEST(Folders, RemovableDataFolderBelowThePublicFolderKeepsThePath) {
    auto form = MakeForm();
    form->Choices.UseRemoveable = true;
    form->Choices.RemoveableProgramFolder = L"E:\\VessasQuorin\\Prog";
    form->Choices.RemoveableDataFolder = L"C:\\users\\Public\\X";
    form->PageIndex = pgFolder;
    form->ShowPage();
    EXPECT_EQ(ctl::GetText(form->DataFolderEdit), L"AppData - Folder\\X\\");
    EXPECT_EQ(form->Choices.RemoveableDataFolder, L"C:\\users\\Public\\X\\");
    EXPECT_EQ(GetDataFolder(form->Choices), L"C:\\users\\Public\\X\\");
    ctl::SetText(form->DataFolderEdit, L"appdata - folder\\Y");
    EXPECT_EQ(form->Choices.RemoveableDataFolder, L"C:\\users\\Public\\Y\\");
    EXPECT_EQ(form->Choices.DataFolder, L"C:\\users\\Public\\VessasQuorin\\") << "the fixed-disk pair is kept";
}
