#pragma once
// Drives of the Wine prefix a test runs in, defined and removed while it runs, so that the setup
// meets removable, network and CD-ROM drives the way it sees real ones; and the Unix side behind
// them, where a test can run a shell script (to mount a small file system, for one).
#include <windows.h>

#include <string>

namespace testsupport {

// A drive letter of the prefix pointing at a folder of the Unix side, for as long as the object
// lives. Wine's mount manager defines it, so its type is seen at once by every process of the
// prefix; the drive and its dosdevices link are removed again at the end.
class WineDrive {
public:
    // unixFolder is created when missing; Defined() tells whether Wine accepted the drive.
    WineDrive(wchar_t letter, UINT type, const std::wstring& unixFolder);
    ~WineDrive();
    WineDrive(const WineDrive&) = delete;
    WineDrive& operator=(const WineDrive&) = delete;

    bool Defined() const { return defined_; }
    std::wstring Root() const { return std::wstring(1, letter_) + L":\\"; }

private:
    wchar_t letter_;
    bool defined_ = false;
};

// Asks Wine's mount manager to define letter as a drive of the given type on a Unix folder (which
// need not exist: a card reader without a card); DRIVE_NO_ROOT_DIR with no folder removes it.
bool DefineWineDrive(wchar_t letter, UINT type, const std::wstring& unixFolder);

// Runs a shell script on the Unix side, as the user running Wine, and waits up to timeoutMs for
// it. Answers its exit status with its output (stdout and stderr), or -1 with a reason when it
// could not be started or did not end in time.
int RunUnixScript(const std::wstring& script, std::string& output, DWORD timeoutMs = 30000);

// The Unix path of the prefix (WINEPREFIX), empty when not running under Wine.
std::wstring WinePrefix();
// A Unix path as Windows sees it: the whole Unix tree is Z:.
std::wstring UnixToWindows(const std::wstring& path);

}  // namespace testsupport
