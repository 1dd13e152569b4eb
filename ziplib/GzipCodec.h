#pragma once
// One gzip member (RFC 1952) between two open files. Shared by ziplib.dll and the archive
// builder, so the member the builder writes is the one the library reads.
#include <cstdio>
#include <memory>
#include <string>

namespace gzipcodec {

// An open C file, closed however the scope is left; release() it to see what fclose says.
struct FileCloser {
    void operator()(std::FILE* f) const { if (f) std::fclose(f); }
};
using File = std::unique_ptr<std::FILE, FileCloser>;

// Writes in as one gzip member with the fixed header 1F 8B 08 00 00000000 00 0B (no name, no
// time stamp, operating system NTFS), so that an archive is the same bytes whenever it is built.
bool Compress(std::FILE* in, std::FILE* out, std::string& error);

// Reads exactly one gzip member from in (any optional header fields) and writes its content to
// out. False, with a text in error, for anything else: a damaged or truncated member, a wrong
// CRC-32 or length in the trailer, or bytes after the member.
bool Decompress(std::FILE* in, std::FILE* out, std::string& error);

}  // namespace gzipcodec
