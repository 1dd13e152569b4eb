// ziplib.dll: gzip compression and decompression of whole files for the setup, on zlib.
//
//   int __cdecl DeflateFile(const char* source, const char* target, char* error);
//   int __cdecl CompressFile(const char* source, const char* target, char* error);
//
// Paths are zero-terminated strings in the ANSI code page. error is a caller-owned buffer of
// 1001 bytes that receives a zero-terminated text when the result is not 0. Both functions write
// into a temporary file beside the target and replace the target only when everything worked,
// so a failure never leaves a corrupt or truncated target behind, nor an earlier one destroyed.
#include <windows.h>

#include <cstdio>
#include <string>

#include "GzipCodec.h"

namespace {
constexpr std::size_t ErrorBufferSize = 1001;

enum Result : int { Ok = 0, BadArguments = 1, CannotOpenSource = 2, CannotCreateTarget = 3, Failed = 4,
                    CannotReplaceTarget = 5 };

int Report(char* error, int result, const std::string& text) {
    if (error) std::snprintf(error, ErrorBufferSize, "%s", text.c_str());
    return result;
}

std::string WithLastError(const std::string& text) { return text + " (error " + std::to_string(::GetLastError()) + ")"; }

using Codec = bool (*)(std::FILE*, std::FILE*, std::string&);

int Transform(const char* source, const char* target, char* error, Codec codec) {
    if (error) error[0] = '\0';
    if (!source || !target || !*source || !*target) return Report(error, BadArguments, "missing source or target path");

    std::FILE* in = std::fopen(source, "rb");
    if (!in) return Report(error, CannotOpenSource, WithLastError(std::string("cannot open ") + source));

    // The temporary file lies in the target's folder, so the final rename never crosses volumes.
    std::string folder = target;
    const std::size_t slash = folder.find_last_of("\\/");
    folder = slash == std::string::npos ? std::string(".") : folder.substr(0, slash + 1);
    char temp[MAX_PATH + 1] = {};
    if (!::GetTempFileNameA(folder.c_str(), "vqz", 0, temp)) {
        std::fclose(in);
        return Report(error, CannotCreateTarget, WithLastError("cannot create a temporary file in " + folder));
    }
    std::FILE* out = std::fopen(temp, "wb");
    if (!out) {
        std::fclose(in);
        ::DeleteFileA(temp);
        return Report(error, CannotCreateTarget, WithLastError(std::string("cannot create ") + temp));
    }
    std::string text;
    bool ok = codec(in, out, text);
    std::fclose(in);
    // Buffered data can still fail to reach the disk here.
    if (std::fclose(out) != 0 && ok) {
        ok = false;
        text = "cannot write the target file (disk full?)";
    }
    if (!ok) {
        ::DeleteFileA(temp);
        return Report(error, Failed, text + ": " + source);
    }
    if (!::MoveFileExA(temp, target, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        const std::string message = WithLastError(std::string("cannot replace ") + target);
        ::DeleteFileA(temp);
        return Report(error, CannotReplaceTarget, message);
    }
    return Ok;
}
}  // namespace

extern "C" {
__declspec(dllexport) int __cdecl DeflateFile(const char* source, const char* target, char* error) {
    try {
        return Transform(source, target, error, gzipcodec::Decompress);
    } catch (...) {
        // Nothing may unwind into a caller that knows only the C calling convention.
        return Report(error, Failed, "out of memory");
    }
}

__declspec(dllexport) int __cdecl CompressFile(const char* source, const char* target, char* error) {
    try {
        return Transform(source, target, error, gzipcodec::Compress);
    } catch (...) {
        return Report(error, Failed, "out of memory");
    }
}
}
