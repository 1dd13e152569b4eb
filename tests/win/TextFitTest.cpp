// No text cut off, in any language, at the scale this process runs at: every page of the wizard
// in the six locales, and every message dialog the setup shows in the four languages of its texts,
// each text measured in its control's own font at the control's width.
#include <gtest/gtest.h>

#include <atomic>
#include <cstdio>
#include <functional>
#include <thread>

#include "DialogSearch.h"
#include "ScaleSupport.h"
#include "TestSupport.h"
#include "engine/InstallUnit.h"
#include "services/Dpi.h"
#include "services/UtillityUnit.h"
#include "texts/ErrorUnit.h"
#include "texts/LanguageUnit.h"
#include "wizard/Controls.h"
#include "wizard/VQSetupUnit.h"

using namespace testsupport;

namespace {
const wchar_t* const kLocales[] = {L"de-DE", L"de-AT", L"de-CH", L"en-US", L"fr-FR", L"es-ES"};

void ChooseLanguage(TVQSetupForm& form, int position) {
    ctl::ComboSelect(form.LanguageComboBox, position);
    form.LanguageComboBoxChange();
}

// Every page as the user sees it; the drive page only with the removable option, the others
// without (which shows "Set defaults" on the folder page).
void ExpectEveryPageToFit(TVQSetupForm& form, const std::string& variant) {
    const int dpi = ExpectedDpi();
    for (int page = 0; page < pgCount; ++page) {
        form.PageIndex = page;
        form.Choices.UseRemoveable = page == pgRemoveable;
        form.ShowPage();
        for (const auto& f : CutOffTexts(form.Handle(), dpi, [&](HWND w) { return NameOf(form, w); }))
            ADD_FAILURE() << variant << ", page " << page << ", " << dpi << " DPI: " << f;
    }
    form.PageIndex = pgFinish;  // leave without the exit question
}
}  // namespace

TEST(TextFits, OnEveryPageInEveryLanguage) {
    // The plain setup, a hotfix (its banner label, no licence) and the file names that fix the
    // language (the date format takes the language list's place, or the list holds one entry).
    const struct { const wchar_t* File; bool ChoosesLanguage; } setups[] = {
        {L"C:\\Downloads\\VQSetup.exe", true},       {L"C:\\Downloads\\VQSetupHF.exe", true},
        {L"C:\\Downloads\\VQSetup-DE.exe", false},   {L"C:\\Downloads\\VQSetup-EN.exe", false},
        {L"C:\\Downloads\\VQSetup-FR.exe", false},   {L"C:\\Downloads\\VQSetup-ES.exe", false},
    };
    for (const auto& setup : setups) {
        const int languages = setup.ChoosesLanguage ? 6 : 1;
        for (int position = 0; position < languages; ++position) {
            auto form = MakeScaleForm(setup.File);
            form->Show();
            if (setup.ChoosesLanguage) ChooseLanguage(*form, position);
            ExpectEveryPageToFit(*form, Narrow(setup.File) + " " + Narrow(CurrentLanguage));
        }
    }
}

namespace {
std::string DialogControlName(HWND w) {
    wchar_t name[32] = {};
    ::GetClassNameW(w, name, 32);
    return Narrow(name) + " " + std::to_string(::GetDlgCtrlID(w));
}

struct DialogCheck {
    std::vector<std::string> Failures;
    bool Seen = false;
};

// Measures the dialog at the session's DPI and once more after Windows has moved it to a monitor
// of another, then presses its first button.
void MeasureDialog(HWND dialog, DialogCheck& check) {
    const int session = ExpectedDpi(), other = session == 192 ? 120 : 192;
    for (int dpi : {session, other}) {
        if (dpi != session) {
            RECT window{};
            ::GetWindowRect(dialog, &window);
            ::SendMessageW(dialog, WM_DPICHANGED, MAKEWPARAM(dpi, dpi), reinterpret_cast<LPARAM>(&window));
        }
        const std::string at = " at " + std::to_string(dpi) + " DPI";
        for (const auto& f : CutOffTexts(dialog, dpi, DialogControlName)) check.Failures.push_back(f + at);
        // The system's icon is drawn for the scale, not stretched from the session's size.
        for (HWND child = ::GetWindow(dialog, GW_CHILD); child; child = ::GetWindow(child, GW_HWNDNEXT)) {
            const LONG_PTR style = ::GetWindowLongPtrW(child, GWL_STYLE);
            if ((style & SS_TYPEMASK) != SS_ICON || DialogControlName(child).rfind("Static", 0) != 0) continue;
            const SIZE icon = IconSize(reinterpret_cast<HICON>(::SendMessageW(child, STM_GETICON, 0, 0)));
            if (icon.cx != Dpi::Metric(SM_CXICON, dpi))
                check.Failures.push_back("icon of " + std::to_string(icon.cx) + " pixels" + at);
        }
    }
    ::PostMessageW(::GetDlgItem(dialog, 100), BM_CLICK, 0, 0);
}

// Runs show(), which opens a real dialog and returns once it is answered; a second thread measures
// and answers it. A dialog that never comes ends the program: show() would wait for it forever.
DialogCheck ShowAndMeasure(const std::function<void()>& show) {
    DialogCheck check;
    std::atomic<bool> returned{false};
    std::thread catcher([&] {
        const DWORD start = ::GetTickCount();
        HWND dialog = nullptr;
        while (!returned && !(dialog = OpenDialog())) {
            if (::GetTickCount() - start > 10000) {
                std::fprintf(stderr, "TextFits: no dialog appeared\n");
                ::ExitProcess(3);
            }
            ::Sleep(20);
        }
        if (!dialog) return;
        check.Seen = true;
        MeasureDialog(dialog, check);
    });
    show();
    returned = true;
    catcher.join();
    return check;
}

struct SetupDialog {
    const char* Name;
    std::function<void(TVQSetupForm&)> Show;
};

void NextFrom(TVQSetupForm& form, int page, const std::function<void()>& prepare) {
    form.PageIndex = page;
    form.Choices.UseRemoveable = page == pgRemoveable;
    form.ShowPage();
    prepare();
    form.NextButtonClick();
}

// Each dialog through the code that shows it, with the text of the form's language.
const std::vector<SetupDialog>& SetupDialogs() {
    static const std::vector<SetupDialog> dialogs = {
        {"exit question", [](TVQSetupForm& form) {
             form.PageIndex = pgConfirm;
             form.CanCloseSetup();
         }},
        {"no language", [](TVQSetupForm& form) {
             NextFrom(form, pgLanguage, [&] { ctl::ComboSelect(form.LanguageComboBox, -1); });
         }},
        {"no drive", [](TVQSetupForm& form) {
             NextFrom(form, pgRemoveable, [&] { ctl::ComboClear(form.DriveComboBox); });
         }},
        {"data in program files", [](TVQSetupForm& form) {
             NextFrom(form, pgFolder, [&] { ctl::SetText(form.DataFolderEdit, L"C:\\Program Files\\VessasQuorin Data"); });
         }},
        {"no full path", [](TVQSetupForm& form) {
             NextFrom(form, pgFolder, [&] { ctl::SetText(form.ProgramFolderEdit, L"Programme\\VessasQuorin"); });
         }},
        {"application running", [](TVQSetupForm& form) {
             ShowSetupError(form, CurrentLanguage, Text(txCloseApplication), false);
         }},
        {"no language chosen for the run", [](TVQSetupForm& form) {
             ShowSetupError(form, CurrentLanguage, Text(txSelectLanguage), false);
         }},
        {"folder not made", [](TVQSetupForm& form) {
             ShowSetupError(form, CurrentLanguage,
                            Text(txDirectoryNotCreated) + L"\r\nC:\\Program Files\\VessasQuorin\\Bin\\", false);
         }},
        {"archive incomplete", [](TVQSetupForm& form) {
             ShowSetupError(form, CurrentLanguage, Text(txArchiveIncomplete), true);
         }},
        {"newer version", [](TVQSetupForm& form) {
             ShowSetupError(form, CurrentLanguage, Text(txNewerVersionInstalled) + L" (HF20991231)", true);
         }},
        {"hotfix without installation", [](TVQSetupForm& form) {
             SetupChoices choices = form.ChoicesOfRun();
             choices.IsHotfix = true;
             choices.ProgramFolder = L"C:\\NoSuchFolder\\VessasQuorin\\";
             CheckActualize(choices, form);
         }},
        {"error report", [](TVQSetupForm&) {
             ReportError(EVQError(L"Cannot write the value \"InstallOption_MakeStartMenuEntry\" of "
                                  L"HKEY_CURRENT_USER\\Software\\VessasQuorin (error 5)"),
                         L"HKEY_CURRENT_USER Setup");
         }},
        // A path is one word to the line breaker: the longest the payload places.
        {"error report with a path", [](TVQSetupForm&) {
             ReportError(EVQError(L"Cannot create file C:\\users\\Public\\VessasQuorin\\Symbols\\Default_Icons\\"
                                  L"Sym_Account_0001.Ico (5)"),
                         L"");
         }},
    };
    return dialogs;
}
}  // namespace

TEST(TextFits, InEveryDialogTheSetupShows) {
    // The dialogs' texts come in the four languages of the text table.
    const struct { const char* Language; int Position; } languages[] = {{"de-DE", 0}, {"en-US", 3}, {"fr-FR", 4}, {"es-ES", 5}};
    for (const auto& language : languages) {
        // A form of its own for each: what one check leaves in the choices must not lead the next
        // to another dialog.
        for (const SetupDialog& dialog : SetupDialogs()) {
            auto form = MakeScaleForm();
            form->Show();
            ChooseLanguage(*form, language.Position);
            // A real dialog window, answered from the side, instead of the test seam.
            Utillity::SetDialogAnswerer(nullptr);
            const DialogCheck check = ShowAndMeasure([&] { dialog.Show(*form); });
            AnswerUnexpectedDialogs();
            EXPECT_TRUE(check.Seen) << language.Language << " " << dialog.Name << ": no dialog";
            for (const auto& f : check.Failures) ADD_FAILURE() << language.Language << " " << dialog.Name << ": " << f;
            form->PageIndex = pgFinish;
        }
    }
}
