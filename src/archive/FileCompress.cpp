#include "archive/FileCompress.h"

#include <cwchar>
#include <utility>

#include "services/UtillityUnit.h"
#include "services/VQError.h"

namespace {
// GetProcAddress answers a generic function pointer; the detour through void(*)() says that the
// real type is known from the library's contract.
template <class Proc>
Proc Export(HMODULE library, const char* name) {
    return reinterpret_cast<Proc>(reinterpret_cast<void (*)()>(::GetProcAddress(library, name)));
}

TFileCompress::ShortPathQuery& ShortPathSlot() {
    static TFileCompress::ShortPathQuery query = nullptr;
    return query;
}

// The 8.3 form of an existing file or folder; empty where the volume keeps none.
std::wstring ShortPath(const std::wstring& path) {
    if (ShortPathSlot()) return ShortPathSlot()(path);
    const DWORD size = ::GetShortPathNameW(path.c_str(), nullptr, 0);
    if (size == 0) return {};
    std::wstring alias(size, L'\0');
    const DWORD n = ::GetShortPathNameW(path.c_str(), alias.data(), size);
    if (n == 0 || n >= size) return {};
    alias.resize(n);
    return alias;
}

// How a path reaches the plain exports, which Windows reads in the ANSI code page: as itself when
// that code page spells it, else as its 8.3 form. A path passed in any other spelling (best-fit
// letters, '?') would name a different file.
std::optional<std::string> AnsiForm(const std::wstring& path) {
    if (auto ansi = ToCodePage(path, CP_ACP)) return ansi;
    const std::wstring alias = ShortPath(path);
    return alias.empty() ? std::nullopt : ToCodePage(alias, CP_ACP);
}

// A target may not exist yet, so it has no 8.3 form of its own; and an existing one is not
// replaced through its alias, which could leave the new file named by the alias. So: the short
// form of its folder with its own name.
std::optional<std::string> AnsiTargetForm(const std::wstring& target) {
    if (auto ansi = ToCodePage(target, CP_ACP)) return ansi;
    const size_t slash = target.find_last_of(L'\\');
    if (slash == std::wstring::npos) return std::nullopt;
    const std::wstring folder = ShortPath(target.substr(0, slash + 1));
    if (folder.empty()) return std::nullopt;
    return ToCodePage(Utillity::AddBackslash(folder) + target.substr(slash + 1), CP_ACP);
}

// A folder the ANSI code page can spell, for the work under temporary names: the temp folder, its
// 8.3 form, or the Windows folder's Temp, which an elevated setup may write to.
std::wstring AnsiSafeFolder() {
    const std::wstring temp = Utillity::GetTempFolder();
    wchar_t windows[MAX_PATH + 1] = {};
    const UINT n = ::GetSystemWindowsDirectoryW(windows, MAX_PATH);
    const std::wstring candidates[] = {
        temp, temp.empty() ? std::wstring() : ShortPath(temp),
        n > 0 && n < MAX_PATH ? Utillity::AddBackslash(windows) + L"Temp\\" : std::wstring()};
    for (const std::wstring& folder : candidates)
        if (!folder.empty() && ToCodePage(folder, CP_ACP) && Utillity::DirExists(folder))
            return Utillity::AddBackslash(folder);
    return {};
}

// A new empty file with a unique name in folder; empty on failure, with the error kept.
std::wstring NewFileIn(const std::wstring& folder) {
    wchar_t path[MAX_PATH + 1] = {};
    return ::GetTempFileNameW(folder.c_str(), L"vqz", 0, path) ? std::wstring(path) : std::wstring();
}

EVQError StagingError(const std::wstring& what) {
    return EVQError(L"Error Deflate " + what + L" (" + std::to_wstring(::GetLastError()) + L")");
}
}  // namespace

void TFileCompress::SetShortPathQuery(ShortPathQuery query) { ShortPathSlot() = query; }

TFileCompress::TFileCompress(const std::wstring& libraryPath) {
    const auto fail = [&](DWORD error) {
        return EVQError(L"TFileCompress.Create(" + libraryPath + L") " + std::to_wstring(error));
    };
    LibraryHandle.reset(::LoadLibraryW(libraryPath.c_str()));
    if (!LibraryHandle) throw fail(::GetLastError());
    CompressFileProc = Export<FileProc>(LibraryHandle.get(), "CompressFile");
    if (!CompressFileProc) throw fail(::GetLastError());
    DeflateFileProc = Export<FileProc>(LibraryHandle.get(), "DeflateFile");
    if (!DeflateFileProc) throw fail(::GetLastError());
    DeflateFileWProc = Export<WideFileProc>(LibraryHandle.get(), "DeflateFileW");
    InflateBeginProc = Export<decltype(InflateBeginProc)>(LibraryHandle.get(), "InflateBeginW");
    InflateWriteProc = Export<decltype(InflateWriteProc)>(LibraryHandle.get(), "InflateWrite");
    InflateEndProc = Export<decltype(InflateEndProc)>(LibraryHandle.get(), "InflateEnd");
}

namespace {
// The library's answer as the error the setup reports: its text in a buffer one unit larger than
// it may fill, so the text is terminated whatever it wrote.
struct LibraryText {
    wchar_t Buffer[TFileCompress::ErrorBufferSize + 1] = {};
    EVQError Error() const { return EVQError(L"Error Deflate " + std::wstring(Buffer, wcsnlen(Buffer, TFileCompress::ErrorBufferSize))); }
};
}  // namespace

TFileCompress::Inflation::Inflation(TFileCompress& library, const std::wstring& target) : library_(library) {
    LibraryText text;
    if (library_.InflateBeginProc(target.c_str(), &stream_, text.Buffer) != 0) {
        stream_ = nullptr;
        throw text.Error();
    }
}

TFileCompress::Inflation::~Inflation() {
    LibraryText ignored;
    if (stream_) library_.InflateEndProc(stream_, 0, ignored.Buffer);
}

void TFileCompress::Inflation::Write(const void* data, unsigned size) {
    LibraryText text;
    if (library_.InflateWriteProc(stream_, data, size, text.Buffer) != 0) throw text.Error();
}

void TFileCompress::Inflation::Commit() {
    LibraryText text;
    // The library frees the stream whatever it answers.
    const int result = library_.InflateEndProc(std::exchange(stream_, nullptr), 1, text.Buffer);
    if (result != 0) throw text.Error();
}

int TFileCompress::DeflateFile(const std::wstring& source, const std::wstring& target, std::wstring& errorText) {
    if (DeflateFileWProc) {
        // One unit more than the library may fill, so the text is terminated whatever it wrote.
        wchar_t buffer[ErrorBufferSize + 1] = {};
        const int result = DeflateFileWProc(source.c_str(), target.c_str(), buffer);
        errorText.assign(buffer, wcsnlen(buffer, ErrorBufferSize));
        return result;
    }
    std::optional<std::string> ansiSource = AnsiForm(source);
    const std::optional<std::string> ansiTarget = AnsiTargetForm(target);
    if (ansiSource && ansiTarget) return DeflateAnsi(*ansiSource, *ansiTarget, errorText);
    return DeflateThroughAnsiFolder(source, std::move(ansiSource), target, errorText);
}

int TFileCompress::DeflateAnsi(const std::string& source, const std::string& target, std::wstring& errorText) {
    // One byte more than the library may fill, so the text is terminated whatever it wrote.
    char buffer[ErrorBufferSize + 1] = {};
    const int result = DeflateFileProc(source.c_str(), target.c_str(), buffer);
    std::string text(buffer, strnlen(buffer, ErrorBufferSize));
    errorText.clear();
    if (!text.empty()) {
        // The library writes in the ANSI code page, like the paths it was given.
        const int n = ::MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
        errorText.resize(static_cast<size_t>(n));
        ::MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), errorText.data(), n);
    }
    return result;
}

int TFileCompress::DeflateThroughAnsiFolder(const std::wstring& source, std::optional<std::string> ansiSource,
                                            const std::wstring& target, std::wstring& errorText) {
    const std::wstring folder = AnsiSafeFolder();
    if (folder.empty())
        throw EVQError(L"Error Deflate no folder the ANSI code page can spell is left for ziplib.dll: " + target);
    // The library replaces this file with the result; the names GetTempFileNameW makes are ASCII.
    TemporaryFile result(NewFileIn(folder));
    if (result.Path().empty()) throw StagingError(L"cannot create a temporary file in " + folder);
    TemporaryFile sourceCopy(ansiSource ? std::wstring() : NewFileIn(folder));
    if (!ansiSource) {
        if (sourceCopy.Path().empty() || !::CopyFileW(source.c_str(), sourceCopy.Path().c_str(), FALSE))
            throw StagingError(L"cannot copy " + source + L" to " + folder);
        ansiSource = ToCodePage(sourceCopy.Path(), CP_ACP);
    }
    const int answer = DeflateAnsi(*ansiSource, *ToCodePage(result.Path(), CP_ACP), errorText);
    if (answer != 0) return answer;

    // First into a new file beside the target, then renamed over it: across volumes
    // MOVEFILE_COPY_ALLOWED copies, and a copy that failed half-way over the target would have
    // destroyed it.
    const std::wstring targetFolder = target.substr(0, target.find_last_of(L'\\') + 1);
    TemporaryFile beside(NewFileIn(targetFolder.empty() ? L"." : targetFolder));
    if (beside.Path().empty()) throw StagingError(L"cannot create a file beside " + target);
    if (!::MoveFileExW(result.Path().c_str(), beside.Path().c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_COPY_ALLOWED))
        throw StagingError(L"cannot move " + result.Path() + L" to " + beside.Path());
    result.Keep();
    if (!::MoveFileExW(beside.Path().c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING))
        throw StagingError(L"cannot replace " + target);
    beside.Keep();
    return 0;
}
