#include "WineDrives.h"

#include <winioctl.h>

#include <cstdlib>
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

int RunUnixScript(const std::wstring& script, std::string& output, DWORD timeoutMs) {
    output.clear();
    const std::wstring prefix = WinePrefix();
    if (prefix.empty()) {
        output = "WINEPREFIX is not set: not running under Wine";
        return -1;
    }
    static int counter = 0;
    const std::wstring folder = prefix + L"/vq_unix_" + std::to_wstring(::GetCurrentProcessId()) + L"_" +
                                std::to_wstring(++counter);
    const std::wstring windowsFolder = UnixToWindows(folder) + L"\\";
    ::CreateDirectoryW(windowsFolder.c_str(), nullptr);
    const auto file = [&](const wchar_t* name) { return windowsFolder + name; };
    const auto remove = [&] {
        for (const wchar_t* name : {L"run.sh", L"output", L"status", L"status.new"}) ::DeleteFileW(file(name).c_str());
        ::RemoveDirectoryW(windowsFolder.c_str());
    };
    // The status is written last and renamed into place, so that a status file is always whole.
    const std::string unixFolder = "'" + Utf8(folder) + "/";
    const std::string runner = "{\n" + Utf8(script) + "\n} >" + unixFolder + "output' 2>&1\necho $? >" + unixFolder +
                               "status.new'\nmv " + unixFolder + "status.new' " + unixFolder + "status'\n";
    HANDLE handle = ::CreateFileW(file(L"run.sh").c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    DWORD written = 0;
    const bool saved = handle != INVALID_HANDLE_VALUE &&
                       ::WriteFile(handle, runner.data(), static_cast<DWORD>(runner.size()), &written, nullptr) &&
                       written == runner.size();
    if (handle != INVALID_HANDLE_VALUE) ::CloseHandle(handle);
    // Wine starts a program that is no Windows executable as a Unix process of its own, without a
    // handle to wait on: the status file tells when it has ended.
    std::wstring command = L"/bin/sh \"" + folder + L"/run.sh\"";
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION info{};
    if (!saved || !::CreateProcessW(L"Z:\\bin\\sh", command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                                    &startup, &info)) {
        output = "cannot start /bin/sh: error " + std::to_string(::GetLastError());
        remove();
        return -1;
    }
    if (info.hThread) ::CloseHandle(info.hThread);
    if (info.hProcess) ::CloseHandle(info.hProcess);
    const DWORD start = ::GetTickCount();
    while (::GetFileAttributesW(file(L"status").c_str()) == INVALID_FILE_ATTRIBUTES) {
        if (::GetTickCount() - start > timeoutMs) {
            output = "the script did not end within " + std::to_string(timeoutMs) + " ms";
            remove();
            return -1;
        }
        ::Sleep(20);
    }
    const auto read = [&](const wchar_t* name) {
        std::string bytes;
        HANDLE in = ::CreateFileW(file(name).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
        if (in == INVALID_HANDLE_VALUE) return bytes;
        char buffer[4096];
        DWORD got = 0;
        while (::ReadFile(in, buffer, sizeof buffer, &got, nullptr) && got > 0) bytes.append(buffer, got);
        ::CloseHandle(in);
        return bytes;
    };
    output = read(L"output");
    const int status = std::atoi(read(L"status").c_str());
    remove();
    return status;
}

WineDrive::WineDrive(wchar_t letter, UINT type, const std::wstring& unixFolder) : letter_(letter) {
    ::CreateDirectoryW(UnixToWindows(unixFolder).c_str(), nullptr);
    defined_ = DefineWineDrive(letter, type, unixFolder);
}

WineDrive::~WineDrive() {
    if (defined_) DefineWineDrive(letter_, DRIVE_NO_ROOT_DIR, L"");
}

}  // namespace testsupport
