#include "GzipCodec.h"

#include <zlib.h>

#include <cstdint>
#include <vector>

namespace gzipcodec {
namespace {
constexpr std::size_t BufferSize = 64 * 1024;

bool WriteAll(std::FILE* out, const void* data, std::size_t size, std::string& error) {
    if (size > 0 && std::fwrite(data, 1, size, out) != size) {
        error = "cannot write the target file (disk full?)";
        return false;
    }
    return true;
}

void PutLittleEndian(unsigned char* p, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) p[i] = static_cast<unsigned char>(v >> (8 * i));
}
}  // namespace

bool Compress(std::FILE* in, std::FILE* out, std::string& error) {
    // zlib's own gzip wrapper would write its build's operating-system byte and vary the extra
    // flags with the level, so the header is written here and zlib makes a raw deflate stream.
    static const unsigned char header[10] = {0x1F, 0x8B, 0x08, 0x00, 0, 0, 0, 0, 0x00, 0x0B};
    if (!WriteAll(out, header, sizeof header, error)) return false;

    z_stream z{};
    if (deflateInit2(&z, Z_BEST_COMPRESSION, Z_DEFLATED, -MAX_WBITS, 8, Z_DEFAULT_STRATEGY) != Z_OK) {
        error = "deflateInit2 failed";
        return false;
    }
    std::vector<unsigned char> input(BufferSize), output(BufferSize);
    uLong crc = crc32(0L, Z_NULL, 0);
    std::uint32_t length = 0;
    bool ok = true;
    int flush = Z_NO_FLUSH;
    do {
        const std::size_t got = std::fread(input.data(), 1, input.size(), in);
        if (std::ferror(in)) {
            error = "cannot read the source file";
            ok = false;
            break;
        }
        crc = crc32(crc, input.data(), static_cast<uInt>(got));
        length += static_cast<std::uint32_t>(got);  // ISIZE is the length modulo 2^32
        flush = std::feof(in) ? Z_FINISH : Z_NO_FLUSH;
        z.next_in = input.data();
        z.avail_in = static_cast<uInt>(got);
        do {
            z.next_out = output.data();
            z.avail_out = static_cast<uInt>(output.size());
            deflate(&z, flush);
            ok = WriteAll(out, output.data(), output.size() - z.avail_out, error);
        } while (ok && z.avail_out == 0);
    } while (ok && flush != Z_FINISH);
    deflateEnd(&z);
    if (!ok) return false;

    unsigned char trailer[8];
    PutLittleEndian(trailer, static_cast<std::uint32_t>(crc));
    PutLittleEndian(trailer + 4, length);
    return WriteAll(out, trailer, sizeof trailer, error);
}

bool Decompress(std::FILE* in, std::FILE* out, std::string& error) {
    z_stream z{};
    // 16 + MAX_WBITS: zlib reads the gzip header with all its optional fields, checks its header
    // CRC when present, and checks the trailer's CRC-32 and length against what it inflated.
    if (inflateInit2(&z, 16 + MAX_WBITS) != Z_OK) {
        error = "inflateInit2 failed";
        return false;
    }
    std::vector<unsigned char> input(BufferSize), output(BufferSize);
    int status = Z_OK;
    bool ok = true;
    bool sawInput = false;
    while (ok && status != Z_STREAM_END) {
        if (z.avail_in == 0) {
            const std::size_t got = std::fread(input.data(), 1, input.size(), in);
            if (std::ferror(in)) {
                error = "cannot read the source file";
                ok = false;
                break;
            }
            if (got == 0) {
                error = sawInput ? "the gzip data is truncated" : "the source file is empty";
                ok = false;
                break;
            }
            sawInput = true;
            z.next_in = input.data();
            z.avail_in = static_cast<uInt>(got);
        }
        z.next_out = output.data();
        z.avail_out = static_cast<uInt>(output.size());
        status = inflate(&z, Z_NO_FLUSH);
        if (status != Z_OK && status != Z_STREAM_END) {
            // Z_BUF_ERROR here means no progress was possible with the input at hand; more may come.
            if (status != Z_BUF_ERROR) {
                error = std::string("the gzip data is damaged: ") + (z.msg ? z.msg : "inflate failed");
                ok = false;
                break;
            }
        }
        ok = WriteAll(out, output.data(), output.size() - z.avail_out, error);
    }
    // A second member or trailing garbage means the file is not what the archive put there.
    if (ok && (z.avail_in > 0 || std::fgetc(in) != EOF)) {
        error = "the source file holds data after the gzip member";
        ok = false;
    }
    inflateEnd(&z);
    return ok;
}

}  // namespace gzipcodec
