// The uninstaller's window: built in code with the system's message font, two pages on one frame,
// laid out at 96 DPI and scaled to the window's DPI, as the setup's form is.
#include "uninstall/UninstallForm.h"

#include <commctrl.h>

#include "engine/RunningCheck.h"
#include "services/Dpi.h"
#include "services/FormWindow.h"
#include "services/ScaledImages.h"
#include "services/UtillityUnit.h"
#include "services/VQError.h"
#include "texts/ErrorUnit.h"
#include "texts/LanguageUnit.h"
#include "uninstall/Uninstaller.h"

namespace {
constexpr wchar_t kFormClass[] = L"TVQUninstallForm";

// The client area and its grid: the icon at the left, the texts beside it, the buttons below.
constexpr int kClientWidth = 440;
constexpr int kClientHeight = 210;
constexpr int kMargin = 16;
constexpr int kTextLeft = 64;
constexpr int kTextWidth = kClientWidth - kTextLeft - kMargin;
constexpr int kButtonWidth = 90;
constexpr int kButtonHeight = 25;
constexpr int kButtonTop = kClientHeight - kMargin - kButtonHeight;

struct ControlLayout {
    int Id;
    const wchar_t* Class;
    DWORD Style;
    int Left, Top, Width, Height;
};
constexpr ControlLayout kLayout[] = {
    {idUninstallIcon, L"STATIC", SS_ICON, kMargin, kMargin, 32, 32},
    {idQuestionLabel, L"STATIC", SS_LEFT | SS_NOPREFIX, kTextLeft, kMargin, kTextWidth, 36},
    {idRemoveDataCheckBox, L"BUTTON", BS_AUTOCHECKBOX | WS_TABSTOP, kTextLeft, 60, kTextWidth, 20},
    {idRemoveDataInfoLabel, L"STATIC", SS_LEFT | SS_NOPREFIX, kTextLeft, 86, kTextWidth, 56},
    {idResultLabel, L"STATIC", SS_LEFT | SS_NOPREFIX, kTextLeft, kMargin, kTextWidth, 120},
    {idRemoveButton, L"BUTTON", BS_DEFPUSHBUTTON | WS_TABSTOP, kClientWidth - kMargin - 2 * kButtonWidth - 8, kButtonTop,
     kButtonWidth, kButtonHeight},
    {idUninstallCancelButton, L"BUTTON", BS_PUSHBUTTON | WS_TABSTOP, kClientWidth - kMargin - kButtonWidth, kButtonTop,
     kButtonWidth, kButtonHeight},
    {idFinishButton, L"BUTTON", BS_DEFPUSHBUTTON | WS_TABSTOP, kClientWidth - kMargin - kButtonWidth, kButtonTop,
     kButtonWidth, kButtonHeight},
};

// The control's place at dpi.
RECT PlaceOf(const ControlLayout& c, int dpi) {
    return Dpi::Scale(RECT{c.Left, c.Top, c.Left + c.Width, c.Top + c.Height}, dpi);
}

void SetVisible(HWND w, bool visible) { ::ShowWindow(w, visible ? SW_SHOWNA : SW_HIDE); }
}  // namespace

TVQUninstallForm::TVQUninstallForm(std::wstring language, Installation installation, std::wstring original)
    : Language_(std::move(language)), Installation_(std::move(installation)), Original_(std::move(original)) {
    INITCOMMONCONTROLSEX icc{sizeof(icc), ICC_STANDARD_CLASSES};
    ::InitCommonControlsEx(&icc);
    RegisterFormClass(kFormClass);
    const DWORD style = WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN;
    Handle_.reset(::CreateWindowExW(WS_EX_CONTROLPARENT | WS_EX_APPWINDOW, kFormClass, UninstallTitle().c_str(), style, 0,
                                    0, kClientWidth, kClientHeight, nullptr, nullptr, ::GetModuleHandleW(nullptr), nullptr));
    if (!Handle()) throw EVQError(L"Cannot create the uninstaller's window (error " + std::to_wstring(::GetLastError()) + L")");
    BuildOnFormWindow(Handle_, this, &TVQUninstallForm::WindowProc, [&] {
        CreateControls();
        ShowPage();
    });
}

TVQUninstallForm::~TVQUninstallForm() { ReleaseFormWindow(Handle_); }

void TVQUninstallForm::CreateControls() {
    Dpi_ = Dpi::OfWindow(Handle());
    for (const ControlLayout& c : kLayout) {
        const RECT place = PlaceOf(c, Dpi_);
        HWND control = ::CreateWindowExW(0, c.Class, L"", WS_CHILD | c.Style, place.left, place.top,
                                         place.right - place.left, place.bottom - place.top, Handle(),
                                         reinterpret_cast<HMENU>(static_cast<INT_PTR>(c.Id)), ::GetModuleHandleW(nullptr),
                                         nullptr);
        if (!control) throw EVQError(L"Cannot create the control " + std::to_wstring(c.Id) + L" of the uninstaller's window");
        switch (c.Id) {
            case idUninstallIcon: UninstallIcon = control; break;
            case idQuestionLabel: QuestionLabel = control; break;
            case idRemoveDataCheckBox: RemoveDataCheckBox = control; break;
            case idRemoveDataInfoLabel: RemoveDataInfoLabel = control; break;
            case idResultLabel: ResultLabel = control; break;
            case idRemoveButton: RemoveButton = control; break;
            case idUninstallCancelButton: CancelButton = control; break;
            case idFinishButton: FinishButton = control; break;
        }
    }
    ApplyScale();
    const auto text = [&](TextId id) { return Text(id, Language_); };
    ::SetWindowTextW(QuestionLabel, text(txConfirmRemoval).c_str());
    ::SetWindowTextW(RemoveDataCheckBox, text(txRemoveData).c_str());
    ::SetWindowTextW(RemoveDataInfoLabel, text(txRemoveDataInfo).c_str());
    ::SetWindowTextW(RemoveButton, text(txRemove).c_str());
    ::SetWindowTextW(CancelButton, text(txCancel).c_str());
    ::SetWindowTextW(FinishButton, text(txFinish).c_str());
    // The user's data stays unless the user asks otherwise.
    ::SendMessageW(RemoveDataCheckBox, BM_SETCHECK, BST_UNCHECKED, 0);
}

void TVQUninstallForm::ApplyScale() {
    // The new font reaches every control before the old one goes.
    const LOGFONTW message = Dpi::MessageFont(Dpi_);
    GdiObject font(::CreateFontIndirectW(&message));
    IconHandle icon = ScaledImages::LoadIconFor(::GetModuleHandleW(nullptr), L"MAINICON", Dpi::Scale(32, Dpi_));
    for (const ControlLayout& c : kLayout)
        ::SendMessageW(::GetDlgItem(Handle(), c.Id), WM_SETFONT, reinterpret_cast<WPARAM>(font.get()), TRUE);
    ::SendMessageW(UninstallIcon, STM_SETICON, reinterpret_cast<WPARAM>(icon.get()), 0);
    Font_ = std::move(font);
    Icon_ = std::move(icon);
}

void TVQUninstallForm::OnDpiChanged(int dpi, const RECT& suggested) {
    if (dpi <= 0) return;
    Dpi_ = dpi;
    ::SetWindowPos(Handle(), nullptr, suggested.left, suggested.top, suggested.right - suggested.left,
                   suggested.bottom - suggested.top, SWP_NOZORDER | SWP_NOACTIVATE);
    for (const ControlLayout& c : kLayout) {
        const RECT place = PlaceOf(c, dpi);
        ::SetWindowPos(::GetDlgItem(Handle(), c.Id), nullptr, place.left, place.top, place.right - place.left,
                       place.bottom - place.top, SWP_NOZORDER | SWP_NOACTIVATE);
    }
    ApplyScale();
    ::InvalidateRect(Handle(), nullptr, TRUE);
}

void TVQUninstallForm::ShowPage() {
    const bool question = PageIndex == upQuestion;
    for (HWND w : {QuestionLabel, RemoveDataCheckBox, RemoveDataInfoLabel, RemoveButton, CancelButton}) SetVisible(w, question);
    for (HWND w : {ResultLabel, FinishButton}) SetVisible(w, !question);
    SetVisible(UninstallIcon, true);
    if (!question && Removed_) {
        const auto text = [&](TextId id) { return Text(id, Language_); };
        std::wstring result = Result_.Failed.empty() ? text(txDeinstallationFinished) : text(txNotEverythingRemoved);
        if (Result_.DriveAbsent) result += L"\r\n\r\n" + text(txRemovableDiskAbsent);
        ::SetWindowTextW(ResultLabel, result.c_str());
    }
    ::SetFocus(question ? RemoveButton : FinishButton);
}

void TVQUninstallForm::Show() {
    if (!Handle()) return;
    const RECT frame = Dpi::FrameFor(RECT{0, 0, Dpi::Scale(kClientWidth, Dpi_), Dpi::Scale(kClientHeight, Dpi_)},
                                     static_cast<DWORD>(::GetWindowLongPtrW(Handle(), GWL_STYLE)),
                                     static_cast<DWORD>(::GetWindowLongPtrW(Handle(), GWL_EXSTYLE)), Dpi_);
    const int width = frame.right - frame.left, height = frame.bottom - frame.top;
    ::SetWindowPos(Handle(), nullptr, (::GetSystemMetrics(SM_CXSCREEN) - width) / 2,
                   (::GetSystemMetrics(SM_CYSCREEN) - height) / 2, width, height, SWP_NOZORDER);
    ::ShowWindow(Handle(), SW_SHOW);
    ::UpdateWindow(Handle());
    ::SetFocus(PageIndex == upQuestion ? RemoveButton : FinishButton);
}

int TVQUninstallForm::ExitCode() const { return Removed_ ? ExitCodeOf(Result_) : ueCancelled; }

void TVQUninstallForm::RemoveButtonClick() {
    Guarded([&] {
        if (Working_ || Removed_) return;
        // The same refusal as the setup's: nothing goes while the application runs.
        for (;;) {
            WriteLog(L"Check IsRunning");
            if (!IsApplicationRunning(Handle())) break;
            const int answer = Utillity::ShowDialog(UninstallTitle(), Text(txCloseBeforeRemoval, Language_),
                                                    DialogKind::Confirmation, ButtonSet({dbOK, dbCancel}),
                                                    {Text(txRepeat, Language_), Text(txCancel, Language_)},
                                                    {mrRetry, mrCancel});
            if (answer != mrRetry) {
                WriteLog(L"Cancelled: the application runs");
                return;
            }
        }
        Working_ = true;
        for (HWND w : {RemoveButton, CancelButton, RemoveDataCheckBox}) ::EnableWindow(w, FALSE);
        // The removal runs on this thread; the pointer says the window is busy meanwhile.
        const HCURSOR previous = ::SetCursor(::LoadCursorW(nullptr, IDC_WAIT));
        const bool removeData = ::SendMessageW(RemoveDataCheckBox, BM_GETCHECK, 0, 0) == BST_CHECKED;
        WriteLog(std::wstring(L"RemoveData=") + (removeData ? L"Y" : L"N"));
        try {
            Result_ = RemoveInstallation(Installation_.Record, OptionsFor(Installation_, Original_, removeData));
        } catch (...) {
            ::SetCursor(previous);
            Working_ = false;
            for (HWND w : {RemoveButton, CancelButton, RemoveDataCheckBox}) ::EnableWindow(w, TRUE);
            throw;
        }
        ::SetCursor(previous);
        Removed_ = true;
        Working_ = false;
        WriteLog(L"Finish");
        PageIndex = upFinished;
        ShowPage();
    });
}

void TVQUninstallForm::CancelButtonClick() {
    if (Working_) return;
    WriteLog(L"Cancelled by the user");
    Close();
}

void TVQUninstallForm::FinishButtonClick() { Close(); }

void TVQUninstallForm::Close() {
    if (!Handle()) return;
    const bool quit = QuitOnClose;
    const int code = ExitCode();
    ReleaseFormWindow(Handle_);
    if (quit) ::PostQuitMessage(code);
}

LRESULT CALLBACK TVQUninstallForm::WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    return CallbackGuard<LRESULT>(0, [&] {
        auto* form = reinterpret_cast<TVQUninstallForm*>(::GetWindowLongPtrW(window, GWLP_USERDATA));
        return form ? form->HandleMessage(window, message, wParam, lParam)
                    : ::DefWindowProcW(window, message, wParam, lParam);
    });
}

LRESULT TVQUninstallForm::HandleMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case DM_GETDEFID:
            // Enter presses the page's default button (the dialog manager asks through this).
            return MAKELRESULT(PageIndex == upQuestion ? idRemoveButton : idFinishButton, DC_HASDEFID);
        case WM_COMMAND: {
            const int id = LOWORD(wParam);
            if (HIWORD(wParam) != BN_CLICKED) break;
            if (id == idRemoveButton) RemoveButtonClick();
            else if (id == idFinishButton) FinishButtonClick();
            // Escape cancels on the question page and finishes on the last one.
            else if (id == idUninstallCancelButton || id == IDCANCEL)
                PageIndex == upQuestion ? CancelButtonClick() : FinishButtonClick();
            return 0;
        }
        case WM_DPICHANGED:
            OnDpiChanged(HIWORD(wParam), *reinterpret_cast<const RECT*>(lParam));
            return 0;
        case WM_CLOSE:
            if (!Working_) PageIndex == upQuestion ? CancelButtonClick() : FinishButtonClick();
            return 0;
    }
    return ::DefWindowProcW(window, message, wParam, lParam);
}
