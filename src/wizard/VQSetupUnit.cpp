// The form's window: creation, message dispatch, colours and fonts, closing, the input lock.
#include "wizard/VQSetupUnit.h"
#include "wizard/FormResources.h"

#include <windows.h>
#include <commctrl.h>
#include <richedit.h>
#include <shellapi.h>

#include <unordered_map>
#include <utility>

#include "services/FormWindow.h"
#include "services/Handles.h"
#include "services/UtillityUnit.h"
#include "services/VQError.h"
#include "engine/InstallUnit.h"
#include "texts/ErrorUnit.h"
#include "wizard/Controls.h"

namespace {
constexpr wchar_t kFormClass[] = L"TVQSetupForm";
}  // namespace

struct TVQSetupForm::Colors {
    std::unordered_map<HWND, COLORREF> Background;
    std::unordered_map<HWND, COLORREF> Text;
    std::unordered_map<COLORREF, GdiObject> Brushes;
    HBRUSH BrushOf(COLORREF color) {
        auto& brush = Brushes[color];
        if (!brush) brush.reset(::CreateSolidBrush(color));
        return static_cast<HBRUSH>(brush.get());
    }
};

StartupArgs StartupArgs::FromProcess() {
    StartupArgs args;
    int count = 0;
    LPWSTR* argv = ::CommandLineToArgvW(::GetCommandLineW(), &count);
    const LocalMemory owned(argv);
    for (int i = 1; argv && i < count; ++i) args.Params.emplace_back(argv[i]);
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD n = ::GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (n < path.size()) { path.resize(n); break; }
        path.resize(path.size() * 2);
    }
    args.ProgramPath = path;
    return args;
}

int RunSetup(StartupArgs args) {
    return CallbackGuard<int>(mrAbort, [&] {
        std::unique_ptr<TVQSetupForm> form;
        try {
            form = std::make_unique<TVQSetupForm>(std::move(args), StartMode::FirstPageFirst);
        } catch (const EVQError& error) {
            // Without its window the setup can do nothing; it must not end as if it had installed.
            ReportError(error, L"");
            return static_cast<int>(mrAbort);
        }
        form->QuitOnClose = true;
        if (form->Closed()) return form->ExitCode();
        form->Show();
        return static_cast<int>(RunFormMessageLoop(*form));
    });
}

TVQSetupForm::TVQSetupForm(StartupArgs args, StartMode mode)
    : Args_(std::move(args)), DeferPageContents_(mode == StartMode::FirstPageFirst), Colors_(std::make_unique<Colors>()) {
    INITCOMMONCONTROLSEX icc{sizeof(icc), ICC_STANDARD_CLASSES | ICC_LISTVIEW_CLASSES | ICC_PROGRESS_CLASS |
                                              ICC_TAB_CLASSES};
    ::InitCommonControlsEx(&icc);
    RegisterFormClass(kFormClass);
    // Tool-window frame: a caption bar with only the close box.
    const DWORD style = WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN;
    const DWORD exStyle = WS_EX_TOOLWINDOW | WS_EX_CONTROLPARENT | WS_EX_APPWINDOW;
    Handle_.reset(::CreateWindowExW(exStyle, kFormClass, L"", style, 0, 0, kFormWidth, kFormClientHeight, nullptr, nullptr,
                                    ::GetModuleHandleW(nullptr), nullptr));
    if (!Handle())
        throw EVQError(L"Cannot create the setup window (error " + std::to_wstring(::GetLastError()) + L")");
    BuildOnFormWindow(Handle_, this, &TVQSetupForm::WindowProc, [&] {
        CreateControls();
        // Their captions change with every block and every file of a run; they are painted once
        // per percent.
        LabelProgressCaption_.Attach(LabelProgress);
        ProgressFileCaption_.Attach(ProgressFile2Label);
        FormCreate();
    });
}

TVQSetupForm::~TVQSetupForm() { ReleaseFormWindow(Handle_); }

void TVQSetupForm::Show() {
    if (!Handle()) return;
    // Centred on the screen, with the client area the layout was made for at the form's DPI.
    const SIZE frame = FrameSize();
    const int width = frame.cx, height = frame.cy;
    ::SetWindowPos(Handle(), nullptr, (::GetSystemMetrics(SM_CXSCREEN) - width) / 2,
                   (::GetSystemMetrics(SM_CYSCREEN) - height) / 2, width, height, SWP_NOZORDER);
    ::ShowWindow(Handle(), SW_SHOW);
    ::UpdateWindow(Handle());
}

bool TVQSetupForm::Close() {
    if (!Handle()) return true;
    ::SendMessageW(Handle(), WM_CLOSE, 0, 0);
    return !Handle_;
}

HWND TVQSetupForm::TabSheet(int page) const {
    const HWND sheets[pgCount] = {TabSheetLanguage, TabSheetLicence, TabSheetOptions, TabSheetRemoveable,
                                  TabSheetFolder,   TabSheetConfirm, TabSheetProgress, TabSheetFinish};
    return page >= 0 && page < pgCount ? sheets[page] : nullptr;
}

void TVQSetupForm::ProcessMessages() {
    MSG msg;
    while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_QUIT) {  // leave it for the main loop
            ::PostQuitMessage(static_cast<int>(msg.wParam));
            break;
        }
        ::TranslateMessage(&msg);
        ::DispatchMessageW(&msg);
    }
}


void TVQSetupForm::SetControlBackground(HWND control, COLORREF color) {
    Colors_->Background[control] = color;
    ::InvalidateRect(control, nullptr, TRUE);
}
void TVQSetupForm::SetControlTextColor(HWND control, COLORREF color) { Colors_->Text[control] = color; }

HBRUSH TVQSetupForm::OnControlColor(HDC dc, HWND control) {
    // A control takes its own colour, or else the colour of the panel it lies on.
    COLORREF background = ::GetSysColor(COLOR_BTNFACE);
    for (HWND w = control; w && w != Handle(); w = ::GetParent(w)) {
        auto it = Colors_->Background.find(w);
        if (it != Colors_->Background.end()) { background = it->second; break; }
    }
    auto text = Colors_->Text.find(control);
    ::SetTextColor(dc, text != Colors_->Text.end() ? text->second : ::GetSysColor(COLOR_WINDOWTEXT));
    ::SetBkColor(dc, background);
    return Colors_->BrushOf(background);
}

void TVQSetupForm::EnableInputs(bool enabled) {
    Guarded([&] {
        const COLORREF color = enabled ? RGB(255, 255, 255) : ::GetSysColor(COLOR_BTNFACE);
        const HWND colored[] = {ProgramFolderEdit, DataFolderEdit, DriveComboBox, LanguageComboBox, DateFormatComboBox};
        for (HWND w : colored) {
            ctl::SetEnabled(w, enabled);
            SetControlBackground(w, color);
        }
        ctl::SetEnabled(TermsAndConditionsRichEdit, enabled);
        ::SendMessageW(TermsAndConditionsRichEdit, EM_SETBKGNDCOLOR, 0, color);
        const HWND others[] = {DateFormatLabel,        DriveLabel,   ProgramFolderLabel, DataFolderLabel,
                               SearchProgramFolderButton, SearchDataFolderButton, CancelButton, InstallButton,
                               LanguageLabel,          LicenceLabel, TermsAndConditionsRichEdit};
        for (HWND w : others) ctl::SetEnabled(w, enabled);
        // What changed is repainted now, not the rest of the form and its pictures. Without a
        // window RedrawWindow would repaint the whole desktop.
        const auto redraw = [](HWND w) {
            if (w) ::RedrawWindow(w, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN | RDW_UPDATENOW);
        };
        for (HWND w : colored) redraw(w);
        for (HWND w : others) redraw(w);
        ProcessMessages();
    });
}

LRESULT CALLBACK TVQSetupForm::WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* form = reinterpret_cast<TVQSetupForm*>(::GetWindowLongPtrW(window, GWLP_USERDATA));
    if (!form) return ::DefWindowProcW(window, message, wParam, lParam);
    // The handlers without a guard of their own are reported here, as every other handler is,
    // instead of unwinding through the window manager.
    return CallbackGuard<LRESULT>(0, [&] { return form->HandleMessage(window, message, wParam, lParam); });
}

LRESULT TVQSetupForm::HandleMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_COMMAND:
            OnCommand(LOWORD(wParam), HIWORD(wParam));
            return 0;
        case WM_CTLCOLORSTATIC:
        case WM_CTLCOLOREDIT:
        case WM_CTLCOLORLISTBOX:
        case WM_CTLCOLORBTN:
            return reinterpret_cast<LRESULT>(OnControlColor(reinterpret_cast<HDC>(wParam), reinterpret_cast<HWND>(lParam)));
        case WM_NOTIFY: {
            const auto* header = reinterpret_cast<const NMHDR*>(lParam);
            if (header->idFrom == idOptionsListView && header->code == LVN_ITEMCHANGED) OptionsListViewChange();
            return 0;
        }
        case WM_TIMER:
            if (wParam == kTimerInstallId) TimerInstallTimer();
            return 0;
        case WM_DPICHANGED:
            OnDpiChanged(HIWORD(wParam), *reinterpret_cast<const RECT*>(lParam));
            return 0;
        case WM_CLOSE:
            // During a run the window must outlive the run that is still on the stack: a granted
            // request cancels the run, and the window closes once the run has returned.
            if (RunActive_) {
                if (!CancelRequested_ && FormCloseQuery()) CancelRequested_ = true;
            } else if (FormCloseQuery()) {
                ::DestroyWindow(window);
            }
            return 0;
        case WM_DESTROY: {
            // The window is gone already; the owner must not destroy it again.
            Handle_.release();
            if (QuitOnClose) ::PostQuitMessage(ExitCode());
            return 0;
        }
    }
    return ::DefWindowProcW(window, message, wParam, lParam);
}

void TVQSetupForm::OnCommand(int id, int code) {
    switch (id) {
        case idNextButton: if (code == BN_CLICKED) NextButtonClick(); break;
        case idBackButton: if (code == BN_CLICKED) BackButtonClick(); break;
        case idCancelButton: if (code == BN_CLICKED) CancelButtonClick(); break;
        case idLanguageComboBox:
        case idDateFormatComboBox: if (code == CBN_SELCHANGE) LanguageComboBoxChange(); break;
        case idOptionsComboBox: if (code == CBN_SELCHANGE) OptionsComboBoxChange(); break;
        case idDriveComboBox: if (code == CBN_SELCHANGE) DriveComboBoxChange(); break;
        case idSearchProgramFolderButton: if (code == BN_CLICKED) SearchProgramFolderButtonClick(); break;
        case idSearchDataFolderButton: if (code == BN_CLICKED) SearchDataFolderButtonClick(); break;
        case idResetFoldersButton: if (code == BN_CLICKED) ResetFoldersButtonClick(); break;
        case idProgramFolderEdit: if (code == EN_CHANGE) ProgramFolderEditChange(); break;
        case idDataFolderEdit: if (code == EN_CHANGE) DataFolderEditChange(); break;
        default: break;
    }
}

// ---- Wizard operations whose pages come later: each does the least that keeps the setup running.

void TVQSetupForm::TimerInstallTimer() {
    ::KillTimer(Handle(), kTimerInstallId);
    TimerInstallEnabled = false;
    LastRunAnswer = Run();
    Close();
}

int TVQSetupForm::Run() {
    // Cleared on every way out: after a run that failed the close box must close again.
    struct Active {
        bool& Flag;
        explicit Active(bool& flag) : Flag(flag) { Flag = true; }
        ~Active() { Flag = false; }
    } active(RunActive_);
    return InstallRunner ? InstallRunner() : RunInstallation(ChoicesOfRun(), *this);
}

void TVQSetupForm::CloseAfterCancel() {
    // The user has already answered the exit question; it is not asked a second time.
    Handle_.reset();
}

int TVQSetupForm::ExitCode() const {
    if (Choices.IsSilent) return LastRunAnswer == mrOk ? 0 : LastRunAnswer;
    return LastRunAnswer == mrOk && PageIndex == pgFinish ? 0 : mrCancel;
}

// ---- The install run's view of the form

SetupChoices TVQSetupForm::ChoicesOfRun() const {
    SetupChoices choices = Choices;
    choices.LanguageChosen = ctl::ComboIndex(LanguageComboBox) >= 0;
    const int dateFormat = ctl::ComboIndex(DateFormatComboBox);
    choices.DateFormat = dateFormat >= 0 ? ctl::ComboItemText(DateFormatComboBox, dateFormat) : L"";
    return choices;
}

int TVQSetupForm::Ask(const std::wstring& caption, const std::wstring& message, DialogKind kind, unsigned buttons,
                      const std::vector<std::wstring>& captions, const std::vector<int>& results) {
    return Utillity::ShowDialog(caption, message, kind, buttons, captions, results);
}
void TVQSetupForm::ShowLabelProgress(bool visible) {
    // At the run's end the captions show what its last report said.
    for (TDeferredCaption* caption : {&LabelProgressCaption_, &ProgressFileCaption_}) caption->Flush();
    ctl::SetVisible(LabelProgress, visible);
}

void TVQSetupForm::SetLabelProgress(const std::wstring& text) {
    LabelProgressCaption_.Set(text);
}
int TVQSetupForm::ProgressPosition() const { return static_cast<int>(::SendMessageW(ProgressBar, PBM_GETPOS, 0, 0)); }
void TVQSetupForm::SetProgressPosition(int percent) {
    ::SendMessageW(ProgressBar, PBM_SETPOS, static_cast<WPARAM>(percent), 0);
    // What changed since the last percent: the bar and the captions of the file and the amounts;
    // the rest of the form and its pictures are left alone.
    for (TDeferredCaption* caption : {&LabelProgressCaption_, &ProgressFileCaption_}) caption->Flush();
    for (HWND w : {ProgressBar, ProgressFile2Label, LabelProgress}) ::UpdateWindow(w);
    ProcessMessages();
}
void TVQSetupForm::SetProgressFile(const std::wstring& text) {
    ProgressFileCaption_.Set(text);
}

