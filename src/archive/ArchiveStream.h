#pragma once
// The archive is read through this narrow, read-only, seekable view. The setup hands the reader a
// view of its own resource memory; the host tool hands it a file's bytes. Nothing here copies the
// archive.
#include <cstddef>
#include <cstdint>

class TArchiveStream {
public:
    virtual ~TArchiveStream() = default;
    // Reads up to count bytes at the position and advances it; answers how many were read, which
    // is fewer than asked only at the end of the stream.
    virtual std::int64_t Read(void* buffer, std::int64_t count) = 0;
    // Positions are counted from the beginning; a position past the end is allowed and reads
    // nothing, as with any file.
    virtual void Seek(std::int64_t position) = 0;
    virtual std::int64_t Position() const = 0;
    virtual std::int64_t Size() const = 0;
};

// A stream over bytes that someone else owns and keeps alive (a locked resource, a loaded file).
class TMemoryStream final : public TArchiveStream {
public:
    TMemoryStream(const void* data, std::size_t size) noexcept
        : data_(static_cast<const std::uint8_t*>(data)), size_(static_cast<std::int64_t>(size)) {}

    std::int64_t Read(void* buffer, std::int64_t count) override;
    void Seek(std::int64_t position) override { position_ = position < 0 ? 0 : position; }
    std::int64_t Position() const override { return position_; }
    std::int64_t Size() const override { return size_; }
    const void* Data() const noexcept { return data_; }

private:
    const std::uint8_t* data_;
    std::int64_t size_;
    std::int64_t position_ = 0;
};
