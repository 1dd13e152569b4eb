// The language list, the default language, applying a language to the captions and the licence
// documents. The form is created hidden in-process; the test program runs on an English system
// unless its CTest entry says otherwise (VQ_SYSTEM_LOCALE).
#include <gtest/gtest.h>
#include <richedit.h>

#include "TestSupport.h"
#include "texts/LanguageUnit.h"
#include "wizard/Controls.h"
#include "wizard/VQSetupUnit.h"

using namespace testsupport;

namespace {
std::unique_ptr<TVQSetupForm> MakeForm(const std::wstring& file = L"C:\\x\\VQSetup.exe",
                                       std::vector<std::wstring> params = {}) {
    return std::make_unique<TVQSetupForm>(StartupArgs{file, std::move(params)});
}

std::vector<std::wstring> Entries(HWND combo) {
    std::vector<std::wstring> entries;
    for (int i = 0; i < ctl::ComboCount(combo); ++i) entries.push_back(ctl::ComboItemText(combo, i));
    return entries;
}

std::wstring SelectedCode(const TVQSetupForm& form) {
    const int index = ctl::ComboIndex(form.LanguageComboBox);
    if (index < 0) return L"";
    return reinterpret_cast<const TString*>(ctl::ComboData(form.LanguageComboBox, index))->Value;
}

void Choose(TVQSetupForm& form, HWND combo, int index) {
    ctl::ComboSelect(combo, index);
    form.LanguageComboBoxChange();
}

std::wstring Licence(const TVQSetupForm& form) { return ctl::GetText(form.TermsAndConditionsRichEdit); }

const std::vector<std::wstring> kAll = {L"Deutsch (Deutschland)", L"Deutsch (\u00d6sterreich)", L"Deutsch (Schweiz)",
                                        L"English", L"Fran\u00e7ais", L"Espa\u00f1ol"};
}  // namespace

TEST(LanguageOfSystem, IdentifierGroups) {
    const struct { LANGID id; const wchar_t* code; } cases[] = {
        {0x0403, L"es-ES"}, {0x040C, L"fr-FR"}, {0x080C, L"fr-FR"}, {0x0C0C, L"fr-FR"}, {0x100C, L"fr-FR"},
        {0x140C, L"fr-FR"}, {0x180C, L"fr-FR"}, {0x0C07, L"de-AT"}, {0x0407, L"de-DE"}, {0x1007, L"de-DE"},
        {0x1407, L"de-DE"}, {0x0807, L"de-CH"}, {0x0C0A, L"es-ES"}, {0x040A, L"es-ES"}, {0x080A, L"es-ES"},
        {0x2C0A, L"es-ES"}, {0x500A, L"es-ES"}, {0x200A, L"es-ES"}, {0x0409, L"en-US"}, {0x0809, L"en-US"},
        {0x0816, L"en-US"}, {0x0416, L"en-US"}, {0x0410, L"en-US"}, {0x0000, L"en-US"},
    };
    for (const auto& c : cases) EXPECT_EQ(LanguageOfSystem(c.id), c.code) << std::hex << c.id;
}

TEST(LanguageList, FollowsTheFileNameMarker) {
    const struct {
        const wchar_t* file;
        std::vector<std::wstring> entries;
        bool listShown;
        const wchar_t* language;  // CurrentLanguage afterwards
        int selected;
    } cases[] = {
        {L"C:\\x\\VQSetup.exe", kAll, true, L"en-US", 3},
        {L"C:\\x\\VQSetup-DE.exe", {kAll[0], kAll[1], kAll[2]}, true, L"de-DE", -1},
        {L"C:\\x\\VQSetup-EN.exe", {L"English"}, false, L"en-US", 0},
        {L"C:\\x\\VQSetup-FR.exe", {kAll[4]}, false, L"fr-FR", 0},
        {L"C:\\x\\VQSetup-ES.exe", {kAll[5]}, false, L"es-ES", 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.file, c.file + wcslen(c.file)));
        auto form = MakeForm(c.file);
        EXPECT_EQ(Entries(form->LanguageComboBox), c.entries);
        EXPECT_EQ(ctl::IsShown(form->LanguageComboBox), c.listShown);
        EXPECT_EQ(ctl::IsShown(form->LanguageLabel), c.listShown);
        EXPECT_EQ(CurrentLanguage, c.language);
        EXPECT_EQ(ctl::ComboIndex(form->LanguageComboBox), c.selected);
        EXPECT_EQ(ctl::IsShown(form->DateFormatComboBox), std::wstring(c.language) == L"en-US");
    }
    // "-EN.": the date format takes the language list's place.
    auto english = MakeForm(L"C:\\x\\VQSetup-EN.exe");
    const RECT list = ctl::Bounds(english->LanguageComboBox), date = ctl::Bounds(english->DateFormatComboBox);
    EXPECT_EQ(date.left, list.left);
    EXPECT_EQ(date.top, list.top);
    EXPECT_EQ(ctl::ComboItemText(english->DateFormatComboBox, ctl::ComboIndex(english->DateFormatComboBox)), L"DD/MM/YY");
}

TEST(LanguageList, LanguageParameterSelectsItsPosition) {
    const struct { const wchar_t* language; int position; const wchar_t* current; } cases[] = {
        {L"de-AT", 1, L"de-AT"}, {L"de-CH", 2, L"de-CH"}, {L"fr-FR", 4, L"fr-FR"}, {L"es-ES", 5, L"es-ES"},
        {L"EN-US", 3, L"en-US"},  // the code in another case is the code
        {L"es-es", 5, L"es-ES"},
        {L"pt-BR", 3, L"en-US"},  // not spoken: as if none were given, the system's language applies
    };
    for (const auto& c : cases) {
        auto form = MakeForm(L"C:\\x\\VQSetup.exe", {c.language, L"D:\\P", L"D:\\D"});
        EXPECT_EQ(ctl::ComboIndex(form->LanguageComboBox), c.position) << c.language;
        EXPECT_EQ(CurrentLanguage, c.current);
    }
}

namespace {
// Selections sent to a combo box with a position outside its list. Windows clears the selection
// then (Wine keeps the old one, so the selection alone would not show it).
std::vector<int> gOutOfRange;
LRESULT CALLBACK WatchSelections(int code, WPARAM wParam, LPARAM lParam) {
    const auto* call = reinterpret_cast<const CWPSTRUCT*>(lParam);
    if (code == HC_ACTION && call->message == CB_SETCURSEL && static_cast<int>(call->wParam) >= 0 &&
        static_cast<int>(call->wParam) >= ctl::ComboCount(call->hwnd))
        gOutOfRange.push_back(static_cast<int>(call->wParam));
    return ::CallNextHookEx(nullptr, code, wParam, lParam);
}
}  // namespace

// A language fixed by the file name together with a language parameter: the list shown holds one
// (or three) entries, and the parameter selects within that list, never a position of the full one.
TEST(LanguageList, FileNameLanguageWithAParameterSelectsAnEntryOfTheListShown) {
    const struct { const wchar_t* file; const wchar_t* language; const wchar_t* current; } cases[] = {
        {L"C:\\x\\VQSetup-FR.exe", L"es-ES", L"fr-FR"}, {L"C:\\x\\VQSetup-ES.exe", L"es-ES", L"es-ES"},
        {L"C:\\x\\VQSetup-EN.exe", L"de-AT", L"en-US"}, {L"C:\\x\\VQSetup-DE.exe", L"en-US", L"de-DE"},
        {L"C:\\x\\VQSetup-DE.exe", L"de-CH", L"de-CH"}, {L"C:\\x\\VQSetup-FR.exe", L"FR-FR", L"fr-FR"},
    };
    HHOOK hook = ::SetWindowsHookExW(WH_CALLWNDPROC, WatchSelections, nullptr, ::GetCurrentThreadId());
    ASSERT_NE(hook, nullptr);
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.file, c.file + wcslen(c.file)) + " " + std::string(c.language, c.language + wcslen(c.language)));
        gOutOfRange.clear();
        auto form = MakeForm(c.file, {c.language, L"D:\\P", L"D:\\D"});
        EXPECT_TRUE(gOutOfRange.empty()) << "selected position " << (gOutOfRange.empty() ? 0 : gOutOfRange[0]);
        const int index = ctl::ComboIndex(form->LanguageComboBox);
        ASSERT_GE(index, 0);
        ASSERT_LT(index, ctl::ComboCount(form->LanguageComboBox));
        EXPECT_EQ(SelectedCode(*form), c.current);
        EXPECT_EQ(CurrentLanguage, c.current);
        // With a valid entry selected, Next leaves the welcome page.
        DialogRecorder dialogs;
        form->NextButtonClick();
        EXPECT_NE(form->PageIndex, pgLanguage);
        EXPECT_TRUE(dialogs.Dialogs().empty());
    }
    ::UnhookWindowsHookEx(hook);
}

TEST(ApplyLanguage, SwitchingKeepsTheDateFormatAndRefillsEveryCaption) {
    auto form = MakeForm();
    ASSERT_EQ(SelectedCode(*form), L"en-US");
    Choose(*form, form->DateFormatComboBox, 1);
    EXPECT_EQ(CurrentLanguage, L"en-US") << "a date format re-applies the same language";

    Choose(*form, form->LanguageComboBox, 4);
    EXPECT_EQ(CurrentLanguage, L"fr-FR");
    EXPECT_FALSE(ctl::IsShown(form->DateFormatComboBox));
    EXPECT_EQ(ctl::GetText(form->WellcomeLabel), L"Bienvenu \u00e0 l'assistant d'installation\r\nde Vessa's Quorin");
    EXPECT_EQ(ctl::GetText(form->BackButton), L"< Zur\u00fcck") << "Back keeps its form caption";

    Choose(*form, form->LanguageComboBox, 3);
    EXPECT_TRUE(ctl::IsShown(form->DateFormatComboBox));
    EXPECT_EQ(ctl::ComboIndex(form->DateFormatComboBox), 1);

    // Every caption of the table is filled in each language, and the setup type keeps its position
    // (custom, matching an unticked desktop link).
    ListView_SetCheckState(form->OptionsListView, 2, FALSE);
    ASSERT_EQ(ctl::ComboIndex(form->OptionsComboBox), 1);
    // The words of the custom setup type and of the removable option, by position in the list.
    const struct { const wchar_t* custom; const wchar_t* removable; } words[6] = {
        {L"Benutzerdefinierte Installation", L"Installation auf einem Wechseldatentr\u00e4ger (USB-Stick)"},
        {L"Benutzerdefinierte Installation", L"Installation auf einem Wechseldatentr\u00e4ger (USB-Stick)"},
        {L"Benutzerdefinierte Installation", L"Installation auf einem Wechseldatentr\u00e4ger (USB-Stick)"},
        {L"Custom installation", L"Installation on a removable disk (USB stick)"},
        {L"Installation personnalis\u00e9e", L"Installation sur un support amovible (cl\u00e9 USB)"},
        {L"Instalaci\u00f3n personalizada", L"Instalaci\u00f3n en un disco extra\u00edble (memoria USB)"},
    };
    for (int position = 0; position < 6; ++position) {
        Choose(*form, form->LanguageComboBox, position);
        for (HWND w : {form->WellcomeLabel, form->WellcomeInfoLabel, form->LanguageInfoLabel, form->DriveLabel,
                       form->ProgramFolderLabel, form->DataFolderLabel, form->SearchProgramFolderButton,
                       form->SearchDataFolderButton, form->ResetFoldersButton, form->NextButton, form->CancelButton,
                       form->LanguageLabel, form->LicenceLabel, form->LicenceTextLabel, form->OptionsLabel,
                       form->OptionsTextLabel, form->RemoveableLabel, form->RemoveableInfo1Label,
                       form->RemoveableInfo2Label, form->FolderLabel, form->FolderInfo1Label, form->FolderInfo2Label,
                       form->ConfirmLabel, form->ConfirmInfoLabel, form->ProgressLabel, form->ProgressInfoLabel,
                       form->ProgressFile1Label, form->FinishLabel, form->FinishInfo1Label, form->FinishInfo3Label,
                       form->InstallButton})
            EXPECT_FALSE(ctl::GetText(w).empty()) << "position " << position << " control " << ::GetDlgCtrlID(w);
        EXPECT_EQ(ctl::ComboIndex(form->OptionsComboBox), 1);
        EXPECT_EQ(ctl::ComboItemText(form->OptionsComboBox, 1), words[position].custom);
        wchar_t item[256] = {};
        ListView_GetItemText(form->OptionsListView, 4, 0, item, 256);
        EXPECT_EQ(std::wstring(item), words[position].removable);
    }
}

TEST(Licence, EveryLocaleLoadsItsOwnDocument) {
    auto form = MakeForm();
    const struct { int position; const wchar_t* resource; const wchar_t* word; } cases[] = {
        {0, L"TERMSANDCONDITIONS_DE_DE", L"Bundesrepublik Deutschland"},
        {1, L"TERMSANDCONDITIONS_DE_AT", L"sterreich"},
        {2, L"TERMSANDCONDITIONS_DE_CH", L"Schweiz"},
        {3, L"TERMSANDCONDITIONS_EN_US", L"LICENSE"},
        {4, L"TERMSANDCONDITIONS_FR_FR", L"licence"},
        {5, L"TERMSANDCONDITIONS_ES_ES", L"licencia"},
    };
    for (const auto& c : cases) {
        HRSRC resource = ::FindResourceW(nullptr, c.resource, RT_RCDATA);
        ASSERT_NE(resource, nullptr) << c.resource;
        const char* bytes = static_cast<const char*>(::LockResource(::LoadResource(nullptr, resource)));
        EXPECT_EQ(std::string(bytes, 29), "{\\rtf1\\ansi\\ansicpg1252\\deff0");
        Choose(*form, form->LanguageComboBox, c.position);
        const std::wstring shown = Licence(*form);
        EXPECT_GT(shown.size(), 20000u) << c.resource;
        EXPECT_NE(shown.find(c.word), std::wstring::npos) << c.resource;
        EXPECT_EQ(shown.find(L"{\\rtf"), std::wstring::npos) << "shown formatted, not as RTF source";
    }
    // Read-only, and the left margin keeps the text off the border.
    EXPECT_TRUE(::GetWindowLongPtrW(form->TermsAndConditionsRichEdit, GWL_STYLE) & ES_READONLY);
}

TEST(Licence, UnknownLanguageEmptiesTheTextsAndReportsTheMissingDocument) {
    auto form = MakeForm();
    DialogRecorder dialogs;
    form->ApplyLanguage(L"pt-PT");
    EXPECT_EQ(CurrentLanguage, L"pt-PT");
    EXPECT_EQ(ctl::GetText(form->WellcomeLabel), L"");
    ASSERT_EQ(dialogs.Dialogs().size(), 1u);
    EXPECT_EQ(dialogs.Dialogs()[0].Message, L"Resource TERMSANDCONDITIONS_PT_PT not found\r\n");
    // The wizard goes on: the next language applies normally.
    form->ApplyLanguage(L"en-US");
    EXPECT_EQ(ctl::GetText(form->WellcomeLabel), L"Welcome to the Vessa's Quorin\r\nSetup assistant");
    EXPECT_EQ(dialogs.Dialogs().size(), 1u);
}

TEST(Licence, AFirstPageFirstStartReadsTheDocumentWhenItsPageShows) {
    auto complete = MakeForm();
    Choose(*complete, complete->LanguageComboBox, 4);
    const std::wstring french = Licence(*complete);
    ASSERT_NE(french.find(L"licence"), std::wstring::npos);

    TVQSetupForm form(StartupArgs{L"C:\\x\\VQSetup.exe", {}}, StartMode::FirstPageFirst);
    EXPECT_EQ(Licence(form), L"") << "not read before its page shows";
    Choose(form, form.LanguageComboBox, 4);
    EXPECT_EQ(Licence(form), L"");
    form.PageIndex = pgLicence;
    form.ShowPage();
    EXPECT_EQ(Licence(form), french) << "the document of the language chosen last";

    // On its page, a language applies to the document at once.
    form.ApplyLanguage(L"es-ES");
    EXPECT_NE(Licence(form).find(L"licencia"), std::wstring::npos);

    // A language without a document is reported when it is chosen, as in a complete start.
    form.PageIndex = pgLanguage;
    form.ShowPage();
    DialogRecorder dialogs;
    form.ApplyLanguage(L"pt-PT");
    ASSERT_EQ(dialogs.Dialogs().size(), 1u);
    EXPECT_EQ(dialogs.Dialogs()[0].Message, L"Resource TERMSANDCONDITIONS_PT_PT not found\r\n");
    form.PageIndex = pgLicence;
    form.ShowPage();
    EXPECT_EQ(dialogs.Dialogs().size(), 1u) << "reported once";
    EXPECT_NE(Licence(form).find(L"licencia"), std::wstring::npos) << "the last document stays";
}

// Run by a CTest entry of its own per system locale (VQ_SYSTEM_LOCALE names the expected code).
TEST(SystemLanguage, DecidesTheStartLanguage) {
    const char* expected = std::getenv("VQ_SYSTEM_LOCALE");
    const std::wstring code = expected ? std::wstring(expected, expected + strlen(expected)) : L"en-US";
    auto form = MakeForm();
    EXPECT_EQ(CurrentLanguage, code);
    const bool german = code.rfind(L"de-", 0) == 0;
    // German speakers pick their country variant; everyone else starts with an entry selected.
    EXPECT_EQ(SelectedCode(*form), german ? L"" : code);
    EXPECT_EQ(ctl::IsShown(form->DateFormatComboBox), code == L"en-US");
    if (code == L"de-AT") {
        EXPECT_NE(Licence(*form).find(L"sterreich"), std::wstring::npos);
    }
}
