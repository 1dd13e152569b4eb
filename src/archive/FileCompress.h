#pragma once
// The decompression library ziplib.dll, loaded at run time from the folder the archive has just
// placed it in. The setup never imports it: the process restricts DLL search to System32, so the
// library is only ever found by its full path.
#include <string>

#include "services/Handles.h"

class TFileCompress {
public:
    // Loads exactly libraryPath and looks up both exports. Raises EVQError
    // "TFileCompress.Create(<path>) <error number>" when the file cannot be loaded (126 when it is
    // missing) or an export is missing (127): such a library is never called.
    explicit TFileCompress(const std::wstring& libraryPath);
    TFileCompress(const TFileCompress&) = delete;
    TFileCompress& operator=(const TFileCompress&) = delete;

    // Decompresses the gzip file source into target; 0 on success, otherwise the library's result
    // with its error text.
    int DeflateFile(const std::wstring& source, const std::wstring& target, std::wstring& errorText);

    // The library's text buffer: its size is part of the contract with ziplib.dll.
    static constexpr int ErrorBufferSize = 1001;

private:
    using FileProc = int(__cdecl*)(const char* source, const char* target, char* error);

    ModuleHandle LibraryHandle;
    FileProc CompressFileProc = nullptr;  // looked up so a library without it is refused; never called
    FileProc DeflateFileProc = nullptr;
};
