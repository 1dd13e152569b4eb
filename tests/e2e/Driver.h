#pragma once
// Drives the real VQSetup.exe from another process, as a person at the screen would: finds its
// window, reads captions, picks list entries, ticks items, types into edits, clicks buttons by
// control id and answers its message dialogs. Every wait is bounded and polls; a dialog nobody
// waits for is captured (text and a picture of the screen) and ends the scenario with an error
// instead of leaving it hanging.
#include <windows.h>

#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

namespace e2e {

// Ends a scenario that cannot go on; its text says what was seen.
class ScenarioError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

std::string Narrow(const std::wstring& text);  // for messages; characters outside ASCII as '?'
std::wstring ModuleFolder();                   // the folder of this program, with a backslash
// Where captured screens go: a folder "e2e-artifacts" beside this program.
std::wstring ArtifactsFolder();
// The whole screen as a 24-bit .bmp file.
bool SaveScreen(const std::wstring& path);

// A message dialog of the setup: its own dialogs carry the message in a static of id 90 and the
// buttons, in order, under the ids 100, 101, ...
struct Dialog {
    HWND Window = nullptr;
    std::wstring Caption;
    std::wstring Text;
    std::vector<std::wstring> Buttons;
};

class SetupProcess {
public:
    // Starts exe with the argument text (appended to the quoted program path) in its own folder.
    // name labels the captures of this run; environment holds "NAME=value" entries that replace
    // or add to this program's own.
    SetupProcess(const std::wstring& exe, const std::wstring& arguments, std::wstring name,
                 const std::vector<std::wstring>& environment = {});
    // Attaches to a process that something else started (the uninstaller's copy, started by the
    // uninstaller the system's program list started), whose main window is of windowClass.
    SetupProcess(DWORD processId, std::wstring name, std::wstring windowClass);
    ~SetupProcess();  // a setup still running is ended
    SetupProcess(const SetupProcess&) = delete;
    SetupProcess& operator=(const SetupProcess&) = delete;

    DWORD Id() const { return id_; }
    bool Running() const;

    // The main window (class TVQSetupForm unless attached to another), waited for until it is shown.
    HWND Window(DWORD timeoutMs = 15000);
    std::wstring Caption();
    HWND Control(int id);
    std::wstring Text(int id);
    bool Visible(int id);  // shown, and every parent shown
    bool Enabled(int id);

    // The wizard page on screen (0 to 7), or -1 while none can be told.
    int Page();
    void WaitPage(int page, DWORD timeoutMs = 15000);

    void Click(int id);
    std::vector<std::wstring> ComboItems(int id);
    int ComboSelection(int id);
    void SelectCombo(int id, int index);
    void SelectComboText(int id, const std::wstring& text);
    void TypeText(int id, const std::wstring& text);
    bool Checked(int listViewId, int item);
    void SetChecked(int listViewId, int item, bool checked);
    void CloseBox();  // the caption bar's close box
    // The progress bar's position; answered when the setup next services its window.
    int ProgressPosition();

    // Waits for a dialog of the setup and reads it.
    Dialog WaitDialog(DWORD timeoutMs = 15000);
    // Presses button k (0 = the first) and waits until the dialog is gone.
    void Answer(const Dialog& dialog, size_t button);
    // The process's exit code once it has ended.
    DWORD WaitExit(DWORD timeoutMs = 30000);

    // Polls every 50 ms until done() holds; throws when the time is up, when the setup ends, or
    // when one of its dialogs shows up (captured).
    void WaitUntil(const std::function<bool()>& done, DWORD timeoutMs, const std::string& what);
    // Captures the screen and the open dialogs and throws with what was seen.
    [[noreturn]] void Fail(const std::string& what);

private:
    std::vector<HWND> Dialogs() const;
    Dialog Read(HWND dialog) const;
    std::wstring Capture();
    int PageOf(HWND control);

    std::wstring name_;
    std::wstring windowClass_ = L"TVQSetupForm";
    HANDLE process_ = nullptr;
    DWORD id_ = 0;
    HWND window_ = nullptr;
    std::vector<HWND> tabSheets_;  // in page order once known
};

// Ends the text viewers that error reports of the setup opened (they run as processes of their own).
void CloseTextViewers();

}  // namespace e2e
