#include "archive/ResourceStream.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "services/Handles.h"
#include "services/VQError.h"

TMemoryStream OpenResourceStream(HMODULE module, const std::wstring& name) {
    HRSRC info = ::FindResourceW(module, name.c_str(), RT_RCDATA);
    if (!info) throw EVQError(L"Cannot find resource " + name + L" (" + std::to_wstring(::GetLastError()) + L")");
    const DWORD size = ::SizeofResource(module, info);
    HGLOBAL loaded = ::LoadResource(module, info);
    const void* data = loaded ? ::LockResource(loaded) : nullptr;
    if (!data) throw EVQError(L"Cannot load resource " + name + L" (" + std::to_wstring(::GetLastError()) + L")");
    return TMemoryStream(data, size);
}

namespace {
// Reads a range of a file through a buffer of its own: the archive's records are many small reads,
// its data a few large ones.
class TFileRangeStream final : public TArchiveStream {
public:
    TFileRangeStream(FileHandle file, std::int64_t offset, std::int64_t size)
        : file_(std::move(file)), offset_(offset), size_(size), buffer_(BufferSize) {}

    std::int64_t Read(void* target, std::int64_t count) override {
        auto* out = static_cast<std::uint8_t*>(target);
        std::int64_t done = 0;
        count = std::min(count, size_ - position_);
        while (done < count) {
            if (position_ >= bufferStart_ && position_ < bufferStart_ + bufferLength_) {
                const std::int64_t n = std::min(count - done, bufferStart_ + bufferLength_ - position_);
                std::memcpy(out + done, buffer_.data() + (position_ - bufferStart_), static_cast<size_t>(n));
                done += n;
                position_ += n;
            } else if (count - done >= BufferSize) {
                // A large read goes past the buffer, straight into its target.
                const std::int64_t n = ReadAt(position_, out + done, count - done);
                if (n <= 0) break;
                done += n;
                position_ += n;
            } else {
                bufferStart_ = position_;
                bufferLength_ = std::max<std::int64_t>(0, ReadAt(position_, buffer_.data(), BufferSize));
                if (bufferLength_ == 0) break;
            }
        }
        return done;
    }
    void Seek(std::int64_t position) override { position_ = std::max<std::int64_t>(0, position); }
    std::int64_t Position() const override { return position_; }
    std::int64_t Size() const override { return size_; }

private:
    static constexpr std::int64_t BufferSize = 64 * 1024;

    std::int64_t ReadAt(std::int64_t position, std::uint8_t* target, std::int64_t count) {
        count = std::min(count, size_ - position);
        std::int64_t done = 0;
        while (done < count) {
            OVERLAPPED at{};
            const std::int64_t where = offset_ + position + done;
            at.Offset = static_cast<DWORD>(where);
            at.OffsetHigh = static_cast<DWORD>(where >> 32);
            DWORD got = 0;
            const DWORD want = static_cast<DWORD>(std::min<std::int64_t>(count - done, 1 << 30));
            if (!::ReadFile(file_.get(), target + done, want, &got, &at) || got == 0) break;
            done += got;
        }
        return done;
    }

    FileHandle file_;
    std::int64_t offset_, size_;
    std::int64_t position_ = 0;
    std::vector<std::uint8_t> buffer_;
    std::int64_t bufferStart_ = 0, bufferLength_ = 0;
};

// Where the bytes at data, which lie in the mapped image of module, are in the module's file; -1
// when they lie in no section's raw data.
std::int64_t FileOffsetOf(HMODULE module, const void* data, std::int64_t size) {
    const auto* base = reinterpret_cast<const std::uint8_t*>(module);
    const auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(base);
    if (dos->e_magic != IMAGE_DOS_SIGNATURE) return -1;
    const auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS*>(base + dos->e_lfanew);
    if (nt->Signature != IMAGE_NT_SIGNATURE) return -1;
    const std::int64_t rva = static_cast<const std::uint8_t*>(data) - base;
    const IMAGE_SECTION_HEADER* section = IMAGE_FIRST_SECTION(nt);
    for (WORD i = 0; i < nt->FileHeader.NumberOfSections; ++i, ++section) {
        const std::int64_t start = section->VirtualAddress, raw = section->SizeOfRawData;
        if (rva >= start && rva + size <= start + raw) return rva - start + section->PointerToRawData;
    }
    return -1;
}

std::wstring ModulePath(HMODULE module) {
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD n = ::GetModuleFileNameW(module, path.data(), static_cast<DWORD>(path.size()));
        if (n == 0) return {};
        if (n < path.size()) return path.substr(0, n);
        path.resize(path.size() * 2);
    }
}
}  // namespace

std::unique_ptr<TArchiveStream> OpenResourceFileStream(HMODULE module, const std::wstring& name) {
    TMemoryStream mapped = OpenResourceStream(module, name);
    HMODULE owner = module ? module : ::GetModuleHandleW(nullptr);
    std::vector<std::uint8_t> head(static_cast<size_t>(std::min<std::int64_t>(mapped.Size(), 4096)));
    const std::int64_t offset = FileOffsetOf(owner, mapped.Data(), mapped.Size());
    if (offset >= 0) {
        // Others may read the setup file meanwhile; it may even be replaced on disk (renamed away):
        // the open handle keeps reading what started.
        FileHandle file(::CreateFileW(ModulePath(owner).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_DELETE,
                                      nullptr, OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
        if (file) {
            auto stream = std::make_unique<TFileRangeStream>(std::move(file), offset, mapped.Size());
            // The same bytes as the mapping, or the file is not the image the module came from.
            if (stream->Read(head.data(), static_cast<std::int64_t>(head.size())) == static_cast<std::int64_t>(head.size()) &&
                std::memcmp(head.data(), mapped.Data(), head.size()) == 0) {
                stream->Seek(0);
                return stream;
            }
        }
    }
    return std::make_unique<TMemoryStream>(mapped);
}
