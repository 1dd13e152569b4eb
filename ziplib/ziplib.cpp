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
// The setup's own installation inflates straight from its archive, without a temporary source file:
//
//   int __cdecl InflateBeginW(const wchar_t* target, void** stream, wchar_t* error);
//   int __cdecl InflateWrite(void* stream, const void* data, unsigned size, wchar_t* error);
//   int __cdecl InflateEnd(void* stream, int commit, wchar_t* error);
//
// Begin opens a stream that inflates one gzip member into target; Write feeds it the member's
// bytes in pieces of any size; End with commit 1 checks that exactly one intact member came in
// (CRC-32 and length) and only then replaces the target, End with commit 0 gives the stream up.
// End always frees the stream, also after a failed Write. As above, the work goes into a temporary
// file beside the target, and nothing is left behind on failure.
//
// Built with ZIPLIB_ANSI_ONLY, the library offers only the plain pair, as its first version did.
#include <windows.h>

#include <cstdio>
#include <memory>
#include <string>
#include <utility>

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
namespace {
// One member on its way into its target: the inflater, and the temporary file beside the target.
struct Stream {
    std::wstring Target, Temp;
    HANDLE File = INVALID_HANDLE_VALUE;
    std::unique_ptr<gzipcodec::Inflater> Inflater;
    ~Stream() {
        if (File != INVALID_HANDLE_VALUE) ::CloseHandle(File);
        if (!Temp.empty()) ::DeleteFileW(Temp.c_str());
    }
};

bool WriteToFile(HANDLE file, const unsigned char* data, std::size_t size, std::string& error) {
    while (size > 0) {
        DWORD written = 0;
        if (!::WriteFile(file, data, static_cast<DWORD>(size), &written, nullptr) || written == 0) {
            error = "cannot write the target file (error " + std::to_string(::GetLastError()) + ")";
            return false;
        }
        data += written;
        size -= written;
    }
    return true;
}

int StreamBegin(const wchar_t* target, void** handle, wchar_t* error) {
    if (handle) *handle = nullptr;
    if (error) error[0] = L'\0';
    if (!target || !*target || !handle) return Report<wchar_t>(error, BadArguments, L"missing target or stream");
    auto stream = std::make_unique<Stream>();
    stream->Target = target;
    const std::size_t slash = stream->Target.find_last_of(L"\\/");
    const std::wstring folder = slash == std::wstring::npos ? L"." : stream->Target.substr(0, slash + 1);
    wchar_t temp[MAX_PATH + 1] = {};
    if (!::GetTempFileNameW(folder.c_str(), L"vqz", 0, temp))
        return Report<wchar_t>(error, CannotCreateTarget, WithLastError<wchar_t>(L"cannot create a temporary file in " + folder));
    stream->Temp = temp;
    stream->File = ::CreateFileW(temp, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (stream->File == INVALID_HANDLE_VALUE)
        return Report<wchar_t>(error, CannotCreateTarget, WithLastError<wchar_t>(std::wstring(L"cannot create ") + temp));
    HANDLE file = stream->File;
    stream->Inflater = std::make_unique<gzipcodec::Inflater>(
        [file](const unsigned char* data, std::size_t size, std::string& e) { return WriteToFile(file, data, size, e); });
    *handle = stream.release();
    return Ok;
}

int StreamWrite(void* handle, const void* data, unsigned size, wchar_t* error) {
    if (error) error[0] = L'\0';
    auto* stream = static_cast<Stream*>(handle);
    if (!stream || (!data && size > 0)) return Report<wchar_t>(error, BadArguments, L"missing stream or data");
    std::string text;
    if (!stream->Inflater->Feed(data, size, text))
        return Report<wchar_t>(error, Failed, Words<wchar_t>(text + ": ") + stream->Target);
    return Ok;
}

int StreamEnd(void* handle, int commit, wchar_t* error) {
    if (error) error[0] = L'\0';
    std::unique_ptr<Stream> stream(static_cast<Stream*>(handle));
    if (!stream) return Report<wchar_t>(error, BadArguments, L"missing stream");
    if (commit != 1) return Ok;
    std::string text;
    if (!stream->Inflater->Finish(text)) return Report<wchar_t>(error, Failed, Words<wchar_t>(text + ": ") + stream->Target);
    // Buffered data can still fail to reach the disk here.
    const HANDLE file = std::exchange(stream->File, INVALID_HANDLE_VALUE);
    if (!::CloseHandle(file))
        return Report<wchar_t>(error, Failed, WithLastError<wchar_t>(L"cannot write the target file: " + stream->Target));
    if (!WideApi::Replace(stream->Temp.c_str(), stream->Target.c_str()))
        return Report<wchar_t>(error, CannotReplaceTarget, WithLastError<wchar_t>(L"cannot replace " + stream->Target));
    stream->Temp.clear();
    return Ok;
}
}  // namespace

__declspec(dllexport) int __cdecl InflateBeginW(const wchar_t* target, void** stream, wchar_t* error) {
    try {
        return StreamBegin(target, stream, error);
    } catch (...) {
        return Report<wchar_t>(error, Failed, L"out of memory");
    }
}

__declspec(dllexport) int __cdecl InflateWrite(void* stream, const void* data, unsigned size, wchar_t* error) {
    try {
        return StreamWrite(stream, data, size, error);
    } catch (...) {
        return Report<wchar_t>(error, Failed, L"out of memory");
    }
}

__declspec(dllexport) int __cdecl InflateEnd(void* stream, int commit, wchar_t* error) {
    try {
        return StreamEnd(stream, commit, error);
    } catch (...) {
        return Report<wchar_t>(error, Failed, L"out of memory");
    }
}

__declspec(dllexport) int __cdecl DeflateFileW(const wchar_t* source, const wchar_t* target, wchar_t* error) {
    return Guarded<WideApi>(source, target, error, gzipcodec::Decompress);
}

__declspec(dllexport) int __cdecl CompressFileW(const wchar_t* source, const wchar_t* target, wchar_t* error) {
    return Guarded<WideApi>(source, target, error, gzipcodec::Compress);
}
#endif
}
