#pragma once
// The decompression library ziplib.dll, loaded at run time from the folder the archive has just
// placed it in. The setup never imports it: the process restricts DLL search to System32, so the
// library is only ever found by its full path.
#include <optional>
#include <string>

#include "services/Handles.h"

class TFileCompress {
public:
    // Loads exactly libraryPath and looks up the exports. Raises EVQError
    // "TFileCompress.Create(<path>) <error number>" when the file cannot be loaded (126 when it is
    // missing) or one of the plain exports CompressFile and DeflateFile is missing (127): such a
    // library is never called. The wide export DeflateFileW is optional: a library from before it
    // still serves.
    explicit TFileCompress(const std::wstring& libraryPath);
    TFileCompress(const TFileCompress&) = delete;
    TFileCompress& operator=(const TFileCompress&) = delete;

    // Decompresses the gzip file source into target; 0 on success, otherwise the library's result
    // with its error text. Any path works: through DeflateFileW when the library has it; with the
    // plain export, a path the ANSI code page cannot spell goes as its 8.3 form, or else the work
    // is done under ANSI-safe temporary names and the result moved into place with the wide API.
    // Raises EVQError "Error Deflate ..." when that staging itself fails.
    int DeflateFile(const std::wstring& source, const std::wstring& target, std::wstring& errorText);

    // The library's text buffer, in bytes for the plain exports and in wchar_t for the wide ones:
    // its size is part of the contract with ziplib.dll.
    static constexpr int ErrorBufferSize = 1001;

    // Test seam: answers in place of GetShortPathNameW (empty: no short name), so that a test can
    // meet a volume without 8.3 names, which Wine always makes. nullptr restores the system's.
    using ShortPathQuery = std::wstring (*)(const std::wstring& path);
    static void SetShortPathQuery(ShortPathQuery query);

private:
    using FileProc = int(__cdecl*)(const char* source, const char* target, char* error);
    using WideFileProc = int(__cdecl*)(const wchar_t* source, const wchar_t* target, wchar_t* error);

    int DeflateAnsi(const std::string& source, const std::string& target, std::wstring& errorText);
    int DeflateThroughAnsiFolder(const std::wstring& source, std::optional<std::string> ansiSource,
                                 const std::wstring& target, std::wstring& errorText);

    ModuleHandle LibraryHandle;
    FileProc CompressFileProc = nullptr;  // looked up so a library without it is refused; never called
    FileProc DeflateFileProc = nullptr;
    WideFileProc DeflateFileWProc = nullptr;  // null in a library from before the wide exports
};
