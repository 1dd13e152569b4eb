#pragma once
// TVQSetupForm: the setup's one window. It carries the user's choices (read by the install run),
// the start-up decisions, the eight wizard pages and their handlers.
#include <windows.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "engine/InstallHost.h"
#include "services/Handles.h"

// What the program was started with: its own path and the parameters after it.
struct StartupArgs {
    std::wstring ProgramPath;
    std::vector<std::wstring> Params;
    static StartupArgs FromProcess();
};

// The whole setup, from the form's creation to its close: shows the form, runs the message loop and
// answers the process's exit code. A window that cannot be made is reported and answers 3.
int RunSetup(StartupArgs args);

// The object each LanguageComboBox entry carries: the entry's locale code.
class TString {
public:
    explicit TString(std::wstring value) : Value(std::move(value)) {}
    const std::wstring Value;
};

// Every occurrence of one character replaced by another.
std::wstring ReplaceChar(const std::wstring& text, wchar_t from, wchar_t to);

// The folder with the product folder appended, unless it already names the product (in any case).
std::wstring AppendProductFolder(const std::wstring& folder);

// The setup's language for a system default language; English for any language it does not speak.
std::wstring LanguageOfSystem(LANGID language);

// One of the six locale codes, as the setup spells it, for a code given in any case; empty for a
// code the setup does not speak.
std::wstring CanonicalLanguageCode(const std::wstring& code);

// The program folder proper of a chosen folder, with a trailing backslash: a folder chosen inside
// an installation's Bin folder stands for that installation's folder.
std::wstring ProgramFolderOf(const std::wstring& folder);

// Control identifiers; handlers are dispatched by them.
enum ControlId : int {
    idNone = 0,
    idBackButton = 1001, idNextButton, idCancelButton, idResetFoldersButton, idInstallButton,
    idLanguageComboBox, idDateFormatComboBox, idOptionsComboBox, idOptionsListView, idDriveComboBox,
    idProgramFolderEdit, idDataFolderEdit, idSearchProgramFolderButton, idSearchDataFolderButton,
    idTermsAndConditionsRichEdit, idSumaryRichEdit, idProgressBar,
    idStatic = 1100,
};

// Page numbers as the wizard counts them.
enum Page : int {
    pgLanguage = 0, pgLicence, pgOptions, pgRemoveable, pgFolder, pgConfirm, pgProgress, pgFinish, pgCount
};

// The language a marker in the setup file's name fixes ("-DE.", "-EN.", "-FR.", "-ES.").
enum FileLanguageMarker : int { flNone = 0, flGerman, flEnglish, flFrench, flSpanish };

// The items of the components list, in the order the list shows them.
enum OptionItem : int { oiProgramFiles = 0, oiStartMenuEntry, oiDesktopLink, oiCheckUpdates, oiUseRemoveable, oiCount };

// The entries of the setup-type list.
enum SetupTypeEntry : int { stStandard = 0, stCustom };

// The form's client area, as its layout is made for: a 70-pixel banner, the page area, and the
// 41-pixel button row.
constexpr int kFormWidth = 500;
constexpr int kFormClientHeight = 357;

// The timer that starts a silent installation once the message loop runs.
constexpr UINT_PTR kTimerInstallId = 1;

class TVQSetupForm final : public InstallHost {
public:
    // Creates the window hidden and runs FormCreate; Show() makes it visible.
    explicit TVQSetupForm(StartupArgs args);
    ~TVQSetupForm() override;
    TVQSetupForm(const TVQSetupForm&) = delete;
    TVQSetupForm& operator=(const TVQSetupForm&) = delete;

    HWND Handle() const { return Handle_.get(); }
    void Show();
    // Asks the form to close, as Cancel and the close box do; true when it closed.
    bool Close();
    bool Closed() const { return !Handle_; }
    // The program body ends the message loop when the form closes; in-process tests do not.
    bool QuitOnClose = false;

    // ---- Form state
    int PageIndex = 0;
    std::wstring SetupFileName;
    bool IsTestMode = false;
    bool IsSilent = false;
    FileLanguageMarker FileLanguage = flNone;
    bool IsHotfix = false;
    bool MakeStartMenuEntry = true;
    bool MakeDesktopLink = true;
    bool CheckUpdates = true;
    bool UseRemoveable = false;
    std::wstring DefaultProgramFolder;
    std::wstring PublicFolder;
    std::wstring ProgramFolder;
    std::wstring DataFolder;
    std::wstring RemoveableProgramFolder;
    std::wstring RemoveableDataFolder;
    std::wstring DriveLetters;
    bool LanguageEventsEnabled = true;
    bool OptionEventsEnabled = false;
    std::wstring LanguageParameter;
    bool TimerInstallEnabled = false;
    // The answer of the last install run (3 until a run has answered).
    int LastRunAnswer = 3;
    // Runs the installation; tests replace it with a scripted one.
    std::function<int()> InstallRunner;
    // The user confirmed leaving while a run was going on: the run stops at its next progress
    // report, and the form closes once it has returned.
    bool CancelRequested() const override { return CancelRequested_; }

    // ---- What the install run reads and drives
    std::wstring SetupFile() const override { return SetupFileName; }
    bool Hotfix() const override { return IsHotfix; }
    bool Silent() const override { return IsSilent; }
    bool StartMenuEntry() const override { return MakeStartMenuEntry; }
    bool DesktopLink() const override { return MakeDesktopLink; }
    bool UpdateCheck() const override { return CheckUpdates; }
    bool Removeable() const override { return UseRemoveable; }
    std::wstring DateFormatText() const override;
    int LanguageIndex() const override;
    std::wstring DataFolderText() const override;
    std::wstring Public() const override { return PublicFolder; }
    std::wstring ProgramFolderField() const override { return ProgramFolder; }
    std::wstring DataFolderField() const override { return DataFolder; }
    std::wstring RemoveableProgramFolderField() const override { return RemoveableProgramFolder; }
    std::wstring RemoveableDataFolderField() const override { return RemoveableDataFolder; }
    void ShowLabelProgress(bool visible) override;
    void SetLabelProgress(const std::wstring& text) override;
    int ProgressPosition() const override;
    void SetProgressPosition(int percent) override;
    void SetProgressFile(const std::wstring& text) override;
    // The process's exit code: 0 after a completed installation, otherwise the run's answer
    // (silent) or 2 for a setup left before it finished.
    int ExitCode() const;

    // ---- Operations offered to the other parts
    bool IsRunning() override;
    FileLanguageMarker GetLanguage();
    bool GetIsHotfix() override;
    std::wstring GetProgramFolder(bool withBin) const override;
    std::wstring GetDataFolder() const override;
    std::wstring GetUninstallFolder() const override;
    std::wstring GetDesktopFolder() const override;
    std::wstring GetCommonDesktopFolder() const override;
    std::wstring GetStartMenuFolder() const override;
    void EnableInputs(bool enabled) override;
    static wchar_t FirstLetter(const std::wstring& text);
    void WriteLog(const std::wstring& text) override;

    // ---- Handlers
    void FormCreate();
    void TimerInstallTimer();
    void NextButtonClick();
    void BackButtonClick();
    void CancelButtonClick();
    bool FormCloseQuery();
    bool CanCloseSetup();
    void LanguageComboBoxChange();
    void ProgramFolderEditChange();
    void DataFolderEditChange();
    void OptionsListViewChange();
    void OptionsComboBoxChange();
    void DriveComboBoxChange();
    void SearchProgramFolderButtonClick();
    void SearchDataFolderButtonClick();
    void ResetFoldersButtonClick();

    // ---- Wizard operations filled in by the pages
    void ShowPage();
    std::wstring BuildSummary() const;
    void SelectLanguage(const std::wstring& code, const std::wstring& dateFormat);
    std::wstring GetDefaultLanguage();
    void FillLanguageList();
    // Position of the entry with this locale code in the list shown, or -1.
    int LanguagePosition(const std::wstring& code) const;
    void ApplyLanguage(const std::wstring& code);
    void LoadLicence(const std::wstring& resourceName);
    void ReadRegistry();
    void FillDriveList();

    // ---- Controls, by role and type
    HWND PanelTop{}, ImageTop{}, LabelHotfix{}, LabelUpdate{}, Image2{}, BorderTopImage{}, Image3{};
    HWND PageControl{};
    HWND TabSheetLanguage{}, TabSheetLicence{}, TabSheetOptions{}, TabSheetRemoveable{}, TabSheetFolder{},
        TabSheetConfirm{}, TabSheetProgress{}, TabSheetFinish{};
    HWND PanelButtons{}, BackButton{}, NextButton{}, CancelButton{}, ResetFoldersButton{};
    HWND SetupImagePanel{}, SetupImage{};
    HWND LanguagePanel{}, WellcomeLabel{}, WellcomeInfoLabel{}, SetupIconImage{}, LanguageInfoLabel{},
        LanguageLabel{}, LanguageComboBox{}, DateFormatLabel{}, DateFormatComboBox{};
    HWND LicenceLabel{}, LicenceTextLabel{}, TermsAndConditionsRichEdit{};
    HWND OptionsLabel{}, OptionsTextLabel{}, OptionsComboBox{}, OptionListPanel{}, OptionsListView{};
    HWND RemoveableLabel{}, RemoveableInfo1Label{}, DriveLabel{}, DriveComboBox{}, RemoveableInfo2Label{};
    HWND FolderLabel{}, FolderInfo1Label{}, ProgramFolderLabel{}, ProgramFolderEdit{}, SearchProgramFolderButton{},
        DataFolderLabel{}, DataFolderEdit{}, SearchDataFolderButton{}, FolderInfo2Label{};
    HWND ConfirmLabel{}, ConfirmInfoLabel{}, SumaryPanel{}, SumaryRichEdit{};
    HWND ProgressLabel{}, ProgressInfoLabel{}, ProgressFile1Label{}, ProgressBar{}, ProgressFile2Label{};
    HWND FinishLabel{}, FinishInfo1Label{}, Image1{}, FinishInfo3Label{};
    HWND HidePanel{}, Panel12{}, LabelProgress{}, InstallButton{};

    HWND TabSheet(int page) const;

    // Lets pending window messages run, so the form repaints during long work.
    static void ProcessMessages();

private:
    friend struct FormLayout;
    static LRESULT CALLBACK WindowProc(HWND, UINT, WPARAM, LPARAM);
    LRESULT HandleMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    // One install run, with the window kept alive (and a close request turned into a
    // cancellation) while it works.
    int Run();
    void CloseAfterCancel();
    bool RunActive_ = false;
    bool CancelRequested_ = false;
    void OnCommand(int id, int code);
    HBRUSH OnControlColor(HDC dc, HWND control);
    void CreateControls();
    void SetControlBackground(HWND control, COLORREF color);
    void SetControlTextColor(HWND control, COLORREF color);

    StartupArgs Args_;
    WindowHandle Handle_;  // destroyed with the form, or by the window manager once closed
    std::vector<std::unique_ptr<TString>> LanguageCodes_;
    struct Fonts;
    std::unique_ptr<Fonts> Fonts_;
    struct Colors;
    std::unique_ptr<Colors> Colors_;
    std::vector<GdiObject> Pictures_;  // the bitmaps the form's pictures show
};
