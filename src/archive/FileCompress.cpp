#include "archive/FileCompress.h"

#include "services/VQError.h"

namespace {
// GetProcAddress answers a generic function pointer; the detour through void(*)() says that the
// real type is known from the library's contract.
template <class Proc>
Proc Export(HMODULE library, const char* name) {
    return reinterpret_cast<Proc>(reinterpret_cast<void (*)()>(::GetProcAddress(library, name)));
}

// ziplib.dll takes 8-bit paths, which Windows reads in the ANSI code page. A path that this code
// page cannot spell would reach the library as a different path, so it is refused here.
std::string AnsiPath(const std::wstring& path) {
    if (path.empty()) return {};
    BOOL lossy = FALSE;
    const int n = ::WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, path.c_str(), static_cast<int>(path.size()),
                                        nullptr, 0, nullptr, &lossy);
    std::string out(static_cast<size_t>(n > 0 ? n : 0), '\0');
    if (n > 0)
        ::WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, path.c_str(), static_cast<int>(path.size()), out.data(),
                              n, nullptr, &lossy);
    if (n <= 0 || lossy) throw EVQError(L"Error Deflate the path cannot be passed to ziplib.dll: " + path);
    return out;
}
}  // namespace

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
}

int TFileCompress::DeflateFile(const std::wstring& source, const std::wstring& target, std::wstring& errorText) {
    const std::string ansiSource = AnsiPath(source), ansiTarget = AnsiPath(target);
    // One byte more than the library may fill, so the text is terminated whatever it wrote.
    char buffer[ErrorBufferSize + 1] = {};
    const int result = DeflateFileProc(ansiSource.c_str(), ansiTarget.c_str(), buffer);
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
