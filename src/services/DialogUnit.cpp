// Utillity's operations that talk to the user or write shell objects: the message dialog with
// caller-labelled buttons, the folder picker and the shell link writer.
#include <windows.h>
#include <shlobj.h>
#include <shobjidl.h>

#include <algorithm>

#include "services/Dpi.h"
#include "services/Handles.h"
#include "services/ScaledImages.h"
#include "services/UtillityUnit.h"
#include "services/VQError.h"
#include "texts/ErrorUnit.h"

namespace {
DialogAnswerer& AnswererSlot() {
    static DialogAnswerer answerer;
    return answerer;
}

Utillity::FolderBrowser& BrowserSlot() {
    static Utillity::FolderBrowser browser;
    return browser;
}

struct StandardButton {
    const wchar_t* Caption;
    int Result;
};
// Captions and results of the standard dialog's buttons, by member.
constexpr StandardButton kStandard[dbCount] = {
    {L"&Yes", mrYes},     {L"&No", mrNo},          {L"OK", mrOk},          {L"Cancel", mrCancel},
    {L"&Abort", mrAbort}, {L"&Retry", mrRetry},    {L"&Ignore", mrIgnore}, {L"&All", mrAll},
    {L"N&o to All", mrNoToAll}, {L"Yes to &All", mrYesToAll}, {L"&Help", mrHelp},
};

bool Has(unsigned set, DialogButtonKind k) { return (set & (1u << k)) != 0; }

DialogRequest BuildRequest(const std::wstring& caption, const std::wstring& message, DialogKind kind,
                           unsigned buttons, const std::vector<std::wstring>& captions,
                           const std::vector<int>& results) {
    DialogRequest request{caption, message, kind, {}};
    // The roles belong to the button kinds, whatever captions and results the caller gives.
    const DialogButtonKind defaultKind = Has(buttons, dbOK) ? dbOK : Has(buttons, dbYes) ? dbYes : dbRetry;
    const DialogButtonKind cancelKind = Has(buttons, dbCancel) ? dbCancel : Has(buttons, dbNo) ? dbNo : dbOK;
    for (int k = 0; k < dbCount; ++k) {
        const auto kind_k = static_cast<DialogButtonKind>(k);
        if (!Has(buttons, kind_k)) continue;
        request.Buttons.push_back({kind_k, kStandard[k].Caption, kStandard[k].Result, kind_k == defaultKind,
                                   kind_k == cancelKind});
    }
    const size_t relabelled = std::min({captions.size(), results.size(), request.Buttons.size()});
    for (size_t i = 0; i < relabelled; ++i) {
        request.Buttons[i].Caption = captions[i];
        request.Buttons[i].Result = results[i];
    }
    return request;
}

// --- the dialog window, laid out in code around the message's measured size

constexpr int kButtonIdBase = 100;

void DisableAutomaticDpiScaling(HWND dialog) {
    // Windows 10 1703 and later; the two flags are DDC_DISABLE_ALL.
    using SetBehavior = BOOL(WINAPI*)(HWND, DWORD, DWORD);
    HMODULE user32 = ::GetModuleHandleW(L"user32.dll");
    const auto set = user32 ? reinterpret_cast<SetBehavior>(reinterpret_cast<void*>(
                                  ::GetProcAddress(user32, "SetDialogDpiChangeBehavior")))
                            : nullptr;
    if (set) set(dialog, 0x0001, 0x0001);
}
constexpr int kTextId = 90;

struct DialogState {
    const DialogRequest* Request;
    // Made for the DPI the dialog is laid out at, and made again when it moves to another.
    GdiObject Font;
    IconHandle Icon;
    std::wstring Failure;  // what went wrong inside the dialog procedure, reported once it has ended
};

LPCWSTR IconOf(DialogKind kind) {
    switch (kind) {
        case DialogKind::Warning: return IDI_WARNING;
        case DialogKind::Error: return IDI_ERROR;
        case DialogKind::Information: return IDI_INFORMATION;
        case DialogKind::Confirmation: return IDI_QUESTION;
        case DialogKind::Custom: break;
    }
    return nullptr;
}

// Lays the dialog out at dpi around its measured text: centred on the work area of its monitor,
// or, when Windows has moved it to a monitor of another DPI, centred where Windows suggests.
void LayOut(HWND dialog, DialogState& state, int dpi, const RECT* suggested) {
    const DialogRequest& request = *state.Request;
    // Laid out again from nothing: the controls of the old DPI go first, then the font they used.
    for (HWND child = ::GetWindow(dialog, GW_CHILD); child; child = ::GetWindow(dialog, GW_CHILD))
        ::DestroyWindow(child);
    const LOGFONTW messageFont = Dpi::MessageFont(dpi);
    state.Font.reset(::CreateFontIndirectW(&messageFont));
    const auto font = static_cast<HFONT>(state.Font.get());

    TEXTMETRICW tm{};
    RECT textRect{};
    int unitX = 0, buttonWidth = 0;
    {
        const WindowDC dc(dialog);
        const SelectedObject selected(dc.get(), font);
        ::GetTextMetricsW(dc.get(), &tm);
        unitX = std::max<int>(tm.tmAveCharWidth, Dpi::Scale(5, dpi));
        textRect = RECT{0, 0, unitX * 60, 0};
        ::DrawTextW(dc.get(), request.Message.c_str(), static_cast<int>(request.Message.size()), &textRect,
                    DT_CALCRECT | DT_WORDBREAK | DT_NOPREFIX | DT_EXPANDTABS);
        buttonWidth = unitX * 12;
        for (const auto& b : request.Buttons) {
            SIZE size{};
            ::GetTextExtentPoint32W(dc.get(), b.Caption.c_str(), static_cast<int>(b.Caption.size()), &size);
            buttonWidth = std::max<int>(buttonWidth, size.cx + unitX * 3);
        }
    }
    const int unitY = tm.tmHeight;

    const int margin = unitX * 2;
    const LPCWSTR iconId = IconOf(request.Kind);
    const int iconSize = iconId ? Dpi::Metric(SM_CXICON, dpi) : 0;
    const int textLeft = margin + (iconId ? iconSize + margin : 0);
    const int textHeight = std::max<int>(textRect.bottom, iconSize);
    const int buttonHeight = unitY + Dpi::Scale(10, dpi);
    const int gap = unitX;
    const int buttonsWidth = static_cast<int>(request.Buttons.size()) * (buttonWidth + gap) - gap;
    const int clientWidth = std::max(textLeft + static_cast<int>(textRect.right) + margin, buttonsWidth + 2 * margin);
    const int buttonTop = margin + textHeight + margin;
    const int clientHeight = buttonTop + buttonHeight + margin;

    if (iconId) {
        // The system's icon drawn at this size, not the session's size stretched.
        state.Icon = ScaledImages::LoadIconFor(nullptr, iconId, iconSize);
        HWND icon = ::CreateWindowExW(0, L"STATIC", nullptr, WS_CHILD | WS_VISIBLE | SS_ICON | SS_REALSIZEIMAGE, margin,
                                      margin, iconSize, iconSize, dialog, nullptr, nullptr, nullptr);
        ::SendMessageW(icon, STM_SETICON, reinterpret_cast<WPARAM>(state.Icon.get()), 0);
    }
    HWND text = ::CreateWindowExW(0, L"STATIC", request.Message.c_str(), WS_CHILD | WS_VISIBLE | SS_NOPREFIX,
                                  textLeft, margin, textRect.right, textHeight, dialog,
                                  reinterpret_cast<HMENU>(static_cast<INT_PTR>(kTextId)), nullptr, nullptr);
    ::SendMessageW(text, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);

    int left = (clientWidth - buttonsWidth) / 2;
    HWND focus = nullptr;
    for (size_t i = 0; i < request.Buttons.size(); ++i) {
        const DialogButton& b = request.Buttons[i];
        const int id = kButtonIdBase + static_cast<int>(i);
        HWND button = ::CreateWindowExW(0, L"BUTTON", b.Caption.c_str(),
                                        WS_CHILD | WS_VISIBLE | WS_TABSTOP |
                                            (b.IsDefault ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON),
                                        left, buttonTop, buttonWidth, buttonHeight, dialog,
                                        reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), nullptr, nullptr);
        ::SendMessageW(button, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
        if (b.IsDefault) {
            ::SendMessageW(dialog, DM_SETDEFID, id, 0);
            focus = button;
        }
        left += buttonWidth + gap;
    }

    const RECT frame = Dpi::FrameFor(RECT{0, 0, clientWidth, clientHeight},
                                     static_cast<DWORD>(::GetWindowLongPtrW(dialog, GWL_STYLE)),
                                     static_cast<DWORD>(::GetWindowLongPtrW(dialog, GWL_EXSTYLE)), dpi);
    const int width = frame.right - frame.left, height = frame.bottom - frame.top;
    RECT around{};
    if (suggested) {
        around = *suggested;
    } else {
        MONITORINFO monitor{};
        monitor.cbSize = sizeof(monitor);
        if (::GetMonitorInfoW(::MonitorFromWindow(dialog, MONITOR_DEFAULTTONEAREST), &monitor)) {
            around = monitor.rcWork;
        } else {
            ::SystemParametersInfoW(SPI_GETWORKAREA, 0, &around, 0);
        }
    }
    ::SetWindowPos(dialog, HWND_TOP, around.left + (around.right - around.left - width) / 2,
                   around.top + (around.bottom - around.top - height) / 2, width, height, 0);
    if (focus) ::SetFocus(focus);
}

INT_PTR HandleDialogMessage(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* state = reinterpret_cast<DialogState*>(::GetWindowLongPtrW(dialog, DWLP_USER));
    switch (message) {
        case WM_INITDIALOG:
            state = reinterpret_cast<DialogState*>(lParam);
            ::SetWindowLongPtrW(dialog, DWLP_USER, lParam);
            ::SetWindowTextW(dialog, state->Request->Caption.c_str());
            // Windows 10 would otherwise scale the dialog's controls itself when it changes monitor,
            // on top of the layout made here for the new DPI.
            DisableAutomaticDpiScaling(dialog);
            LayOut(dialog, *state, Dpi::OfWindow(dialog), nullptr);
            ::MessageBeep(MB_OK);
            return FALSE;  // focus was set on the default button
        case WM_DPICHANGED:
            if (!state) return FALSE;
            LayOut(dialog, *state, HIWORD(wParam), reinterpret_cast<const RECT*>(lParam));
            ::InvalidateRect(dialog, nullptr, TRUE);
            return TRUE;
        case WM_COMMAND: {
            const int id = LOWORD(wParam);
            const auto& buttons = state->Request->Buttons;
            if (id >= kButtonIdBase && id < kButtonIdBase + static_cast<int>(buttons.size())) {
                ::EndDialog(dialog, buttons[id - kButtonIdBase].Result);
                return TRUE;
            }
            if (id == IDCANCEL) {  // Escape presses the button of the cancel role, if there is one
                for (const auto& b : buttons)
                    if (b.IsCancel) { ::EndDialog(dialog, b.Result); return TRUE; }
                return TRUE;
            }
            return FALSE;
        }
        case WM_CLOSE:  // the close box answers Cancel, as the standard dialog does
            ::EndDialog(dialog, mrCancel);
            return TRUE;
    }
    return FALSE;
}

INT_PTR CALLBACK DialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    try {
        return HandleDialogMessage(dialog, message, wParam, lParam);
    } catch (...) {
        // Nothing may unwind through the dialog manager: the dialog ends answering Cancel, as its
        // close box does, and the failure is reported once the dialog is gone.
        auto* state = message == WM_INITDIALOG ? reinterpret_cast<DialogState*>(lParam)
                                               : reinterpret_cast<DialogState*>(::GetWindowLongPtrW(dialog, DWLP_USER));
        if (state) {
            try {
                throw;
            } catch (const EVQError& error) {
                state->Failure = error.Message();
            } catch (const std::exception& error) {
                state->Failure = AsProjectError(error).Message();
            } catch (...) {
                state->Failure = L"Unexpected error in a dialog";
            }
        }
        ::EndDialog(dialog, mrCancel);
        return TRUE;
    }
}

int RunDialogWindow(const DialogRequest& request) {
    // An empty in-memory template: the controls are created and measured in WM_INITDIALOG.
    struct {
        DLGTEMPLATE Template;
        WORD Menu, Class, Title;
    } blank{};
    blank.Template.style = DS_MODALFRAME | WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_SETFOREGROUND;
    blank.Template.cx = 100;
    blank.Template.cy = 50;
    DialogState state{&request, {}, {}, {}};
    HWND owner = ::GetActiveWindow();
    const INT_PTR result = ::DialogBoxIndirectParamW(::GetModuleHandleW(nullptr), &blank.Template, owner,
                                                     DialogProc, reinterpret_cast<LPARAM>(&state));
    // The error report is itself such a dialog: one that fails the same way is not reported again.
    static bool reporting = false;
    if (!state.Failure.empty() && !reporting) {
        reporting = true;
        ReportError(EVQError(state.Failure), L"");
        reporting = false;
    }
    return result < 0 ? mrCancel : static_cast<int>(result);
}

int CALLBACK BrowseCallback(HWND dialog, UINT message, LPARAM parameter, LPARAM data) {
    // Only Win32 calls on fixed buffers below: nothing here can throw.
    if (message == BFFM_INITIALIZED) {
        ::SendMessageW(dialog, BFFM_SETSELECTIONW, TRUE, data);
    } else if (message == BFFM_SELCHANGED) {
        wchar_t path[MAX_PATH] = {};
        if (::SHGetPathFromIDListW(reinterpret_cast<LPCITEMIDLIST>(parameter), path))
            ::SendMessageW(dialog, BFFM_SETSTATUSTEXTW, 0, reinterpret_cast<LPARAM>(path));
    }
    return 0;
}
}  // namespace

void Utillity::SetDialogAnswerer(DialogAnswerer answerer) { AnswererSlot() = std::move(answerer); }

int Utillity::ShowDialog(const std::wstring& caption, const std::wstring& message, DialogKind kind,
                         unsigned buttons, const std::vector<std::wstring>& captions,
                         const std::vector<int>& results) {
    const DialogRequest request = BuildRequest(caption, message, kind, buttons, captions, results);
    if (AnswererSlot()) return AnswererSlot()(request);
    return RunDialogWindow(request);
}

void Utillity::SetFolderBrowser(FolderBrowser browser) { BrowserSlot() = std::move(browser); }

bool Utillity::BrowseForFolder(HWND owner, std::wstring& folder, const std::wstring& title,
                               const std::wstring& root) {
    if (BrowserSlot()) {
        std::wstring chosen = folder;
        if (!BrowserSlot()(title, chosen)) return false;
        folder = chosen;
        return true;
    }
    ComPtr<IMalloc> allocator;
    if (FAILED(::SHGetMalloc(allocator.put()))) return false;
    PidlHandle rootList;
    if (!root.empty()) {
        ComPtr<IShellFolder> desktop;
        if (SUCCEEDED(::SHGetDesktopFolder(desktop.put()))) {
            std::wstring parsed = root;
            LPITEMIDLIST raw = nullptr;
            // A root that does not parse leaves the whole namespace as the root.
            if (SUCCEEDED(desktop->ParseDisplayName(owner, nullptr, parsed.data(), nullptr, &raw, nullptr)))
                rootList.reset(raw);
        }
    }
    wchar_t displayName[MAX_PATH] = {};
    const std::wstring start = folder;
    BROWSEINFOW info{};
    info.hwndOwner = owner;
    info.pidlRoot = rootList.get();
    info.pszDisplayName = displayName;
    info.lpszTitle = title.c_str();
    info.ulFlags = BIF_EDITBOX | BIF_NEWDIALOGSTYLE | BIF_SHAREABLE;  // 32848
    info.lpfn = BrowseCallback;
    info.lParam = reinterpret_cast<LPARAM>(start.c_str());
    PidlHandle chosen(::SHBrowseForFolderW(&info));
    if (!chosen) return false;
    wchar_t path[MAX_PATH] = {};
    if (!::SHGetPathFromIDListW(chosen.get(), path)) return false;
    folder = path;
    return true;
}

bool Utillity::CreateShortcut(const std::wstring& target, const std::wstring& workingFolder,
                              const std::wstring& linkFile) {
    ComPtr<IShellLinkW> link;
    HRESULT hr = ::CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                                    link.put_void());
    if (FAILED(hr)) throw EVQError(L"Cannot create the shell link object (" + std::to_wstring(hr) + L")");
    ComPtr<IPersistFile> file;
    hr = link->QueryInterface(IID_IPersistFile, file.put_void());
    if (FAILED(hr)) throw EVQError(L"Cannot save shell links (" + std::to_wstring(hr) + L")");
    link->SetPath(target.c_str());
    link->SetWorkingDirectory(workingFolder.c_str());
    return SUCCEEDED(file->Save(linkFile.c_str(), FALSE));
}
