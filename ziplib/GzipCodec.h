#pragma once
// One gzip member (RFC 1952) between two open files. Shared by ziplib.dll and the archive
// builder, so the member the builder writes is the one the library reads.
#include <cstdio>
#include <functional>
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

// The same, fed piece by piece from memory: the member's bytes go in through Feed, in pieces of
// any size, and what they inflate to goes to the sink as it comes. Finish says whether exactly one
// intact member came in (CRC-32 and length checked). After a false answer the inflater is done.
class Inflater {
public:
    // Takes the inflated bytes; false when they cannot be kept (the sink sets the error text).
    using Sink = std::function<bool(const unsigned char* data, std::size_t size, std::string& error)>;
    explicit Inflater(Sink sink);
    ~Inflater();
    Inflater(const Inflater&) = delete;
    Inflater& operator=(const Inflater&) = delete;

    bool Feed(const void* data, std::size_t size, std::string& error);
    bool Finish(std::string& error);

private:
    struct State;
    std::unique_ptr<State> state_;
};

}  // namespace gzipcodec
