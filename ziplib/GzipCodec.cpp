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

struct Inflater::State {
    explicit State(Sink s) : sink(std::move(s)), output(BufferSize) {}
    Sink sink;
    z_stream z{};
    bool initialised = false;
    bool ended = false;   // the member's end was read
    bool failed = false;
    bool sawInput = false;
    std::vector<unsigned char> output;
};

Inflater::Inflater(Sink sink) : state_(std::make_unique<State>(std::move(sink))) {
    // 16 + MAX_WBITS: zlib reads the gzip header with all its optional fields, checks its header
    // CRC when present, and checks the trailer's CRC-32 and length against what it inflated.
    state_->initialised = inflateInit2(&state_->z, 16 + MAX_WBITS) == Z_OK;
}

Inflater::~Inflater() {
    if (state_->initialised) inflateEnd(&state_->z);
}

bool Inflater::Feed(const void* data, std::size_t size, std::string& error) {
    State& st = *state_;
    if (!st.initialised) {
        error = "inflateInit2 failed";
        return false;
    }
    if (st.failed) {
        error = "the inflater has failed before";
        return false;
    }
    if (size == 0) return true;
    st.sawInput = true;
    // A second member or trailing garbage means the data is not what the archive put there.
    if (st.ended) {
        error = "the gzip data holds bytes after its member";
        st.failed = true;
        return false;
    }
    st.z.next_in = static_cast<Bytef*>(const_cast<void*>(data));
    st.z.avail_in = static_cast<uInt>(size);
    while (st.z.avail_in > 0 && !st.ended) {
        st.z.next_out = st.output.data();
        st.z.avail_out = static_cast<uInt>(st.output.size());
        const int status = inflate(&st.z, Z_NO_FLUSH);
        // Z_BUF_ERROR here means no progress was possible with the input at hand; more may come.
        if (status != Z_OK && status != Z_STREAM_END && status != Z_BUF_ERROR) {
            error = std::string("the gzip data is damaged: ") + (st.z.msg ? st.z.msg : "inflate failed");
            st.failed = true;
            return false;
        }
        const std::size_t produced = st.output.size() - st.z.avail_out;
        if (produced > 0 && !st.sink(st.output.data(), produced, error)) {
            st.failed = true;
            return false;
        }
        if (status == Z_STREAM_END) st.ended = true;
        if (status == Z_BUF_ERROR && produced == 0) break;
    }
    if (st.ended && st.z.avail_in > 0) {
        error = "the gzip data holds bytes after its member";
        st.failed = true;
        return false;
    }
    return true;
}

bool Inflater::Finish(std::string& error) {
    State& st = *state_;
    if (st.failed) {
        error = "the inflater has failed before";
        return false;
    }
    if (!st.ended) {
        error = st.sawInput ? "the gzip data is truncated" : "the gzip data is empty";
        st.failed = true;
        return false;
    }
    return true;
}

bool Decompress(std::FILE* in, std::FILE* out, std::string& error) {
    Inflater inflater(
        [out](const unsigned char* data, std::size_t size, std::string& e) { return WriteAll(out, data, size, e); });
    std::vector<unsigned char> input(BufferSize);
    for (;;) {
        const std::size_t got = std::fread(input.data(), 1, input.size(), in);
        if (std::ferror(in)) {
            error = "cannot read the source file";
            return false;
        }
        if (got == 0) break;
        if (!inflater.Feed(input.data(), got, error)) return false;
    }
    return inflater.Finish(error);
}

}  // namespace gzipcodec
