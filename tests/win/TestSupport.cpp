#include "TestSupport.h"

#include <shellapi.h>

#include <algorithm>

#include "services/Handles.h"
#include "texts/ErrorUnit.h"

namespace testsupport {

ScratchFolder::ScratchFolder(const std::wstring& name) {
    path_ = Utillity::GetTempFolder() + L"vqtest_" + name + L"_" + std::to_wstring(::GetCurrentProcessId()) + L"\\";
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
DialogRecorder::~DialogRecorder() { Utillity::SetDialogAnswerer(nullptr); }

}  // namespace testsupport
