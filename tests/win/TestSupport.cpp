#include "TestSupport.h"

#include <shellapi.h>

#include <gtest/gtest.h>

#include <algorithm>

#include "services/Handles.h"
#include "texts/ErrorUnit.h"

namespace testsupport {

ScratchFolder::ScratchFolder(const std::wstring& name) {
    // Unique per object: a folder still in use by an earlier case (a loaded DLL) is never reused.
    static int counter = 0;
    path_ = Utillity::GetTempFolder() + L"vqtest_" + name + L"_" + std::to_wstring(::GetCurrentProcessId()) + L"_" +
            std::to_wstring(++counter) + L"\\";
    DeleteTree(path_);
    ::CreateDirectoryW(path_.c_str(), nullptr);
}
ScratchFolder::~ScratchFolder() { DeleteTree(path_); }

void DeleteTree(const std::wstring& path) {
    std::wstring from = path;
    if (!from.empty() && from.back() == L'\\') from.pop_back();
    if (::GetFileAttributesW(from.c_str()) == INVALID_FILE_ATTRIBUTES) return;
    from.push_back(L'\0');
    SHFILEOPSTRUCTW op{};
    op.wFunc = FO_DELETE;
    op.pFrom = from.c_str();
    op.fFlags = FOF_NOCONFIRMATION | FOF_SILENT | FOF_NOERRORUI;
    ::SHFileOperationW(&op);
}

std::string ReadFileBytes(const std::wstring& path) {
    FileHandle file(::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                  OPEN_EXISTING, 0, nullptr));
    if (!file) return {};
    std::string bytes;
    char buffer[65536];
    DWORD got = 0;
    while (::ReadFile(file.get(), buffer, sizeof buffer, &got, nullptr) && got > 0) bytes.append(buffer, got);
    return bytes;
}

void WriteFileBytes(const std::wstring& path, const std::string& bytes) {
    FileHandle file(::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
    DWORD written = 0;
    if (file) ::WriteFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
}

std::vector<std::wstring> FilesIn(const std::wstring& folder) {
    std::vector<std::wstring> names;
    WIN32_FIND_DATAW found{};
    HANDLE search = ::FindFirstFileW((Utillity::AddBackslash(folder) + L"*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return names;
    do {
        if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) names.push_back(found.cFileName);
    } while (::FindNextFileW(search, &found));
    ::FindClose(search);
    std::sort(names.begin(), names.end());
    return names;
}

namespace {
std::wstring Variable(const wchar_t* name) {
    wchar_t value[32768] = {};
    const DWORD n = ::GetEnvironmentVariableW(name, value, 32768);
    return n > 0 && n < 32768 ? value : L"";
}
void Restore(const wchar_t* name, const std::wstring& value) {
    ::SetEnvironmentVariableW(name, value.empty() ? nullptr : value.c_str());
}
}  // namespace

TempFolderOverride::TempFolderOverride(const std::wstring& folder) : tmp_(Variable(L"TMP")), temp_(Variable(L"TEMP")) {
    ::SetEnvironmentVariableW(L"TMP", folder.c_str());
    ::SetEnvironmentVariableW(L"TEMP", folder.c_str());
}
TempFolderOverride::~TempFolderOverride() {
    Restore(L"TMP", tmp_);
    Restore(L"TEMP", temp_);
}

std::vector<std::string> LogLines() {
    const std::string bytes = ReadFileBytes(Utillity::GetTempFolder() + LogFileName);
    std::vector<std::string> lines;
    size_t start = 0;
    while (start < bytes.size()) {
        size_t end = bytes.find("\r\n", start);
        if (end == std::string::npos) end = bytes.size();
        lines.push_back(bytes.substr(start, end - start));
        start = end + 2;
    }
    return lines;
}

std::string LogText(const std::string& line) {
    // "<short date> <long time> <text>": the regional formats may hold blanks of their own
    // ("4:05:09 AM"), so count them in the formats of the moment.
    SYSTEMTIME now;
    ::GetLocalTime(&now);
    wchar_t date[64] = {}, time[64] = {};
    ::GetDateFormatW(LOCALE_USER_DEFAULT, DATE_SHORTDATE, &now, nullptr, date, 64);
    ::GetTimeFormatW(LOCALE_USER_DEFAULT, 0, &now, nullptr, time, 64);
    const std::wstring stamp = std::wstring(date) + L" " + time + L" ";
    size_t blanks = static_cast<size_t>(std::count(stamp.begin(), stamp.end(), L' '));
    size_t pos = 0;
    while (blanks-- > 0) {
        pos = line.find(' ', pos);
        if (pos == std::string::npos) return std::string();
        ++pos;
    }
    return line.substr(pos);
}

DialogRecorder::DialogRecorder() {
    Utillity::SetDialogAnswerer([this](const DialogRequest& request) {
        dialogs_.push_back(request);
        size_t position = 0;
        if (!presses_.empty()) {
            position = presses_.front();
            presses_.erase(presses_.begin());
        }
        return position < request.Buttons.size() ? request.Buttons[position].Result : mrCancel;
    });
}
DialogRecorder::~DialogRecorder() { AnswerUnexpectedDialogs(); }

void AnswerUnexpectedDialogs() {
    // A dialog no test asked for fails the test instead of waiting for a click that never comes.
    Utillity::SetDialogAnswerer([](const DialogRequest& request) {
        ADD_FAILURE() << "unexpected dialog \"" << std::string(request.Caption.begin(), request.Caption.end())
                      << "\": " << std::string(request.Message.begin(), request.Message.end());
        return request.Buttons.empty() ? mrCancel : request.Buttons[0].Result;
    });
}

StandIn::StandIn() {
    wchar_t self[MAX_PATH] = {};
    ::GetModuleFileNameW(nullptr, self, MAX_PATH);
    std::wstring exe = self;
    exe = exe.substr(0, exe.find_last_of(L'\\') + 1) + L"VessasQuorin.Exe";
    std::wstring command = L"\"" + exe + L"\" 60";
    STARTUPINFOW si{};
    si.cb = sizeof(si);
    PROCESS_INFORMATION pi{};
    if (::CreateProcessW(exe.c_str(), command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) {
        process_ = pi.hProcess;
        ::CloseHandle(pi.hThread);
        ::WaitForInputIdle(pi.hProcess, 10000);
        for (int i = 0; i < 200 && !Window(); ++i) ::Sleep(50);
    }
}

StandIn::~StandIn() {
    if (HWND w = Window()) ::PostMessageW(w, WM_CLOSE, 0, 0);
    if (process_) {
        if (::WaitForSingleObject(process_, 5000) != WAIT_OBJECT_0) ::TerminateProcess(process_, 1);
        ::CloseHandle(process_);
    }
}

HWND StandIn::Window() const { return ::FindWindowW(L"TVessasQuorinMain", nullptr); }

}  // namespace testsupport
