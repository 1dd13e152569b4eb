// Writing one archive entry to disk. Windows only; the reader itself is portable.
#include <vector>

#include "archive/FileCompress.h"
#include "archive/PackFileUnit.h"
#include "services/Handles.h"
#include "services/UtillityUnit.h"
#include "services/VQError.h"

namespace {
constexpr std::int32_t ChunkSize = 10000;

// A write may take fewer bytes than offered without failing (Wine does so when the disk fills up):
// the rest is offered again, and the write that cannot take anything tells why.
bool WriteAll(HANDLE file, const std::uint8_t* data, DWORD size) {
    while (size > 0) {
        DWORD written = 0;
        if (!::WriteFile(file, data, size, &written, nullptr)) return false;
        if (written == 0) {
            ::SetLastError(ERROR_DISK_FULL);
            return false;
        }
        data += written;
        size -= written;
    }
    return true;
}

// Copies the entry's bytes from the archive into the existing file at path, which the caller
// created. Progress and errors name shownPath, the file the user knows. Any failure removes what
// was written: a truncated file left behind would later be kept as if installed.
void CopyEntryData(TPackFile& entry, const std::wstring& path, const std::wstring& shownPath) {
    TPackFiles& owner = *entry.Owner;
    FileHandle file(::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL,
                                  nullptr));
    if (!file)
        throw EVQError(L"Cannot create file " + shownPath + L" (" + std::to_wstring(::GetLastError()) + L")");

    const auto failAndRemove = [&](const std::wstring& message) {
        file.reset();
        ::DeleteFileW(path.c_str());
        return EVQError(message);
    };
    const std::wstring message = shownPath + L"(" + std::to_wstring(entry.Size) + L")";
    std::vector<std::uint8_t>& buffer = owner.CopyBuffer;
    buffer.resize(ChunkSize);
    owner.ArchiveStream->Seek(entry.DataOffset);
    // Size div ChunkSize full chunks, then the tail, which runs even when empty: every written
    // entry gives Size div 10000 + 1 progress reports.
    const std::int32_t chunks = entry.Size / ChunkSize;
    for (std::int32_t i = 0; i <= chunks; ++i) {
        const std::int32_t wanted = i < chunks ? ChunkSize : entry.Size % ChunkSize;
        const auto n = static_cast<std::int32_t>(owner.ArchiveStream->Read(buffer.data(), wanted));
        if (n != wanted)
            throw failAndRemove(L"Cannot read " + std::to_wstring(wanted) + L" bytes of " + entry.FileName +
                                L" from the archive, got " + std::to_wstring(n));
        owner.ReportProgress(entry.Group, message, n);
        if (!WriteAll(file.get(), buffer.data(), static_cast<DWORD>(n)))
            throw failAndRemove(L"Cannot write file " + shownPath + L" (" + std::to_wstring(::GetLastError()) + L")");
    }
    // Data still cached can fail to reach the disk; only a successful close counts.
    if (!::CloseHandle(file.release()))
        throw failAndRemove(L"Cannot write file " + shownPath + L" (" + std::to_wstring(::GetLastError()) + L")");
}

// A stored entry goes into a new file beside its target, which replaces the target only when it
// is complete: a full disk or a broken archive must not cost the user the installed copy.
void WriteStoredEntry(TPackFile& entry, const std::wstring& targetFolder, const std::wstring& targetPath) {
    const auto cannotCreate = [&](DWORD error) {
        return EVQError(L"Cannot create file " + targetPath + L" (" + std::to_wstring(error) + L")");
    };
    wchar_t name[MAX_PATH + 1] = {};
    if (!::GetTempFileNameW(targetFolder.c_str(), L"vqs", 0, name)) throw cannotCreate(::GetLastError());
    TemporaryFile fresh(name);
    CopyEntryData(entry, fresh.Path(), targetPath);
    if (!::MoveFileExW(fresh.Path().c_str(), targetPath.c_str(), MOVEFILE_REPLACE_EXISTING))
        throw cannotCreate(::GetLastError());
    fresh.Keep();
}
}  // namespace

TPackFile::Outcome TPackFile::Extract(const std::wstring& rootFolder) {
    CheckPath();
    const std::wstring targetFolder = rootFolder + Utillity::AddBackslash(Folder);
    const std::wstring targetPath = targetFolder + FileName;

    if (DeleteEntry) {
        // Only the file this entry describes goes; one of another size is someone else's.
        bool removed = false;
        if (Utillity::FileExists(targetPath) && static_cast<std::int32_t>(Utillity::GetFileSize(targetPath)) == Size)
            removed = Utillity::RemoveFile(targetPath);
        Owner->ReportProgress(Group, L"DELETE:" + targetPath, Size);
        return removed ? Outcome::Deleted : Outcome::NotDeleted;
    }
    if (Utillity::FileExists(targetPath) && !Overwrite) {
        Owner->ReportProgress(Group, L"NO_OVERWRITE:" + targetPath, Size);
        return Outcome::Kept;
    }
    // A folder that cannot be made shows up as the file that cannot be created.
    if (!Utillity::DirExists(targetFolder)) Utillity::MakeFolderPath(targetFolder);
    if (!Compressed) {
        WriteStoredEntry(*this, targetFolder, targetPath);
        return Outcome::Written;
    }
    // Created by MakeTempFileName already; removed when it cannot even be opened for writing.
    const std::wstring writePath = Utillity::MakeTempFileName();
    try {
        CopyEntryData(*this, writePath, writePath);
    } catch (...) {
        ::DeleteFileW(writePath.c_str());
        throw;
    }

    // The archive places ziplib.dll just before its first compressed entry, in that entry's folder.
    if (!Owner->Compressor) Owner->Compressor = std::make_shared<TFileCompress>(targetFolder + L"ziplib.dll");
    std::wstring errorText;
    if (Owner->Compressor->DeflateFile(writePath, targetPath, errorText) != 0)
        throw EVQError(L"Error Deflate " + errorText);
    Utillity::RemoveFile(writePath);
    return Outcome::Written;
}
