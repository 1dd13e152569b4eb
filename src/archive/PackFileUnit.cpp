#include "archive/PackFileUnit.h"

#include <algorithm>
#include <climits>
#include <cstring>

#include "services/VQError.h"
#include "texts/Cp1252.h"

std::int64_t TMemoryStream::Read(void* buffer, std::int64_t count) {
    if (count <= 0 || position_ >= size_) return 0;
    const std::int64_t n = std::min(count, size_ - position_);
    std::memcpy(buffer, data_ + position_, static_cast<std::size_t>(n));
    position_ += n;
    return n;
}

TPackFiles::TPackFiles(TProgressEvent onProgress) : OnProgress(std::move(onProgress)) {}

namespace {
std::wstring At(std::int64_t position) { return L" at offset " + std::to_wstring(position); }
}  // namespace

std::int32_t TPackFiles::ReadInteger() {
    const std::int64_t position = ArchiveStream->Position();
    std::uint8_t b[4];
    // A short read must never become a value: it is where a truncated archive would otherwise
    // turn into a garbage length or count.
    if (ArchiveStream->Read(b, 4) != 4) throw EVQError(L"The archive ends inside a record" + At(position));
    const std::uint32_t value = b[0] | (b[1] << 8) | (b[2] << 16) | (static_cast<std::uint32_t>(b[3]) << 24);
    return static_cast<std::int32_t>(value);
}

std::string TPackFiles::ReadString() {
    const std::int64_t position = ArchiveStream->Position();
    const std::int32_t n = ReadInteger();
    if (n <= 0) return {};
    // Checked before allocating, so a damaged length cannot ask for gigabytes.
    if (n > ArchiveStream->Size() - ArchiveStream->Position())
        throw EVQError(L"The archive holds a string of length " + std::to_wstring(n) +
                       L" that reaches past its end" + At(position));
    std::string bytes(static_cast<std::size_t>(n), '\0');
    if (ArchiveStream->Read(bytes.data(), n) != n) throw EVQError(L"The archive ends inside a string" + At(position));
    return bytes;
}

bool TPackFiles::Load(TArchiveStream& stream, std::wstring& version) {
    version.clear();
    ArchiveStream = &stream;
    ReadInteger();  // format number: every value has always been read the same way
    version = cp1252::ToWide(ReadString());
    const std::int32_t count = ReadInteger();
    if (count <= 0) return false;

    // Entries and the total are taken over only when the whole table has been read, so a failed
    // Load leaves the reader as it was.
    std::vector<std::unique_ptr<TPackFile>> entries;
    std::int64_t total = TotalBytes;
    for (std::int32_t i = 0; i < count; ++i) {
        const std::int64_t recordStart = stream.Position();
        auto entry = std::make_unique<TPackFile>();
        entry->Size = ReadInteger();
        entry->FileName = cp1252::ToWide(ReadString());
        entry->Group = cp1252::ToWide(ReadString());
        entry->Root = cp1252::ToWide(ReadString());
        entry->Folder = cp1252::ToWide(ReadString());
        // Only the exact value 1 sets a flag.
        entry->Overwrite = ReadInteger() == 1;
        entry->Compressed = ReadInteger() == 1;
        entry->DeleteEntry = ReadInteger() == 1;
        entry->Owner = this;

        const std::int64_t dataOffset = stream.Position();
        const std::int64_t dataLength = entry->DeleteEntry ? 0 : entry->Size;
        if (dataLength < 0)
            throw EVQError(L"The archive entry " + std::to_wstring(i + 1) + L" has the negative size " +
                           std::to_wstring(dataLength) + At(recordStart));
        const std::int64_t dataEnd = dataOffset + dataLength;
        if (dataEnd > stream.Size())
            throw EVQError(L"The data of archive entry " + std::to_wstring(i + 1) + L" (" + entry->FileName +
                           L", " + std::to_wstring(dataLength) + L" bytes) reaches past the end of the archive" +
                           At(recordStart));
        // Offsets and counters are 32-bit throughout the setup; a larger archive is not one of ours.
        if (dataEnd > INT32_MAX) throw EVQError(L"The archive is larger than 2 GiB" + At(recordStart));
        entry->DataOffset = static_cast<std::int32_t>(dataOffset);
        stream.Seek(dataEnd);
        total += dataLength;
        entries.push_back(std::move(entry));
    }
    // dataEnd <= INT32_MAX bounds the sum of all data lengths, so 1 + that sum still fits.
    TotalBytes = static_cast<std::int32_t>(total);
    Entries = std::move(entries);
    return true;
}

void TPackFiles::ReportProgress(const std::wstring& group, const std::wstring& message, std::int32_t amount) {
    // Delete entries add sizes that the total never held, so the counter may run past the total;
    // it wraps like the 32-bit counter it is instead of overflowing into undefined behaviour.
    DoneBytes = static_cast<std::int32_t>(static_cast<std::uint32_t>(DoneBytes) + static_cast<std::uint32_t>(amount));
    if (OnProgress) OnProgress(group, message, DoneBytes, TotalBytes);
}

void TPackFile::Skip(const std::wstring& message) { Owner->ReportProgress(Group, message, Size); }

void TPackFile::CheckPath() const {
    if (!IsSafeEntryPath(Folder, FileName))
        throw EVQError(L"The archive entry \"" + Folder + (Folder.empty() ? L"" : L"\\") + FileName +
                       L"\" would leave its target folder");
}

namespace {
bool IsSeparator(wchar_t c) { return c == L'\\' || c == L'/'; }

bool IsReservedDeviceName(const std::wstring& part) {
    // Windows opens the device for these names in any folder and with any extension.
    std::wstring base = part.substr(0, part.find(L'.'));
    while (!base.empty() && base.back() == L' ') base.pop_back();
    for (auto& c : base)
        if (c >= L'a' && c <= L'z') c = static_cast<wchar_t>(c - L'a' + L'A');
    static const wchar_t* const names[] = {L"CON", L"PRN", L"AUX", L"NUL", L"CONIN$", L"CONOUT$"};
    for (const wchar_t* name : names)
        if (base == name) return true;
    return base.size() == 4 && (base.rfind(L"COM", 0) == 0 || base.rfind(L"LPT", 0) == 0) && base[3] >= L'1' &&
           base[3] <= L'9';
}

// A part of only dots and blanks is ".." or "." once Windows has trimmed its trailing dots and
// blanks.
bool IsDotsOnly(const std::wstring& part) {
    return part.find_first_not_of(L". ") == std::wstring::npos;
}

bool IsSafePart(const std::wstring& part) {
    if (part.empty() || IsDotsOnly(part) || IsReservedDeviceName(part)) return false;
    for (wchar_t c : part)
        if (c < 32 || c == L':' || c == L'*' || c == L'?' || c == L'"' || c == L'<' || c == L'>' || c == L'|')
            return false;
    return true;
}
}  // namespace

bool IsSafeEntryPath(const std::wstring& folder, const std::wstring& fileName) {
    if (!IsSafePart(fileName) || std::any_of(fileName.begin(), fileName.end(), IsSeparator)) return false;
    return IsSafeFolder(folder);
}

bool IsValidRootWord(const std::wstring& root) {
    if (root == L"PROGRAM" || root == L"UNINST" || root == L"DATA" || root == L"USER") return true;
    return root.size() > 5 && root.compare(0, 4, L"USER") == 0 && IsSeparator(root[4]) && IsSafeFolder(root.substr(5));
}

bool IsSafeFolder(const std::wstring& folder) {
    if (folder.empty()) return true;
    if (IsSeparator(folder.front())) return false;  // absolute or UNC
    // One trailing backslash is tolerated: AddBackslash keeps the folder as it is.
    const std::size_t end = IsSeparator(folder.back()) ? folder.size() - 1 : folder.size();
    std::size_t start = 0;
    while (start <= end) {
        std::size_t stop = start;
        while (stop < end && !IsSeparator(folder[stop])) ++stop;
        if (!IsSafePart(folder.substr(start, stop - start))) return false;
        start = stop + 1;
    }
    return true;
}
