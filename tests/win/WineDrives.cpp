#include "WineDrives.h"

#include <winioctl.h>

#include <cstring>

namespace testsupport {
namespace {

// Wine's mount manager keeps the drive types it read from HKLM\Software\Wine\Drives when it
// started: a dosdevices link and a registry value written now would be seen as a fixed disk until
// the wineserver restarts. Asked to define the drive itself, as Wine's configuration tool does, it
// writes both and the type counts at once; defining the letter as "no root folder" removes both.
constexpr ULONG kMountMgrType = 'm';
constexpr DWORD kDefineUnixDrive = CTL_CODE(kMountMgrType, 32, METHOD_BUFFERED, FILE_READ_ACCESS | FILE_WRITE_ACCESS);

// Wine's request layout (Wine 8); the strings follow it and are addressed by offsets.
struct MountMgrUnixDrive {
    ULONG size;
    ULONG type;
    ULONG fsType;
    DWORD serial;
    ULONGLONG unixDev;
    WCHAR letter;
    USHORT mountPointOffset;
    USHORT deviceOffset;
    USHORT labelOffset;
};

std::string Utf8(const std::wstring& text) {
    if (text.empty()) return {};
    const int n = ::WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<size_t>(n), '\0');
    ::WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), out.data(), n, nullptr, nullptr);
    return out;
}

bool DefineUnixDrive(wchar_t letter, UINT type, const std::string& unixMountPoint) {
    HANDLE manager = ::CreateFileW(L"\\\\.\\MountPointManager", GENERIC_READ | GENERIC_WRITE,
                                   FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr);
    if (manager == INVALID_HANDLE_VALUE) return false;
    std::string request(sizeof(MountMgrUnixDrive), '\0');
    MountMgrUnixDrive head = {};
    head.type = type;
    head.letter = letter;
    if (!unixMountPoint.empty()) {
        head.mountPointOffset = static_cast<USHORT>(request.size());
        request += unixMountPoint;
        request += '\0';
    }
    head.size = static_cast<ULONG>(request.size());
    std::memcpy(request.data(), &head, sizeof(head));
    DWORD returned = 0;
    const BOOL ok = ::DeviceIoControl(manager, kDefineUnixDrive, request.data(), static_cast<DWORD>(request.size()),
                                      nullptr, 0, &returned, nullptr);
    ::CloseHandle(manager);
    return ok != FALSE;
}

}  // namespace

bool DefineWineDrive(wchar_t letter, UINT type, const std::wstring& unixFolder) {
    return DefineUnixDrive(letter, type, Utf8(unixFolder));
}

std::wstring WinePrefix() {
    wchar_t value[MAX_PATH * 2] = {};
    const DWORD n = ::GetEnvironmentVariableW(L"WINEPREFIX", value, MAX_PATH * 2);
    return n > 0 && n < MAX_PATH * 2 ? value : L"";
}

std::wstring UnixToWindows(const std::wstring& path) {
    std::wstring windows = L"Z:" + path;
    for (auto& c : windows)
        if (c == L'/') c = L'\\';
    return windows;
}

WineDrive::WineDrive(wchar_t letter, UINT type, const std::wstring& unixFolder) : letter_(letter) {
    ::CreateDirectoryW(UnixToWindows(unixFolder).c_str(), nullptr);
    defined_ = DefineWineDrive(letter, type, unixFolder);
}

WineDrive::~WineDrive() {
    if (defined_) DefineWineDrive(letter_, DRIVE_NO_ROOT_DIR, L"");
}

}  // namespace testsupport
