#pragma once
// TVQSetupForm: the setup's one window. It makes the start-up decisions, walks the user through the
// eight wizard pages, keeps the choices as a SetupChoices value for the install run, and is the
// run's InstallView.
#include <windows.h>

#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "engine/InstallView.h"
#include "engine/SetupChoices.h"
#include "services/IEDriveInfo.h"
#include "wizard/DeferredCaption.h"
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

// How much of its pages the form fills before it is first shown.
enum class StartMode {
    // All of them: every page's contents are there when the constructor returns.
    Complete,
    // What the first page shows. The licence document and the drive list, most of the start's
    // time, are read the first time their page is shown; a missing licence document is still
    // reported when its language is chosen.
    FirstPageFirst,
};

class TVQSetupForm final : public InstallView {
public:
    // Creates the window hidden and runs FormCreate; Show() makes it visible.
    explicit TVQSetupForm(StartupArgs args, StartMode mode = StartMode::Complete);
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

    // ---- The user's choices and the start-up facts. The pages keep them here as they change;
    // the language, whether one is chosen, and the date format live in the language page's
    // controls, and ChoicesOfRun() adds them.
    SetupChoices Choices;
    SetupChoices ChoicesOfRun() const;

    // ---- The wizard's own state
    int PageIndex = 0;
    std::wstring DefaultProgramFolder;
    std::wstring DriveLetters;  // the letter of each entry of DriveComboBox, by position
    bool LanguageEventsEnabled = true;
    bool OptionEventsEnabled = false;
    std::wstring LanguageParameter;
    bool TimerInstallEnabled = false;
    // The answer of the last install run (Abort until a run has answered).
    int LastRunAnswer = mrAbort;
    // Runs the installation; tests replace it with a scripted one.
    std::function<int()> InstallRunner;
    // The process's exit code: 0 after a completed installation, otherwise the run's answer
    // (silent) or 2 for a setup left before it finished.
    int ExitCode() const;

    // ---- The install run's view of the form
    void EnableInputs(bool enabled) override;
    int ProgressPosition() const override;
    void SetProgressPosition(int percent) override;
    void SetProgressFile(const std::wstring& text) override;
    void ShowLabelProgress(bool visible) override;
    void SetLabelProgress(const std::wstring& text) override;
    int Ask(const std::wstring& caption, const std::wstring& message, DialogKind kind, unsigned buttons,
            const std::vector<std::wstring>& captions, const std::vector<int>& results) override;
    // The user confirmed leaving while a run was going on: the run stops at its next progress
    // report, and the form closes once it has returned.
    bool CancelRequested() const override { return CancelRequested_; }
    bool IsRunning() override;

    // ---- Start-up decisions
    FileLanguageMarker GetLanguage();
    bool GetIsHotfix();
    static wchar_t FirstLetter(const std::wstring& text);

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
    void ApplyLanguage(const std::wstring& code);
    void LoadLicence(const std::wstring& resourceName);
    // Reads what the page shows and FirstPageFirst left for it.
    void PreparePage(int page);
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

    // The DPI the form is laid out at: its window's when it was made, then each new monitor's.
    int LayoutDpi() const { return LayoutDpi_; }

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
    // The layout at LayoutDpi_: the window's size, and what is drawn for the scale (fonts,
    // pictures, icons, check boxes, the licence's margin).
    SIZE FrameSize() const;
    void ApplyScale();
    void SetLicenceMargin();
    // The window has moved to a monitor of another DPI (WM_DPICHANGED): every control moves to its
    // place at that DPI and the window takes the rectangle Windows suggests.
    void OnDpiChanged(int dpi, const RECT& suggested);
    // Moves a control to where model stands, at this DPI and after every change of it.
    void PlaceAt(HWND control, HWND model);
    void SetControlBackground(HWND control, COLORREF color);
    void SetControlTextColor(HWND control, COLORREF color);

    StartupArgs Args_;
    // StartMode::FirstPageFirst: the licence document waiting for its page, and whether the
    // drive list has been read.
    bool DeferPageContents_ = false;
    std::wstring PendingLicence_;
    bool DriveListRead_ = false;
    // The drives the removable-drive page offers, as read when it was filled.
    TDriveInfo DriveInfo_;
    WindowHandle Handle_;  // destroyed with the form, or by the window manager once closed
    std::vector<std::unique_ptr<TString>> LanguageCodes_;
    struct Fonts;
    std::unique_ptr<Fonts> Fonts_;
    struct Colors;
    std::unique_ptr<Colors> Colors_;
    std::vector<GdiObject> Pictures_;  // the bitmaps the form's pictures show
    TDeferredCaption LabelProgressCaption_, ProgressFileCaption_;
    int LayoutDpi_ = 96;
    IconHandle SmallIcon_, BigIcon_;
    // The list view's own check boxes, made for the session's DPI, while it shows ones drawn for
    // another.
    ImageListHandle SessionCheckBoxes_;
    std::vector<std::pair<HWND, HWND>> PlacedAt_;  // control, the control whose place it takes
};
