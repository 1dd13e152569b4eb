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

    // Whether the library inflates from memory into a target file (its exports InflateBeginW,
    // InflateWrite and InflateEnd); a library from before them decompresses from file to file only.
    bool InflatesFromMemory() const { return InflateBeginProc && InflateWriteProc && InflateEndProc; }

    // One gzip member inflated from memory into its target: Write the member's bytes in pieces,
    // then Commit, which checks the member and only then replaces the target. Given up unless
    // committed: the target stays as it was. Raises EVQError "Error Deflate ..." on any failure.
    class Inflation {
    public:
        Inflation(TFileCompress& library, const std::wstring& target);
        ~Inflation();
        Inflation(const Inflation&) = delete;
        Inflation& operator=(const Inflation&) = delete;
        void Write(const void* data, unsigned size);
        void Commit();

    private:
        TFileCompress& library_;
        void* stream_ = nullptr;
    };

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
    // Null in a library from before the inflation from memory.
    int(__cdecl* InflateBeginProc)(const wchar_t* target, void** stream, wchar_t* error) = nullptr;
    int(__cdecl* InflateWriteProc)(void* stream, const void* data, unsigned size, wchar_t* error) = nullptr;
    int(__cdecl* InflateEndProc)(void* stream, int commit, wchar_t* error) = nullptr;
};
