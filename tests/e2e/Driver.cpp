#include "Driver.h"

#include "ScreenCapture.h"

#include <commctrl.h>

#include "wizard/VQSetupUnit.h"

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cwchar>

namespace e2e {
namespace {

constexpr DWORD kPollMs = 50;
// A message to the setup's thread is answered within this time unless a modal loop of the setup
// is busy in the handler it started; the message is then handled later and the caller goes on.
constexpr UINT kSendTimeoutMs = 3000;
constexpr int kDialogTextId = 90;
constexpr int kDialogButtonBase = 100;

// VQ_E2E_TRACE=1 prints every step of the driver with the milliseconds since the program started,
// for finding where a scenario spends its time.
void Trace(const std::string& step) {
    static const bool on = [] {
        wchar_t value[8] = {};
        return ::GetEnvironmentVariableW(L"VQ_E2E_TRACE", value, 8) > 0 && value[0] == L'1';
    }();
    static const DWORD start = ::GetTickCount();
    if (on) std::fprintf(stderr, "[e2e %6lu ms] %s\n", static_cast<unsigned long>(::GetTickCount() - start), step.c_str());
}

std::wstring ClassOf(HWND window) {
    wchar_t name[128] = {};
    ::GetClassNameW(window, name, 128);
    return name;
}

DWORD ProcessOf(HWND window) {
    DWORD pid = 0;
    ::GetWindowThreadProcessId(window, &pid);
    return pid;
}

std::vector<HWND> TopLevelWindows() {
    std::vector<HWND> windows;
    ::EnumWindows(
        [](HWND w, LPARAM list) {
            reinterpret_cast<std::vector<HWND>*>(list)->push_back(w);
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&windows));
    return windows;
}

LRESULT Send(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    DWORD_PTR result = 0;
    if (!::SendMessageTimeoutW(window, message, wParam, lParam, SMTO_NORMAL, kSendTimeoutMs, &result)) return 0;
    return static_cast<LRESULT>(result);
}

// Through WM_GETTEXT: an edit keeps its text to itself, so the caption the system holds for a
// window of another process is not enough.
std::wstring WindowText(HWND window) {
    const auto length = Send(window, WM_GETTEXTLENGTH, 0, 0);
    std::wstring text(static_cast<size_t>(length) + 1, L'\0');
    const auto got = Send(window, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()));
    text.resize(static_cast<size_t>(std::max<LRESULT>(0, std::min<LRESULT>(got, length))));
    return text;
}

HWND FindDescendant(HWND parent, int id) {
    struct Search {
        int Id;
        HWND Found;
    } search{id, nullptr};
    ::EnumChildWindows(
        parent,
        [](HWND w, LPARAM p) {
            auto* s = reinterpret_cast<Search*>(p);
            if (::GetDlgCtrlID(w) != s->Id) return TRUE;
            s->Found = w;
            return FALSE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.Found;
}

std::wstring Lower(std::wstring text) {
    ::CharLowerBuffW(text.data(), static_cast<DWORD>(text.size()));
    return text;
}

std::vector<HWND> Children(HWND parent) {
    std::vector<HWND> children;
    for (HWND w = ::GetWindow(parent, GW_CHILD); w; w = ::GetWindow(w, GW_HWNDNEXT)) children.push_back(w);
    return children;
}

}  // namespace

std::string Narrow(const std::wstring& text) {
    if (text.empty()) return {};
    const int n = ::WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0,
                                        nullptr, nullptr);
    std::string out(static_cast<size_t>(n), '\0');
    ::WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), out.data(), n, nullptr, nullptr);
    return out;
}

std::wstring ModuleFolder() {
    wchar_t path[MAX_PATH] = {};
    ::GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring folder = path;
    return folder.substr(0, folder.find_last_of(L'\\') + 1);
}

std::wstring ArtifactsFolder() {
    const std::wstring folder = ModuleFolder() + L"e2e-artifacts\\";
    ::CreateDirectoryW(folder.c_str(), nullptr);
    return folder;
}

bool SaveScreen(const std::wstring& path) {
    const RECT screen{0, 0, ::GetSystemMetrics(SM_CXSCREEN), ::GetSystemMetrics(SM_CYSCREEN)};
    return testsupport::SaveScreenArea(screen, path);
}

namespace {
std::wstring NameOf(const std::wstring& entry) { return Lower(entry.substr(0, entry.find(L'=', 1))); }

// This program's environment with the given entries put in place of those of the same name.
std::wstring EnvironmentBlock(const std::vector<std::wstring>& overrides) {
    std::vector<std::wstring> entries;
    if (wchar_t* strings = ::GetEnvironmentStringsW()) {
        for (const wchar_t* p = strings; *p; p += wcslen(p) + 1) entries.emplace_back(p);
        ::FreeEnvironmentStringsW(strings);
    }
    for (const auto& entry : overrides) {
        entries.erase(std::remove_if(entries.begin(), entries.end(),
                                     [&](const std::wstring& e) { return NameOf(e) == NameOf(entry); }),
                      entries.end());
        entries.push_back(entry);
    }
    std::wstring block;
    for (const auto& e : entries) block += e + L'\0';
    return block + L'\0';
}
}  // namespace

SetupProcess::SetupProcess(const std::wstring& exe, const std::wstring& arguments, std::wstring name,
                           const std::vector<std::wstring>& environment)
    : name_(std::move(name)) {
    std::wstring commandLine = L"\"" + exe + L"\"";
    if (!arguments.empty()) commandLine += L" " + arguments;
    const std::wstring folder = exe.substr(0, exe.find_last_of(L'\\') + 1);
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION info{};
    std::wstring block = environment.empty() ? std::wstring() : EnvironmentBlock(environment);
    if (!::CreateProcessW(exe.c_str(), commandLine.data(), nullptr, nullptr, FALSE, CREATE_UNICODE_ENVIRONMENT,
                          block.empty() ? nullptr : block.data(), folder.c_str(), &startup, &info))
        throw ScenarioError("cannot start " + Narrow(commandLine) + ": error " + std::to_string(::GetLastError()));
    Trace("start " + Narrow(commandLine));
    ::CloseHandle(info.hThread);
    process_ = info.hProcess;
    id_ = info.dwProcessId;
}

SetupProcess::SetupProcess(DWORD processId, std::wstring name, std::wstring windowClass)
    : name_(std::move(name)), windowClass_(std::move(windowClass)) {
    process_ = ::OpenProcess(PROCESS_TERMINATE | PROCESS_QUERY_INFORMATION | PROCESS_VM_OPERATION | PROCESS_VM_WRITE |
                                 SYNCHRONIZE,
                             FALSE, processId);
    if (!process_) throw ScenarioError("cannot attach to process " + std::to_string(processId));
    id_ = processId;
    Trace("attach " + std::to_string(processId));
}

SetupProcess::~SetupProcess() {
    if (Running()) {
        ::TerminateProcess(process_, 99);
        ::WaitForSingleObject(process_, 5000);
    }
    ::CloseHandle(process_);
}

bool SetupProcess::Running() const { return ::WaitForSingleObject(process_, 0) == WAIT_TIMEOUT; }

HWND SetupProcess::Window(DWORD timeoutMs) {
    if (window_ && ::IsWindow(window_)) return window_;
    WaitUntil(
        [&] {
            for (HWND w : TopLevelWindows())
                if (ProcessOf(w) == id_ && ClassOf(w) == windowClass_ && ::IsWindowVisible(w)) {
                    window_ = w;
                    return true;
                }
            return false;
        },
        timeoutMs, "the setup's window");
    return window_;
}

std::wstring SetupProcess::Caption() { return WindowText(Window()); }

HWND SetupProcess::Control(int id) {
    HWND control = FindDescendant(Window(), id);
    if (!control) Fail("no control with id " + std::to_string(id));
    return control;
}

std::wstring SetupProcess::Text(int id) { return WindowText(Control(id)); }
bool SetupProcess::Visible(int id) { return ::IsWindowVisible(Control(id)) != FALSE; }
bool SetupProcess::Enabled(int id) { return ::IsWindowEnabled(Control(id)) != FALSE; }

int SetupProcess::PageOf(HWND control) {
    const auto at = std::find(tabSheets_.begin(), tabSheets_.end(), ::GetParent(control));
    return at == tabSheets_.end() ? -1 : static_cast<int>(at - tabSheets_.begin());
}

int SetupProcess::Page() {
    if (tabSheets_.empty()) {
        // The page control's children are the eight pages; the pages holding the options list
        // and the progress bar tell in which order the window list gives them.
        HWND progressPage = ::GetParent(Control(idProgressBar));
        tabSheets_ = Children(::GetParent(progressPage));
        if (tabSheets_.size() != 8) {
            const size_t found = tabSheets_.size();
            tabSheets_.clear();
            Fail("the page control holds " + std::to_string(found) + " windows, not 8 pages");
        }
        if (PageOf(Control(idOptionsComboBox)) > PageOf(Control(idProgressBar))) std::reverse(tabSheets_.begin(), tabSheets_.end());
        if (PageOf(Control(idProgressBar)) != 6) {
            tabSheets_.clear();
            Fail("the pages are not in the wizard's order");
        }
    }
    for (size_t i = 0; i < tabSheets_.size(); ++i)
        if (::IsWindowVisible(tabSheets_[i])) return static_cast<int>(i);
    return -1;
}

void SetupProcess::WaitPage(int page, DWORD timeoutMs) {
    WaitUntil([&] { return Page() == page; }, timeoutMs, "page " + std::to_string(page));
}

void SetupProcess::Click(int id) {
    HWND button = Control(id);
    if (!::IsWindowVisible(button) || !::IsWindowEnabled(button))
        Fail("button " + std::to_string(id) + " (" + Narrow(WindowText(button)) + ") cannot be clicked");
    Trace("click " + std::to_string(id));
    // Posted: the click may open a modal dialog, which would keep a sent message from returning.
    ::PostMessageW(button, BM_CLICK, 0, 0);
}

std::vector<std::wstring> SetupProcess::ComboItems(int id) {
    HWND combo = Control(id);
    std::vector<std::wstring> items;
    const auto count = Send(combo, CB_GETCOUNT, 0, 0);
    for (LRESULT i = 0; i < count; ++i) {
        const auto length = Send(combo, CB_GETLBTEXTLEN, static_cast<WPARAM>(i), 0);
        std::wstring text(static_cast<size_t>(std::max<LRESULT>(length, 0)) + 1, L'\0');
        Send(combo, CB_GETLBTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(text.data()));
        text.resize(static_cast<size_t>(std::max<LRESULT>(length, 0)));
        items.push_back(text);
    }
    return items;
}

int SetupProcess::ComboSelection(int id) { return static_cast<int>(Send(Control(id), CB_GETCURSEL, 0, 0)); }

void SetupProcess::SelectCombo(int id, int index) {
    HWND combo = Control(id);
    Send(combo, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
    // A program changing the selection gets no notification; a person's choice does, and it goes
    // to the combo box's parent, which hands it on to the form.
    Send(::GetParent(combo), WM_COMMAND, MAKEWPARAM(id, CBN_SELCHANGE), reinterpret_cast<LPARAM>(combo));
}

void SetupProcess::SelectComboText(int id, const std::wstring& text) {
    const auto items = ComboItems(id);
    const auto at = std::find(items.begin(), items.end(), text);
    if (at == items.end()) Fail("combo box " + std::to_string(id) + " has no entry " + Narrow(text));
    SelectCombo(id, static_cast<int>(at - items.begin()));
}

void SetupProcess::TypeText(int id, const std::wstring& text) {
    // The edit tells its parent of the change itself (EN_CHANGE), as after typing.
    Send(Control(id), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
}

bool SetupProcess::Checked(int listViewId, int item) {
    const auto state = Send(Control(listViewId), LVM_GETITEMSTATE, static_cast<WPARAM>(item), LVIS_STATEIMAGEMASK);
    return ((static_cast<UINT>(state) & LVIS_STATEIMAGEMASK) >> 12) == 2;
}

void SetupProcess::SetChecked(int listViewId, int item, bool checked) {
    HWND list = Control(listViewId);
    // The item record must lie in the setup's memory for the list view to read it.
    LVITEMW record{};
    record.stateMask = LVIS_STATEIMAGEMASK;
    record.state = INDEXTOSTATEIMAGEMASK(checked ? 2 : 1);
    void* remote = ::VirtualAllocEx(process_, nullptr, sizeof(record), MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
    if (!remote) Fail("no memory in the setup for a list-view item");
    SIZE_T written = 0;
    ::WriteProcessMemory(process_, remote, &record, sizeof(record), &written);
    Send(list, LVM_SETITEMSTATE, static_cast<WPARAM>(item), reinterpret_cast<LPARAM>(remote));
    ::VirtualFreeEx(process_, remote, 0, MEM_RELEASE);
}

void SetupProcess::CloseBox() { ::PostMessageW(Window(), WM_SYSCOMMAND, SC_CLOSE, 0); }

int SetupProcess::ProgressPosition() { return static_cast<int>(Send(Control(idProgressBar), PBM_GETPOS, 0, 0)); }

std::vector<HWND> SetupProcess::Dialogs() const {
    std::vector<HWND> dialogs;
    for (HWND w : TopLevelWindows())
        if (ProcessOf(w) == id_ && ClassOf(w) == L"#32770" && ::IsWindowVisible(w)) dialogs.push_back(w);
    return dialogs;
}

Dialog SetupProcess::Read(HWND window) const {
    Dialog dialog;
    dialog.Window = window;
    dialog.Caption = WindowText(window);
    if (HWND text = ::GetDlgItem(window, kDialogTextId)) dialog.Text = WindowText(text);
    for (int id = kDialogButtonBase;; ++id) {
        HWND button = ::GetDlgItem(window, id);
        if (!button) break;
        dialog.Buttons.push_back(WindowText(button));
    }
    return dialog;
}

Dialog SetupProcess::WaitDialog(DWORD timeoutMs) {
    const DWORD start = ::GetTickCount();
    for (;;) {
        for (HWND w : Dialogs()) {
            // Its controls are made while it is created; a dialog without buttons is not ready yet.
            if (::GetDlgItem(w, kDialogButtonBase)) {
                Dialog dialog = Read(w);
                Trace("dialog \"" + Narrow(dialog.Caption) + "\"");
                return dialog;
            }
        }
        if (!Running()) {
            DWORD code = 0;
            ::GetExitCodeProcess(process_, &code);
            throw ScenarioError("the setup ended (exit code " + std::to_string(code) + ") while a dialog was awaited");
        }
        if (::GetTickCount() - start > timeoutMs) Fail("no dialog appeared");
        ::Sleep(kPollMs);
    }
}

void SetupProcess::Answer(const Dialog& dialog, size_t button) {
    HWND control = ::GetDlgItem(dialog.Window, kDialogButtonBase + static_cast<int>(button));
    if (!control) Fail("the dialog \"" + Narrow(dialog.Text) + "\" has no button " + std::to_string(button));
    Trace("answer " + std::to_string(button));
    ::PostMessageW(control, BM_CLICK, 0, 0);
    const DWORD start = ::GetTickCount();
    while (::IsWindow(dialog.Window) && ::IsWindowVisible(dialog.Window)) {
        if (::GetTickCount() - start > 10000) Fail("the dialog \"" + Narrow(dialog.Text) + "\" stays open");
        ::Sleep(kPollMs);
    }
    Trace("dialog closed");
}

DWORD SetupProcess::WaitExit(DWORD timeoutMs) {
    const DWORD start = ::GetTickCount();
    while (::WaitForSingleObject(process_, kPollMs) == WAIT_TIMEOUT) {
        if (!Dialogs().empty()) Fail("unexpected dialog while waiting for the setup to end");
        if (::GetTickCount() - start > timeoutMs) Fail("the setup did not end");
    }
    DWORD code = 0;
    ::GetExitCodeProcess(process_, &code);
    Trace("exit " + std::to_string(code));
    return code;
}

void SetupProcess::WaitUntil(const std::function<bool()>& done, DWORD timeoutMs, const std::string& what) {
    const DWORD start = ::GetTickCount();
    for (;;) {
        if (done()) {
            Trace("reached " + what);
            return;
        }
        if (!Dialogs().empty()) Fail("unexpected dialog while waiting for " + what);
        if (!Running()) {
            DWORD code = 0;
            ::GetExitCodeProcess(process_, &code);
            throw ScenarioError("the setup ended (exit code " + std::to_string(code) + ") while waiting for " + what);
        }
        if (::GetTickCount() - start > timeoutMs) Fail("timed out waiting for " + what);
        ::Sleep(kPollMs);
    }
}

std::wstring SetupProcess::Capture() {
    static std::atomic<int> counter{0};
    const std::wstring path = ArtifactsFolder() + name_ + L"-" + std::to_wstring(++counter) + L".bmp";
    return SaveScreen(path) ? path : L"(screen not saved)";
}

void SetupProcess::Fail(const std::string& what) {
    std::string message = what;
    const std::wstring shot = Capture();
    for (HWND w : Dialogs()) {
        const Dialog d = Read(w);
        message += "\n  dialog \"" + Narrow(d.Caption) + "\": " + Narrow(d.Text);
        for (const auto& b : d.Buttons) message += " [" + Narrow(b) + "]";
    }
    if (window_ && ::IsWindow(window_)) {
        int page = -1;
        if (!tabSheets_.empty())
            for (size_t i = 0; i < tabSheets_.size(); ++i)
                if (::IsWindowVisible(tabSheets_[i])) page = static_cast<int>(i);
        message += "\n  wizard page " + std::to_string(page);
    }
    message += "\n  screen: " + Narrow(shot);
    throw ScenarioError(message);
}

void CloseTextViewers() {
    for (HWND w : TopLevelWindows()) {
        if (ClassOf(w) != L"Notepad") continue;
        HANDLE viewer = ::OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, ProcessOf(w));
        if (!viewer) continue;
        ::TerminateProcess(viewer, 0);
        ::WaitForSingleObject(viewer, 5000);
        ::CloseHandle(viewer);
    }
}

}  // namespace e2e
