#pragma once
// Drives of the Wine prefix the driver runs in, defined and removed while it runs, so that a
// scenario meets a removable disk the way the setup sees a real one.
#include <windows.h>

#include <string>

namespace e2e {

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

// The Unix path of the prefix (WINEPREFIX), empty when not running under Wine.
std::wstring WinePrefix();
// A Unix path as Windows sees it: the whole Unix tree is Z:.
std::wstring UnixToWindows(const std::wstring& path);

}  // namespace e2e
