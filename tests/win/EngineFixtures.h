#pragma once
// What the engine's tests hand the install run instead of a wizard: the choices of an installation
// into folders of the test's own, the shell's folders below a scratch folder, and a small view
// that records what the run shows and answers its questions through the dialog seam.
#include <shlobj.h>

#include <string>
#include <vector>

#include "engine/Folders.h"
#include "engine/InstallView.h"
#include "engine/SetupChoices.h"
#include "services/UtillityUnit.h"
#include "texts/Languages.h"

namespace testsupport {

// The choices of a setup started with the three-parameter command line "language program data",
// as the wizard hands them to the run: the language chosen, the date format's first entry.
inline SetupChoices ChoicesFor(const std::wstring& program, const std::wstring& data,
                               const std::wstring& language = L"de-CH",
                               const std::wstring& setupFile = L"C:\\x\\VQSetup.exe") {
    SetupChoices choices;
    choices.Language = language;
    choices.LanguageChosen = true;
    choices.FileLanguage = FileLanguageOf(setupFile);
    choices.DateFormat = L"DD/MM/YY";
    choices.ProgramFolder = program;
    choices.DataFolder = data;
    choices.PublicFolder = PublicFolderOf(Utillity::GetSpecialFolder(nullptr, CSIDL_COMMON_DESKTOPDIRECTORY));
    choices.SetupFileName = setupFile;
    choices.IsHotfix = IsHotfixFileName(setupFile);
    return choices;
}

// The desktops, the start-menu folder and the machine's application data below a folder of the
// test's own, so that no test touches the links another test program installs at the same time.
inline ShellFolders ShellBelow(const std::wstring& folder) {
    ShellFolders shell{folder + L"UserDesktop\\", folder + L"PublicDesktop\\",
                       folder + L"Menu\\Programs\\Vessas Quorin\\", folder + L"ProgramData\\"};
    Utillity::MakeFolderPath(shell.Desktop);
    Utillity::MakeFolderPath(shell.CommonDesktop);
    return shell;
}

// The run's window, as a test sees it.
class FakeView final : public InstallView {
public:
    std::vector<int> Percents;          // every position the bar was set to
    std::vector<std::wstring> Files;    // every file the run said it places
    std::wstring Label;                 // the hidden label's last text
    bool LabelShown = false;
    std::vector<bool> InputsEnabled;    // every change of the input lock
    bool Running = false;               // what the running-instance probe answers
    int CancelAtPercent = -1;           // the user asks to leave once the bar reaches this

    void EnableInputs(bool enabled) override { InputsEnabled.push_back(enabled); }
    int ProgressPosition() const override { return Percents.empty() ? 0 : Percents.back(); }
    void SetProgressPosition(int percent) override {
        Percents.push_back(percent);
        if (CancelAtPercent >= 0 && percent >= CancelAtPercent) cancel_ = true;
    }
    void SetProgressFile(const std::wstring& text) override { Files.push_back(text); }
    void ShowLabelProgress(bool visible) override { LabelShown = visible; }
    void SetLabelProgress(const std::wstring& text) override { Label = text; }
    // Answered where every dialog of a test is: through the dialog seam (DialogRecorder).
    int Ask(const std::wstring& caption, const std::wstring& message, DialogKind kind, unsigned buttons,
            const std::vector<std::wstring>& captions, const std::vector<int>& results) override {
        return Utillity::ShowDialog(caption, message, kind, buttons, captions, results);
    }
    bool CancelRequested() const override { return cancel_; }
    bool IsRunning() override { return Running; }

private:
    bool cancel_ = false;
};

}  // namespace testsupport
