#pragma once
// Small services around files, folders, the shell and the registry. Static operations only;
// no state. Operations that report failure as false or an empty result never throw; the
// others raise EVQError with the message the user and the log see.
#include <windows.h>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

// Dialog kinds of ShowDialog.
enum class DialogKind { Warning = 0, Error = 1, Information = 2, Confirmation = 3, Custom = 4 };

// Members of a ShowDialog button set; bit k of the set stands for member k.
enum DialogButtonKind : int {
    dbYes = 0, dbNo, dbOK, dbCancel, dbAbort, dbRetry, dbIgnore, dbAll, dbNoToAll, dbYesToAll, dbHelp,
    dbCount
};
constexpr unsigned ButtonSet(std::initializer_list<DialogButtonKind> members) {
    unsigned set = 0;
    for (auto m : members) set |= 1u << m;
    return set;
}

// Results a dialog button answers with.
enum DialogResult : int {
    mrNone = 0, mrOk = 1, mrCancel = 2, mrAbort = 3, mrRetry = 4, mrIgnore = 5, mrYes = 6, mrNo = 7,
    mrAll = 8, mrNoToAll = 9, mrYesToAll = 10, mrHelp = 11
};

// What a dialog shows, as the user would see it; handed to the test seam instead of a window.
struct DialogButton {
    DialogButtonKind Kind;
    std::wstring Caption;
    int Result;
    bool IsDefault;  // pressed by Enter
    bool IsCancel;   // pressed by Escape
};
struct DialogRequest {
    std::wstring Caption;
    std::wstring Message;
    DialogKind Kind;
    std::vector<DialogButton> Buttons;
};
// Answers a dialog without showing it; returns the result of the button "pressed".
using DialogAnswerer = std::function<int(const DialogRequest&)>;

class Utillity {
public:
    Utillity() = delete;

    // --- log and temp folder
    static void AppendLogLine(const std::wstring& fileName, const std::wstring& text);
    // While one lives, the lines of the log fileName go through one handle instead of an open and
    // a close each: an install run writes some 350 of them. One at a time; showing the log ends
    // it early (ReleaseKeptLog), and the lines after that open the file each again.
    class KeptLog {
    public:
        explicit KeptLog(const std::wstring& fileName);
        ~KeptLog();
        KeptLog(const KeptLog&) = delete;
        KeptLog& operator=(const KeptLog&) = delete;
    };
    static void ReleaseKeptLog();
    static void ShowTempFile(const std::wstring& fileName);
    static std::wstring GetTempFolder();
    // Creates a new empty file "temp<n>.Tmp" in the temp folder and returns its path. The file is
    // made while the name is chosen, so two setups running at once never share one.
    static std::wstring MakeTempFileName();
    // The search of MakeTempFileName from a given tick count; separate so its rules can be tested.
    static std::wstring MakeTempFileNameFrom(std::int32_t tick);

    // --- paths, files, folders
    static std::wstring AddBackslash(const std::wstring& path);
    // A drive path (X:\...) or a UNC path (\\server\share...): the only forms the setup writes to.
    // Anything else would be taken relative to whatever the current folder happens to be.
    static bool IsAbsolutePath(const std::wstring& path);
    // A drive's root (X:\) or a share's root (\\server\share\), with or without the backslash.
    static bool IsRootFolder(const std::wstring& path);
    static bool DirExists(const std::wstring& path);
    static bool FileExists(const std::wstring& path);
    static bool MakeFolderPath(const std::wstring& path);
    static bool RemoveFolder(const std::wstring& folder);
    static bool RemoveFile(const std::wstring& path);
    static std::int64_t GetFileSize(const std::wstring& path);

    // --- system queries
    // A library of Windows itself, loaded by its full path in the system folder and kept for the
    // life of the process; nullptr when it cannot be loaded. A copy of it planted beside the setup
    // (in a downloads folder) is never the one loaded.
    static HMODULE LoadSystemLibrary(const wchar_t* fileName);
    static LANGID GetSystemLanguage();
    static std::wstring GetSpecialFolder(HWND owner, int csidl);
    static std::wstring GetProgramFilesFolder();
    static std::wstring GetCurrentUserName();

    // --- dialogs, folder picker, shortcuts
    static int ShowDialog(const std::wstring& caption, const std::wstring& message, DialogKind kind,
                          unsigned buttons, const std::vector<std::wstring>& captions,
                          const std::vector<int>& results);
    static bool BrowseForFolder(HWND owner, std::wstring& folder, const std::wstring& title,
                                const std::wstring& root);
    static bool CreateShortcut(const std::wstring& target, const std::wstring& workingFolder,
                               const std::wstring& linkFile);

    // --- seams for tests: dialogs answered without a window, the folder picker answered, the
    // shell's "open" recorded. They are process-wide because what they stand for is: the one
    // user at the screen and the one shell of the session. Production code never sets them.
    static void SetDialogAnswerer(DialogAnswerer answerer);
    // Answers the folder picker: true with the chosen folder, or false for a cancelled picker.
    using FolderBrowser = std::function<bool(const std::wstring& title, std::wstring& folder)>;
    static void SetFolderBrowser(FolderBrowser browser);
    using ShellOpener = std::function<void(const std::wstring& path)>;
    static void SetShellOpener(ShellOpener opener);
};

// A file this program has just created, removed again when the owner goes unless Keep() was
// called, so that every way out of a failed operation cleans up after it.
class TemporaryFile {
public:
    explicit TemporaryFile(std::wstring path) : path_(std::move(path)) {}
    ~TemporaryFile() { Remove(); }
    TemporaryFile(const TemporaryFile&) = delete;
    TemporaryFile& operator=(const TemporaryFile&) = delete;
    const std::wstring& Path() const { return path_; }
    void Keep() { path_.clear(); }
    void Remove() {
        if (!path_.empty()) ::DeleteFileW(path_.c_str());
        path_.clear();
    }

private:
    std::wstring path_;
};

// The text in the 8-bit code page codePage (CP_ACP: the system's ANSI code page), or nothing when
// that code page cannot spell it exactly. The one place that decides whether a path or a value can
// cross into an 8-bit API unchanged.
std::optional<std::string> ToCodePage(const std::wstring& text, UINT codePage);

// Upper-casing as the setup's comparisons need it (locale-independent, whole Unicode range).
std::wstring UpperCase(const std::wstring& text);
std::wstring Trim(const std::wstring& text);
// Every occurrence of what, compared without regard to case, replaced by with.
std::wstring ReplaceTextIgnoreCase(const std::wstring& text, const std::wstring& what, const std::wstring& with);
