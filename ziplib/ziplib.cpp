// ziplib.dll: gzip compression and decompression of whole files for the setup, on zlib.
//
//   int __cdecl DeflateFile(const char* source, const char* target, char* error);
//   int __cdecl CompressFile(const char* source, const char* target, char* error);
//   int __cdecl DeflateFileW(const wchar_t* source, const wchar_t* target, wchar_t* error);
//   int __cdecl CompressFileW(const wchar_t* source, const wchar_t* target, wchar_t* error);
//
// The plain functions take zero-terminated paths in the ANSI code page, and error is a caller-owned
// buffer of 1001 bytes for an ANSI text. The W functions take zero-terminated UTF-16 paths, which
// reach any file, and error is a caller-owned buffer of 1001 wchar_t units for a UTF-16 text.
// When the result is not 0 the buffer receives a zero-terminated text, cut to 1000 units. All four
// write into a temporary file beside the target and replace the target only when everything
// worked, so a failure never leaves a corrupt or truncated target behind, nor an earlier one
// destroyed, nor the temporary file.
//
// Built with ZIPLIB_ANSI_ONLY, the library offers only the plain pair, as its first version did.
#include <windows.h>

#include <cstdio>
#include <string>

#include "GzipCodec.h"

namespace {
constexpr std::size_t ErrorBufferSize = 1001;

enum Result : int { Ok = 0, BadArguments = 1, CannotOpenSource = 2, CannotCreateTarget = 3, Failed = 4,
                    CannotReplaceTarget = 5 };

// The file operations in the two character widths; everything else is shared.
struct AnsiApi {
    using Char = char;
    static std::FILE* Open(const char* path, bool write) { return std::fopen(path, write ? "wb" : "rb"); }
    static UINT TempFileName(const char* folder, char* out) { return ::GetTempFileNameA(folder, "vqz", 0, out); }
    static BOOL Replace(const char* from, const char* to) {
        return ::MoveFileExA(from, to, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH);
    }
    static void Delete(const char* path) { ::DeleteFileA(path); }
};

struct WideApi {
    using Char = wchar_t;
    static std::FILE* Open(const wchar_t* path, bool write) { return ::_wfopen(path, write ? L"wb" : L"rb"); }
    static UINT TempFileName(const wchar_t* folder, wchar_t* out) { return ::GetTempFileNameW(folder, L"vqz", 0, out); }
    static BOOL Replace(const wchar_t* from, const wchar_t* to) {
        return ::MoveFileExW(from, to, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH);
    }
    static void Delete(const wchar_t* path) { ::DeleteFileW(path); }
};

template <class Char>
using Text = std::basic_string<Char>;

// The library's own words and the codec's texts are ASCII, so they widen unit by unit.
template <class Char>
Text<Char> Words(const std::string& ascii) {
    return Text<Char>(ascii.begin(), ascii.end());
}

template <class Char>
int Report(Char* error, int result, const Text<Char>& text) {
    if (error) {
        const std::size_t n = text.size() < ErrorBufferSize - 1 ? text.size() : ErrorBufferSize - 1;
        text.copy(error, n);
        error[n] = Char(0);
    }
    return result;
}

template <class Char>
Text<Char> WithLastError(const Text<Char>& text) {
    return text + Words<Char>(" (error " + std::to_string(::GetLastError()) + ")");
}

using Codec = bool (*)(std::FILE*, std::FILE*, std::string&);

template <class Api, class Char = typename Api::Char>
int Transform(const Char* source, const Char* target, Char* error, Codec codec) {
    if (error) error[0] = Char(0);
    if (!source || !target || !*source || !*target)
        return Report<Char>(error, BadArguments, Words<Char>("missing source or target path"));

    gzipcodec::File in(Api::Open(source, false));
    if (!in) return Report<Char>(error, CannotOpenSource, WithLastError<Char>(Words<Char>("cannot open ") + source));

    // The temporary file lies in the target's folder, so the final rename never crosses volumes.
    Text<Char> folder = target;
    const std::size_t slash = folder.find_last_of(Words<Char>("\\/"));
    folder = slash == Text<Char>::npos ? Words<Char>(".") : folder.substr(0, slash + 1);
    Char temp[MAX_PATH + 1] = {};
    if (!Api::TempFileName(folder.c_str(), temp))
        return Report<Char>(error, CannotCreateTarget,
                            WithLastError<Char>(Words<Char>("cannot create a temporary file in ") + folder));
    gzipcodec::File out(Api::Open(temp, true));
    if (!out) {
        const Text<Char> message = WithLastError<Char>(Words<Char>("cannot create ") + temp);
        Api::Delete(temp);
        return Report<Char>(error, CannotCreateTarget, message);
    }
    std::string text;
    bool ok = codec(in.get(), out.get(), text);
    in.reset();
    // Buffered data can still fail to reach the disk here.
    if (std::fclose(out.release()) != 0 && ok) {
        ok = false;
        text = "cannot write the target file (disk full?)";
    }
    if (!ok) {
        Api::Delete(temp);
        return Report<Char>(error, Failed, Words<Char>(text + ": ") + source);
    }
    if (!Api::Replace(temp, target)) {
        const Text<Char> message = WithLastError<Char>(Words<Char>("cannot replace ") + target);
        Api::Delete(temp);
        return Report<Char>(error, CannotReplaceTarget, message);
    }
    return Ok;
}

// Nothing may unwind into a caller that knows only the C calling convention.
template <class Api, class Char = typename Api::Char>
int Guarded(const Char* source, const Char* target, Char* error, Codec codec) {
    try {
        return Transform<Api>(source, target, error, codec);
    } catch (...) {
        return Report<Char>(error, Failed, Words<Char>("out of memory"));
    }
}
}  // namespace

extern "C" {
__declspec(dllexport) int __cdecl DeflateFile(const char* source, const char* target, char* error) {
    return Guarded<AnsiApi>(source, target, error, gzipcodec::Decompress);
}

__declspec(dllexport) int __cdecl CompressFile(const char* source, const char* target, char* error) {
    return Guarded<AnsiApi>(source, target, error, gzipcodec::Compress);
}

#ifndef ZIPLIB_ANSI_ONLY
__declspec(dllexport) int __cdecl DeflateFileW(const wchar_t* source, const wchar_t* target, wchar_t* error) {
    return Guarded<WideApi>(source, target, error, gzipcodec::Decompress);
}

__declspec(dllexport) int __cdecl CompressFileW(const wchar_t* source, const wchar_t* target, wchar_t* error) {
    return Guarded<WideApi>(source, target, error, gzipcodec::Compress);
}
#endif
}
