// The uninstaller's window and its silent form, in-process: the question with "Remove data" off,
// the refusal while the application runs, the last page, and the exit codes. The window is created
// hidden; its dialogs are answered through the dialog seam.
#include <gtest/gtest.h>

#include <memory>

#include "EngineFixtures.h"
#include "MachineRegistrySandbox.h"
#include "TestSupport.h"
#include "engine/InstallRecordFile.h"
#include "engine/InstallUnit.h"
#include "services/Handles.h"
#include "uninstall/Installation.h"
#include "uninstall/UninstallForm.h"
#include "uninstall/Uninstaller.h"
#include "wizard/Controls.h"

using namespace testsupport;

namespace {
struct InstalledCopy {
    explicit InstalledCopy(const std::wstring& name)
        : scratch(name), program(scratch.Path() + L"Prog\\"), data(scratch.Path() + L"Data\\"),
          shell(ShellBelow(scratch.Path())) {
        FakeView view;
        if (RunInstallation(ChoicesFor(program, data, L"en-US"), view, shell) != 1) ADD_FAILURE() << "the installation failed";
    }
    // Found as the uninstaller finds it; started from elsewhere, so that the removal takes it all.
    Installation Found() const { return FindInstallation(program + L"VQUninstall.Exe", shell, {}); }
    std::wstring Started() const { return scratch.Path() + L"Downloads\\VQUninstall.Exe"; }
    MachineRegistrySandbox registry;
    ScratchFolder scratch;
    std::wstring program, data;
    ShellFolders shell;
};

bool Shown(HWND control) { return ctl::IsShown(control); }
bool Checked(HWND box) { return ::SendMessageW(box, BM_GETCHECK, 0, 0) == BST_CHECKED; }
}  // namespace

TEST(UninstallWindow, AsksInTheLanguageGivenAndRemovesOnRemove) {
    InstalledCopy setup(L"form-remove");
    TVQUninstallForm form(L"de-AT", setup.Found(), setup.Started());
    EXPECT_EQ(ctl::GetText(form.Handle()), L"VESSA'S QUORIN 9.9");
    EXPECT_EQ(form.PageIndex, upQuestion);
    EXPECT_EQ(ctl::GetText(form.QuestionLabel), L"M\u00f6chten Sie Vessa's Quorin von Ihrem Computer entfernen?");
    EXPECT_EQ(ctl::GetText(form.RemoveDataCheckBox), L"Daten entfernen");
    EXPECT_FALSE(Checked(form.RemoveDataCheckBox)) << "the user's data stays unless asked";
    EXPECT_EQ(ctl::GetText(form.RemoveButton), L"Entfernen");
    EXPECT_EQ(ctl::GetText(form.CancelButton), L"Abbrechen");
    for (HWND w : {form.QuestionLabel, form.RemoveDataCheckBox, form.RemoveDataInfoLabel, form.RemoveButton, form.CancelButton})
        EXPECT_TRUE(Shown(w));
    EXPECT_FALSE(Shown(form.ResultLabel));
    EXPECT_FALSE(Shown(form.FinishButton));
    EXPECT_EQ(::SendMessageW(form.Handle(), DM_GETDEFID, 0, 0), MAKELRESULT(idRemoveButton, DC_HASDEFID)) << "Enter removes";

    WriteFileBytes(setup.data + L"mine.qvbak", "mine");
    form.RemoveButtonClick();
    EXPECT_EQ(form.PageIndex, upFinished);
    EXPECT_EQ(ctl::GetText(form.ResultLabel), L"Die Deinstallation ist abgeschlossen");
    EXPECT_EQ(ctl::GetText(form.FinishButton), L"Fertigstellen");
    EXPECT_TRUE(Shown(form.ResultLabel) && Shown(form.FinishButton));
    EXPECT_FALSE(Shown(form.RemoveButton) || Shown(form.CancelButton) || Shown(form.RemoveDataCheckBox));
    EXPECT_EQ(form.ExitCode(), ueRemoved);
    EXPECT_FALSE(Utillity::DirExists(setup.program));
    EXPECT_TRUE(Utillity::FileExists(setup.data + L"mine.qvbak"));
    EXPECT_FALSE(RegKeyExists(HKEY_LOCAL_MACHINE, kUninstallKey));
    form.FinishButtonClick();
    EXPECT_TRUE(form.Closed());
}

TEST(UninstallWindow, RefusesWhileTheApplicationRunsAndRemovesOnRepeatOnceItIsClosed) {
    InstalledCopy setup(L"form-running");
    TVQUninstallForm form(L"en-US", setup.Found(), setup.Started());
    auto app = std::make_unique<StandIn>();
    ASSERT_NE(app->Window(), nullptr) << "the stand-in application shows no window";
    std::vector<DialogRequest> asked;
    // First Cancel; on the second Remove the user closes the application and presses Repeat.
    Utillity::SetDialogAnswerer([&](const DialogRequest& request) {
        asked.push_back(request);
        if (asked.size() == 1) return request.Buttons.at(1).Result;
        app.reset();
        return request.Buttons.at(0).Result;
    });
    form.RemoveButtonClick();
    ASSERT_EQ(asked.size(), 1u);
    EXPECT_EQ(asked[0].Caption, L"VESSA'S QUORIN 9.9");
    EXPECT_EQ(asked[0].Message, L"Please close Vessa's Quorin before removing it");
    ASSERT_EQ(asked[0].Buttons.size(), 2u);
    EXPECT_EQ(asked[0].Buttons[0].Caption, L"Repeat");
    EXPECT_EQ(asked[0].Buttons[1].Caption, L"Cancel");
    EXPECT_TRUE(asked[0].Buttons[0].IsDefault);
    EXPECT_TRUE(asked[0].Buttons[1].IsCancel);
    EXPECT_EQ(form.PageIndex, upQuestion);
    EXPECT_TRUE(Utillity::FileExists(setup.program + L"Bin\\VessasQuorin.Exe")) << "nothing goes while it runs";

    form.RemoveButtonClick();
    AnswerUnexpectedDialogs();
    EXPECT_EQ(asked.size(), 2u);
    EXPECT_EQ(form.PageIndex, upFinished);
    EXPECT_EQ(form.ExitCode(), ueRemoved);
    EXPECT_FALSE(Utillity::DirExists(setup.program));
}

TEST(UninstallWindow, CancelAndTheCloseBoxLeaveEverythingAndAnswerTwo) {
    InstalledCopy setup(L"form-cancel");
    for (const bool closeBox : {false, true}) {
        TVQUninstallForm form(L"en-US", setup.Found(), setup.Started());
        if (closeBox) ::SendMessageW(form.Handle(), WM_CLOSE, 0, 0);
        else form.CancelButtonClick();
        EXPECT_TRUE(form.Closed());
        EXPECT_EQ(form.ExitCode(), ueCancelled);
        EXPECT_TRUE(Utillity::FileExists(setup.program + kInstallRecordFileName));
        EXPECT_TRUE(RegKeyExists(HKEY_LOCAL_MACHINE, kUninstallKey));
    }
}

TEST(UninstallWindow, RemoveDataTickedSendsTheDataToTheRecycleBin) {
    wchar_t trash[MAX_PATH] = {};
    if (!::GetEnvironmentVariableW(L"XDG_DATA_HOME", trash, MAX_PATH)) GTEST_SKIP() << "the trash would be the runner's";
    InstalledCopy setup(L"form-data");
    TVQUninstallForm form(L"en-US", setup.Found(), setup.Started());
    WriteFileBytes(setup.data + L"mine.qvbak", "mine");
    ::SendMessageW(form.RemoveDataCheckBox, BM_SETCHECK, BST_CHECKED, 0);
    form.RemoveButtonClick();
    EXPECT_EQ(form.ExitCode(), ueRemoved);
    EXPECT_FALSE(Utillity::DirExists(setup.data));
}

TEST(UninstallWindow, TheLastPageSaysWhenNotEverythingWent) {
    InstalledCopy setup(L"form-partly");
    TVQUninstallForm form(L"fr-FR", setup.Found(), setup.Started());
    FileHandle held(::CreateFileW((setup.program + L"Bin\\VQCore.dll").c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                  OPEN_EXISTING, 0, nullptr));
    ASSERT_TRUE(held);
    form.RemoveButtonClick();
    EXPECT_EQ(ctl::GetText(form.ResultLabel), L"Tout n'a pas pu \u00eatre supprim\u00e9. Le journal d'installation indique ce qui reste.");
    EXPECT_EQ(form.ExitCode(), ueNotEverythingRemoved);
    EXPECT_TRUE(RegKeyExists(HKEY_LOCAL_MACHINE, kUninstallKey));
}

TEST(SilentUninstall, RefusesWhileTheApplicationRunsAndOtherwiseRemoves) {
    InstalledCopy setup(L"silent-running");
    {
        StandIn app;
        ASSERT_NE(app.Window(), nullptr);
        const UninstallOutcome refused = RemoveSilently(setup.Found(), setup.Started(), L"en-US");
        EXPECT_EQ(refused.ExitCode, ueApplicationRunning);
        EXPECT_FALSE(refused.InstallationGone);
        EXPECT_TRUE(Utillity::FileExists(setup.program + L"Bin\\VessasQuorin.Exe"));
    }
    const UninstallOutcome removed = RemoveSilently(setup.Found(), setup.Started(), L"en-US");
    EXPECT_EQ(removed.ExitCode, ueRemoved);
    EXPECT_TRUE(removed.InstallationGone);
    EXPECT_FALSE(Utillity::DirExists(setup.program));
}
