// Draws every wizard page in every language, and the setup's message dialogs in each language of
// the text table, and saves each as a bitmap of the window as it appears on the screen, for people
// to look at:  PageGallery.exe OUTPUT_FOLDER [setup file name]
#include <windows.h>

#include <atomic>
#include <cstdio>
#include <functional>
#include <string>
#include <thread>

#include "DialogSearch.h"
#include "ScreenCapture.h"
#include "services/Handles.h"
#include "engine/InstallUnit.h"
#include "services/UtillityUnit.h"
#include "texts/ErrorUnit.h"
#include "texts/LanguageUnit.h"
#include "wizard/Controls.h"
#include "wizard/VQSetupUnit.h"

namespace {
void Pump(int milliseconds) {
    const DWORD end = ::GetTickCount() + static_cast<DWORD>(milliseconds);
    while (::GetTickCount() < end) {
        TVQSetupForm::ProcessMessages();
        ::Sleep(10);
    }
}

bool SaveWindow(HWND window, const std::wstring& path) {
    RECT area{};
    ::GetWindowRect(window, &area);
    return testsupport::SaveScreenArea(area, path);
}

// Runs show(), which opens a real modal dialog and returns once it is answered. The dialog's modal
// loop holds this thread, so a second one waits for the dialog, lets it paint, saves it and
// presses its first button. When no dialog shows up in time the whole program ends: one that
// came later would hold show() with nobody left to answer it.
void ShowAndSave(const std::function<void()>& show, const std::wstring& path) {
    std::atomic<bool> answered{false}, saved{false};
    std::thread catcher([&] {
        const DWORD start = ::GetTickCount();
        HWND dialog = nullptr;
        while (!answered && !(dialog = testsupport::OpenDialog())) {
            if (::GetTickCount() - start > 10000) {
                std::fprintf(stderr, "PageGallery: no dialog appeared for %ls\n", path.c_str());
                ::ExitProcess(3);
            }
            ::Sleep(25);
        }
        if (!dialog) return;
        ::Sleep(300);
        saved = SaveWindow(dialog, path);
        ::PostMessageW(::GetDlgItem(dialog, 100), BM_CLICK, 0, 0);
    });
    show();
    answered = true;
    catcher.join();
    if (!saved) std::fprintf(stderr, "PageGallery: %ls not saved\n", path.c_str());
}

// The setup's message dialogs as its own code opens them, with the texts of the current language.
void SaveDialogs(TVQSetupForm& form, const std::wstring& prefix) {
    const int page = form.PageIndex;
    form.PageIndex = pgConfirm;  // the exit question is asked before the installation only
    ShowAndSave([&] { form.CanCloseSetup(); }, prefix + L"_dialog1_exit.bmp");
    form.PageIndex = page;
    ShowAndSave([&] { ShowSetupError(form, CurrentLanguage, Text(txCloseApplication), false); },
                prefix + L"_dialog2_repeat.bmp");
    ShowAndSave([&] { ShowSetupError(form, CurrentLanguage, Text(txNewerVersionInstalled) + L" (HF20991231)", true); },
                prefix + L"_dialog3_fatal.bmp");
    ShowAndSave([] {
        ReportError(EVQError(L"Cannot write the value \"InstallOption_MakeStartMenuEntry\" of "
                             L"HKEY_CURRENT_USER\\Software\\VessasQuorin (error 5)"),
                    L"HKEY_CURRENT_USER Setup");
    }, prefix + L"_dialog4_error.bmp");
    // A path is one word to the line breaker: the longest the payload places.
    ShowAndSave([] {
        ReportError(EVQError(L"Cannot create file C:\\users\\Public\\VessasQuorin\\Symbols\\Default_Icons\\"
                             L"Sym_Account_0001.Ico (5)"),
                    L"");
    }, prefix + L"_dialog5_error_path.bmp");
}
}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc < 2) return 2;
    const std::wstring folder = Utillity::AddBackslash(argv[1]);
    const std::wstring setupFile = argc > 2 ? argv[2] : L"C:\\Downloads\\VQSetup.exe";
    ComApartment com;
    LogFileName = L"VQ_Setup_Log_Gallery.Txt";
    Utillity::SetShellOpener([](const std::wstring&) {});
    const wchar_t* locales[6] = {L"de-DE", L"de-AT", L"de-CH", L"en-US", L"fr-FR", L"es-ES"};
    for (int position = 0; position < 6; ++position) {
        TVQSetupForm form(StartupArgs{setupFile, {}});
        form.InstallRunner = [] { return 3; };
        ctl::ComboSelect(form.LanguageComboBox, position);
        form.LanguageComboBoxChange();
        form.Show();
        for (int page = 0; page < pgCount; ++page) {
            form.PageIndex = page;
            form.Choices.UseRemoveable = page == pgRemoveable;
            form.ShowPage();
            ::RedrawWindow(form.Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_ALLCHILDREN | RDW_UPDATENOW);
            Pump(250);
            SaveWindow(form.Handle(), folder + locales[position] + L"_page" + std::to_wstring(page) + L".bmp");
        }
        // German once for the three German locales: the dialogs use the table's texts alone.
        if (position == 0 || position >= 3) SaveDialogs(form, folder + locales[position]);
        form.PageIndex = pgFinish;  // leave without the exit question
    }
    return 0;
}
