// The uninstaller's copy in the temporary folder, and the two processes' hand-over.
#include "uninstall/SelfRemoval.h"

#include "services/Handles.h"
#include "services/UtillityUnit.h"
#include "services/VQError.h"
#include "texts/ErrorUnit.h"
#include "uninstall/Uninstaller.h"

namespace {
constexpr wchar_t kCopyMarker[] = L"/VQCOPY";

EVQError Failure(const std::wstring& what, DWORD error = ::GetLastError()) {
    return EVQError(what + L" (error " + std::to_wstring(error) + L")");
}

std::string ReadAll(HANDLE file, const std::wstring& path) {
    std::string bytes;
    char buffer[65536];
    DWORD got = 0;
    do {
        if (!::ReadFile(file, buffer, sizeof buffer, &got, nullptr)) throw Failure(L"Cannot read " + path);
        bytes.append(buffer, got);
    } while (got > 0);
    return bytes;
}

bool IsHandle(HANDLE handle) {
    DWORD flags = 0;
    return handle && handle != INVALID_HANDLE_VALUE && ::GetHandleInformation(handle, &flags);
}

HANDLE HandleOf(const std::wstring& text) {
    if (text.empty() || text.size() > 20 || text.find_first_not_of(L"0123456789") != std::wstring::npos) return nullptr;
    return reinterpret_cast<HANDLE>(static_cast<UINT_PTR>(std::stoull(text)));
}

// The copy: a file of a fresh name, written, then held open by a handle that lets nobody write,
// rename or delete it, and read back through that handle, so that what runs elevated is exactly
// this program even in a folder the user's other programs may write to. The handle deletes the
// file when its last duplicate closes; the copy inherits it.
struct Copy {
    std::wstring Path;
    FileHandle Lock;
};

Copy MakeCopy(const std::wstring& self) {
    FileHandle source(::CreateFileW(self.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr,
                                    OPEN_EXISTING, 0, nullptr));
    if (!source) throw Failure(L"Cannot read " + self);
    const std::string bytes = ReadAll(source.get(), self);
    const std::wstring temp = Utillity::GetTempFolder();
    if (temp.empty()) throw EVQError(L"Cannot name the temporary folder for the uninstaller's copy");
    const auto start = static_cast<std::uint64_t>(::GetTickCount());
    for (std::uint64_t n = start; n - start < 1000; ++n) {
        Copy copy;
        copy.Path = temp + L"VQUninstall-" + std::to_wstring(n) + L".Exe";
        {
            FileHandle file(::CreateFileW(copy.Path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL,
                                          nullptr));
            if (!file) {
                const DWORD error = ::GetLastError();
                if (error == ERROR_FILE_EXISTS || error == ERROR_ALREADY_EXISTS || error == ERROR_ACCESS_DENIED) continue;
                throw Failure(L"Cannot create " + copy.Path, error);
            }
            DWORD written = 0;
            if (!::WriteFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) ||
                written != bytes.size() || !::CloseHandle(file.release())) {
                const DWORD error = ::GetLastError();
                ::DeleteFileW(copy.Path.c_str());
                throw Failure(L"Cannot write " + copy.Path, error);
            }
        }
        SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
        // Read access shared, so the system can start it; no write, no delete shared.
        copy.Lock.reset(::CreateFileW(copy.Path.c_str(), GENERIC_READ | DELETE, FILE_SHARE_READ, &inherit, OPEN_EXISTING,
                                      FILE_FLAG_DELETE_ON_CLOSE, nullptr));
        if (!copy.Lock) {
            const DWORD error = ::GetLastError();
            ::DeleteFileW(copy.Path.c_str());
            throw Failure(L"Cannot hold " + copy.Path, error);
        }
        if (ReadAll(copy.Lock.get(), copy.Path) != bytes) {
            copy.Lock.reset();  // and with it the file
            throw EVQError(L"The uninstaller's copy " + copy.Path + L" was changed before it could run");
        }
        return copy;
    }
    throw EVQError(L"Cannot find a free name for the uninstaller's copy in " + temp);
}
}  // namespace

bool IsSilentCommandLine(const std::vector<std::wstring>& params) {
    return params.size() == 1 && UpperCase(params[0]) == L"SILENT";
}

std::optional<CopyStart> ParseCopyStart(const std::vector<std::wstring>& params) {
    if ((params.size() != 4 && params.size() != 5) || params[0] != kCopyMarker) return std::nullopt;
    CopyStart start{params[1], HandleOf(params[2]), HandleOf(params[3]),
                    params.size() == 5 && UpperCase(params[4]) == L"SILENT"};
    if (!Utillity::IsAbsolutePath(start.Original) || !IsHandle(start.ResultPipe) || !IsHandle(start.OriginalProcess))
        return std::nullopt;
    return start;
}

int RunCopyOf(const std::wstring& self, bool silent) {
    Copy copy = MakeCopy(self);

    SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
    KernelHandle resultRead, resultWrite;
    if (!::CreatePipe(resultRead.put(), resultWrite.put(), &inherit, 0)) throw Failure(L"Cannot create a pipe");
    // Only the copy's end of the pipe is the copy's.
    ::SetHandleInformation(resultRead.get(), HANDLE_FLAG_INHERIT, 0);
    KernelHandle self_;
    if (!::DuplicateHandle(::GetCurrentProcess(), ::GetCurrentProcess(), ::GetCurrentProcess(), self_.put(), SYNCHRONIZE,
                           TRUE, 0))
        throw Failure(L"Cannot hand this process to the uninstaller's copy");

    std::wstring commandLine = L"\"" + copy.Path + L"\" " + kCopyMarker + L" \"" + self + L"\" " +
                               std::to_wstring(reinterpret_cast<UINT_PTR>(resultWrite.get())) + L" " +
                               std::to_wstring(reinterpret_cast<UINT_PTR>(self_.get())) + (silent ? L" silent" : L"");
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info{};
    // In the temporary folder: a copy working in the program folder would hold it open.
    const std::wstring temp = Utillity::GetTempFolder();
    if (!::CreateProcessW(copy.Path.c_str(), commandLine.data(), nullptr, nullptr, TRUE, 0, nullptr, temp.c_str(),
                          &startup, &info))
        throw Failure(L"Cannot start the uninstaller's copy " + copy.Path);
    KernelHandle process(info.hProcess), thread(info.hThread);
    // The copy holds its own duplicates now; the original's go, so that the pipe breaks when the
    // copy ends without an answer and the file goes with the copy.
    resultWrite.reset();
    self_.reset();
    copy.Lock.reset();

    int exitCode = 0;
    DWORD got = 0;
    if (::ReadFile(resultRead.get(), &exitCode, sizeof exitCode, &got, nullptr) && got == sizeof exitCode) return exitCode;
    WriteLog(L"The uninstaller's copy " + copy.Path + L" ended without an answer");
    return ueFailed;
}

void AnswerOriginal(HANDLE resultPipe, int exitCode) {
    DWORD written = 0;
    ::WriteFile(resultPipe, &exitCode, sizeof exitCode, &written, nullptr);
}

bool WaitForOriginal(HANDLE originalProcess) { return ::WaitForSingleObject(originalProcess, 60000) == WAIT_OBJECT_0; }

void ScheduleOwnRemoval(const std::wstring& self) {
    if (!::MoveFileExW(self.c_str(), nullptr, MOVEFILE_DELAY_UNTIL_REBOOT))
        WriteLog(L"Cannot schedule the removal of " + self + L" (error " + std::to_wstring(::GetLastError()) + L")");
}
