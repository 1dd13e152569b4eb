#include "services/UtillityUnit.h"

#include <shellapi.h>
#include <shlobj.h>

#include "services/Handles.h"
#include "services/VQError.h"
#include "texts/Cp1252.h"

namespace {
Utillity::ShellOpener& ShellOpenerSlot() {
    static Utillity::ShellOpener opener;
    return opener;
}

// The shell's delete refuses nothing by itself; the limit is the fixed buffer its callers
// have always used, and a path that does not fit must not be cut into another path.
constexpr size_t kShellPathLimit = 255;

bool ShellDelete(const std::wstring& path) {
    if (path.empty() || path.size() >= kShellPathLimit) return false;
    // The list of paths is double-zero terminated.
    std::wstring from = path;
    from.push_back(L'\0');
    SHFILEOPSTRUCTW op{};
    op.wFunc = FO_DELETE;
    op.pFrom = from.c_str();
    op.fFlags = FOF_ALLOWUNDO | FOF_NOCONFIRMATION | FOF_SILENT;  // 84
    return ::SHFileOperationW(&op) == 0 && !op.fAnyOperationsAborted;
}

std::wstring LocaleFormat(bool date, const SYSTEMTIME& st) {
    wchar_t buffer[128] = {};
    const int n = date ? ::GetDateFormatW(LOCALE_USER_DEFAULT, DATE_SHORTDATE, &st, nullptr, buffer, 128)
                       : ::GetTimeFormatW(LOCALE_USER_DEFAULT, 0, &st, nullptr, buffer, 128);
    return n > 0 ? std::wstring(buffer) : std::wstring();
}
}  // namespace

std::optional<std::string> ToCodePage(const std::wstring& text, UINT codePage) {
    if (text.empty()) return std::string();
    // No WC_NO_BEST_FIT_CHARS and no used-default pointer: UTF-8 code pages refuse both
    // (ERROR_INVALID_PARAMETER). The round trip tells a best-fit or default character from the
    // real one on every code page, and a lone surrogate on UTF-8.
    const int size = static_cast<int>(text.size());
    const int n = ::WideCharToMultiByte(codePage, 0, text.data(), size, nullptr, 0, nullptr, nullptr);
    if (n <= 0) return std::nullopt;
    std::string bytes(static_cast<size_t>(n), '\0');
    if (::WideCharToMultiByte(codePage, 0, text.data(), size, bytes.data(), n, nullptr, nullptr) != n)
        return std::nullopt;
    const int m = ::MultiByteToWideChar(codePage, 0, bytes.data(), n, nullptr, 0);
    if (m != size) return std::nullopt;
    std::wstring back(static_cast<size_t>(m), L'\0');
    if (::MultiByteToWideChar(codePage, 0, bytes.data(), n, back.data(), m) != m || back != text) return std::nullopt;
    return bytes;
}

std::wstring UpperCase(const std::wstring& text) {
    std::wstring out = text;
    if (!out.empty())
        ::CharUpperBuffW(out.data(), static_cast<DWORD>(out.size()));
    return out;
}

std::wstring Trim(const std::wstring& text) {
    // Blanks and control characters count as white space at both ends.
    size_t b = 0, e = text.size();
    while (b < e && text[b] <= L' ') ++b;
    while (e > b && text[e - 1] <= L' ') --e;
    return text.substr(b, e - b);
}

std::wstring ReplaceTextIgnoreCase(const std::wstring& text, const std::wstring& what, const std::wstring& with) {
    if (what.empty()) return text;
    const std::wstring upperText = UpperCase(text), upperWhat = UpperCase(what);
    std::wstring result;
    size_t start = 0;
    for (size_t found; (found = upperText.find(upperWhat, start)) != std::wstring::npos; start = found + what.size())
        result += text.substr(start, found - start) + with;
    return result + text.substr(start);
}

namespace {
// The log file a Utillity::KeptLog holds open, by its full path.
struct KeptLogFile {
    std::wstring Path;
    FileHandle File;
};
KeptLogFile& KeptLogSlot() {
    static KeptLogFile kept;
    return kept;
}

// OPEN_ALWAYS appends to the log or starts it; it never truncates what earlier runs wrote.
FileHandle OpenLogFile(const std::wstring& path) {
    return FileHandle(::CreateFileW(path.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                    OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
}
}  // namespace

void Utillity::AppendLogLine(const std::wstring& fileName, const std::wstring& text) {
    try {
        const std::wstring folder = GetTempFolder();
        if (folder.empty()) return;
        const std::wstring path = folder + fileName;
        SYSTEMTIME st;
        ::GetLocalTime(&st);
        const std::string line = cp1252::FromWide(LocaleFormat(true, st) + L" " + LocaleFormat(false, st) +
                                                  L" " + text + L"\r\n");
        KeptLogFile& kept = KeptLogSlot();
        FileHandle own;
        HANDLE file = kept.File && kept.Path == path ? kept.File.get() : (own = OpenLogFile(path)).get();
        if (!file) return;
        DWORD written = 0;
        ::WriteFile(file, line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
    } catch (...) {
        // The log must never disturb the setup: a lost line is all that happens.
    }
}

Utillity::KeptLog::KeptLog(const std::wstring& fileName) {
    const std::wstring folder = GetTempFolder();
    if (folder.empty() || fileName.empty()) return;
    KeptLogFile& kept = KeptLogSlot();
    kept.Path = folder + fileName;
    kept.File = OpenLogFile(kept.Path);
}

Utillity::KeptLog::~KeptLog() { ReleaseKeptLog(); }

void Utillity::ReleaseKeptLog() {
    KeptLogFile& kept = KeptLogSlot();
    kept.File.reset();
    kept.Path.clear();
}

void Utillity::SetShellOpener(ShellOpener opener) { ShellOpenerSlot() = std::move(opener); }

void Utillity::ShowTempFile(const std::wstring& fileName) {
    try {
        // A viewer may want the file to itself; later lines open it for each line again.
        ReleaseKeptLog();
        const std::wstring path = GetTempFolder() + fileName;
        if (ShellOpenerSlot()) {
            ShellOpenerSlot()(path);
            return;
        }
        ::ShellExecuteW(nullptr, L"open", path.c_str(), L"", nullptr, SW_SHOW);
    } catch (...) {
    }
}

std::wstring Utillity::GetTempFolder() {
    wchar_t buffer[300] = {};
    const DWORD n = ::GetTempPathW(299, buffer);
    if (n == 0 || n > 299) return L"";
    return AddBackslash(std::wstring(buffer));
}

std::wstring Utillity::MakeTempFileName() {
    return MakeTempFileNameFrom(static_cast<std::int32_t>(::GetTickCount()));
}

std::wstring Utillity::MakeTempFileNameFrom(std::int32_t tick) {
    const std::wstring folder = GetTempFolder();
    // 64-bit arithmetic: a tick count near the top of the 32-bit range must not wrap into
    // a comparison that never ends.
    const std::int64_t start = tick;
    for (std::int64_t n = start; n - start <= 10000; ++n) {
        const std::wstring candidate = folder + L"temp" + std::to_wstring(n) + L".Tmp";
        // CREATE_NEW takes the name and tests it in one step: a name found free and created later
        // could be taken by another setup in between.
        FileHandle file(::CreateFileW(candidate.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL,
                                      nullptr));
        if (file) return candidate;
        const DWORD error = ::GetLastError();
        // A folder of that name, or a file still being deleted, answers "access denied"; any other
        // error (a missing temp folder, for one) no other number can cure.
        if (error != ERROR_FILE_EXISTS && error != ERROR_ALREADY_EXISTS && error != ERROR_ACCESS_DENIED) break;
    }
    throw EVQError(L"cannot create temp file.");
}

std::wstring Utillity::AddBackslash(const std::wstring& path) {
    if (path.empty() || path.back() == L'\\') return path;
    return path + L'\\';
}

namespace {
bool IsDriveLetter(wchar_t c) { return (c >= L'A' && c <= L'Z') || (c >= L'a' && c <= L'z'); }

// Where the server and share names of a UNC path end: the position after "\\server\share", or
// npos when the path is no UNC path with both names.
size_t UncShareEnd(const std::wstring& path) {
    if (path.size() < 5 || path.compare(0, 2, L"\\\\") != 0) return std::wstring::npos;
    const size_t serverEnd = path.find(L'\\', 2);
    if (serverEnd == std::wstring::npos || serverEnd == 2 || path[2] == L'?' || path[2] == L'.') return std::wstring::npos;
    size_t shareEnd = path.find(L'\\', serverEnd + 1);
    if (shareEnd == std::wstring::npos) shareEnd = path.size();
    return shareEnd > serverEnd + 1 ? shareEnd : std::wstring::npos;
}
}  // namespace

bool Utillity::IsAbsolutePath(const std::wstring& path) {
    if (path.size() >= 3 && IsDriveLetter(path[0]) && path[1] == L':' && path[2] == L'\\') return true;
    return UncShareEnd(path) != std::wstring::npos;
}

bool Utillity::IsRootFolder(const std::wstring& path) {
    const std::wstring folder = AddBackslash(path);
    if (folder.size() == 3 && IsDriveLetter(folder[0]) && folder[1] == L':' && folder[2] == L'\\') return true;
    const size_t shareEnd = UncShareEnd(folder);
    return shareEnd != std::wstring::npos && shareEnd + 1 == folder.size();
}

bool Utillity::DirExists(const std::wstring& path) {
    const DWORD attributes = ::GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

bool Utillity::FileExists(const std::wstring& path) {
    if (path.empty()) return false;
    const DWORD attributes = ::GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

bool Utillity::MakeFolderPath(const std::wstring& rawPath) {
    // An empty or relative path would make its folders below whatever the current folder is
    // (for a setup started from a browser: the downloads folder).
    if (!IsAbsolutePath(rawPath)) return false;
    const std::wstring path = AddBackslash(rawPath);
    std::wstring built, remainder;
    if (path.rfind(L"\\\\", 0) == 0) {
        // \\server\share\dir\ : the server is no folder; the share is the first part to test.
        const size_t serverEnd = path.find(L'\\', 2);
        built = path.substr(0, serverEnd);
        remainder = path.substr(serverEnd + 1);
    } else {
        built = path.substr(0, 2);
        remainder = path.substr(3);
    }
    size_t start = 0;
    while (start < remainder.size()) {
        const size_t end = remainder.find(L'\\', start);
        const std::wstring part = remainder.substr(start, end - start);
        start = end + 1;
        if (part.empty()) continue;
        built += L"\\" + part;
        if (!DirExists(built) && !::CreateDirectoryW(built.c_str(), nullptr)) return false;
    }
    return true;
}

bool Utillity::RemoveFolder(const std::wstring& folder) {
    // Only the trailing backslash goes: cutting any other last character would name the parent.
    // A drive's or a share's root is never removed, whatever a caller computed.
    if (!IsAbsolutePath(folder) || IsRootFolder(folder)) return false;
    std::wstring path = folder;
    while (!path.empty() && path.back() == L'\\') path.pop_back();
    return ShellDelete(path);
}

bool Utillity::RemoveFile(const std::wstring& path) { return ShellDelete(path); }

std::int64_t Utillity::GetFileSize(const std::wstring& path) {
    FileHandle file(::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                  OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) throw EVQError(L"Cannot open file " + path);
    LARGE_INTEGER size{};
    if (!::GetFileSizeEx(file.get(), &size)) return 0;
    return size.QuadPart;
}

HMODULE Utillity::LoadSystemLibrary(const wchar_t* fileName) {
    wchar_t system[MAX_PATH] = {};
    const UINT n = ::GetSystemDirectoryW(system, MAX_PATH);
    if (n == 0 || n >= MAX_PATH) return nullptr;
    return ::LoadLibraryW((std::wstring(system) + L"\\" + fileName).c_str());
}

LANGID Utillity::GetSystemLanguage() { return ::GetSystemDefaultLangID(); }

std::wstring Utillity::GetSpecialFolder(HWND owner, int csidl) {
    ComPtr<IMalloc> allocator;
    if (FAILED(::SHGetMalloc(allocator.put()))) {
        ::MessageBoxW(owner, L"Couldn't get pointer to IMalloc interface.", L"SHGetMalloc(pMalloc)",
                      MB_ICONERROR);
        return L"";
    }
    // The shell's allocator is COM's task allocator, which PidlHandle frees with.
    PidlHandle list;
    if (FAILED(::SHGetSpecialFolderLocation(owner, csidl, list.put())) || !list) return L"";
    wchar_t path[MAX_PATH] = {};
    return ::SHGetPathFromIDListW(list.get(), path) ? AddBackslash(path) : L"";
}

std::wstring Utillity::GetProgramFilesFolder() {
    const wchar_t* keyName = L"\\Software\\Microsoft\\Windows\\CurrentVersion";
    RegKey key;
    // Read access is all this needs; asking for more would fail for no reason without elevation.
    if (::RegOpenKeyExW(HKEY_LOCAL_MACHINE, keyName + 1, 0, KEY_READ, key.put()) != ERROR_SUCCESS)
        throw EVQError(std::wstring(L"Cannot open ") + keyName);
    std::wstring value;
    DWORD type = 0, bytes = 0;
    if (::RegQueryValueExW(key.get(), L"ProgramFilesDir", nullptr, &type, nullptr, &bytes) == ERROR_SUCCESS &&
        (type == REG_SZ || type == REG_EXPAND_SZ) && bytes > 0) {
        std::wstring buffer(bytes / sizeof(wchar_t) + 1, L'\0');
        if (::RegQueryValueExW(key.get(), L"ProgramFilesDir", nullptr, &type,
                               reinterpret_cast<BYTE*>(buffer.data()), &bytes) == ERROR_SUCCESS)
            value = buffer.c_str();
    }
    value = AddBackslash(value);
    if (value.empty()) throw EVQError(std::wstring(L"Cannot read ProgramFilesDir from ") + keyName);
    return value;
}

std::wstring Utillity::GetCurrentUserName() {
    wchar_t buffer[253] = {};
    DWORD size = 253;
    if (!::GetUserNameW(buffer, &size)) return L"";
    return buffer;
}
