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

// Hands the entry's bytes, as read from the archive, to take, in pieces of 10000 bytes: Size div
// 10000 full pieces, then the tail, which comes even when empty. So every written entry gives
// Size div 10000 + 1 progress reports, each made before its piece is taken.
template <class Take>
void ForEachPiece(TPackFile& entry, const std::wstring& message, Take&& take) {
    TPackFiles& owner = *entry.Owner;
    std::vector<std::uint8_t>& buffer = owner.CopyBuffer;
    buffer.resize(ChunkSize);
    owner.ArchiveStream->Seek(entry.DataOffset);
    const std::int32_t chunks = entry.Size / ChunkSize;
    for (std::int32_t i = 0; i <= chunks; ++i) {
        const std::int32_t wanted = i < chunks ? ChunkSize : entry.Size % ChunkSize;
        const auto n = static_cast<std::int32_t>(owner.ArchiveStream->Read(buffer.data(), wanted));
        if (n != wanted)
            throw EVQError(L"Cannot read " + std::to_wstring(wanted) + L" bytes of " + entry.FileName +
                           L" from the archive, got " + std::to_wstring(n));
        owner.ReportProgress(entry.Group, message, n);
        take(buffer.data(), n);
    }
}

std::wstring PieceMessage(const TPackFile& entry, const std::wstring& shownPath) {
    return shownPath + L"(" + std::to_wstring(entry.Size) + L")";
}

// Writes the entry's bytes from the archive into file, made for them just now, and closes it.
// Progress and errors name shownPath, the file the user knows; the caller removes the file when
// this fails.
void WriteEntryData(TPackFile& entry, FileHandle file, const std::wstring& shownPath) {
    const auto cannotWrite = [&] {
        return EVQError(L"Cannot write file " + shownPath + L" (" + std::to_wstring(::GetLastError()) + L")");
    };
    ForEachPiece(entry, PieceMessage(entry, shownPath), [&](const std::uint8_t* data, std::int32_t n) {
        if (!WriteAll(file.get(), data, static_cast<DWORD>(n))) throw cannotWrite();
    });
    // Data still cached can fail to reach the disk; only a successful close counts.
    if (!::CloseHandle(file.release())) throw cannotWrite();
}

FileHandle CreateForWriting(const std::wstring& path, DWORD disposition) {
    return FileHandle(
        ::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, disposition, FILE_ATTRIBUTE_NORMAL, nullptr));
}

EVQError CannotCreate(const std::wstring& path, DWORD error) {
    return EVQError(L"Cannot create file " + path + L" (" + std::to_wstring(error) + L")");
}

// Copies the entry's bytes into the existing file at path, which the caller created and removes
// when this fails.
void CopyEntryData(TPackFile& entry, const std::wstring& path, const std::wstring& shownPath) {
    FileHandle file = CreateForWriting(path, CREATE_ALWAYS);
    if (!file) throw CannotCreate(shownPath, ::GetLastError());
    WriteEntryData(entry, std::move(file), shownPath);
}

// A stored entry whose target exists goes into a new file beside it, which replaces the target
// only when it is complete: a full disk or a broken archive must not cost the user the installed
// copy. Without a target there is nothing to protect, and the file is written in its place; what
// cannot be completed is removed again.
void WriteStoredEntry(TPackFile& entry, const std::wstring& targetFolder, const std::wstring& targetPath,
                      bool targetExists) {
    if (!targetExists) {
        FileHandle file = CreateForWriting(targetPath, CREATE_NEW);
        if (file) {
            TemporaryFile partial(targetPath);
            WriteEntryData(entry, std::move(file), targetPath);
            partial.Keep();
            return;
        }
        const DWORD error = ::GetLastError();
        // A file that has appeared since is replaced like any other.
        if (error != ERROR_FILE_EXISTS && error != ERROR_ALREADY_EXISTS) throw CannotCreate(targetPath, error);
    }
    wchar_t name[MAX_PATH + 1] = {};
    if (!::GetTempFileNameW(targetFolder.c_str(), L"vqs", 0, name)) throw CannotCreate(targetPath, ::GetLastError());
    TemporaryFile fresh(name);
    CopyEntryData(entry, fresh.Path(), targetPath);
    if (!::MoveFileExW(fresh.Path().c_str(), targetPath.c_str(), MOVEFILE_REPLACE_EXISTING))
        throw CannotCreate(targetPath, ::GetLastError());
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
    const bool targetExists = Utillity::FileExists(targetPath);
    if (targetExists && !Overwrite) {
        Owner->ReportProgress(Group, L"NO_OVERWRITE:" + targetPath, Size);
        return Outcome::Kept;
    }
    // A folder that cannot be made shows up as the file that cannot be created.
    if (!Utillity::DirExists(targetFolder)) Utillity::MakeFolderPath(targetFolder);
    if (!Compressed) {
        WriteStoredEntry(*this, targetFolder, targetPath, targetExists);
        return Outcome::Written;
    }
    // The archive places ziplib.dll just before its first compressed entry, in that entry's folder.
    if (!Owner->Compressor) Owner->Compressor = std::make_shared<TFileCompress>(targetFolder + L"ziplib.dll");
    if (Owner->Compressor->InflatesFromMemory()) {
        // Straight from the archive into the target: the library writes beside it and replaces it
        // only once the member has proved intact.
        TFileCompress::Inflation inflation(*Owner->Compressor, targetPath);
        ForEachPiece(*this, PieceMessage(*this, targetPath), [&](const std::uint8_t* data, std::int32_t n) {
            inflation.Write(data, static_cast<unsigned>(n));
        });
        inflation.Commit();
        return Outcome::Written;
    }
    // A library that decompresses from file to file only: through a temporary file of the setup's
    // own, which is scratch and goes for good (not to the recycle bin), also after a failure.
    TemporaryFile member(Utillity::MakeTempFileName());
    CopyEntryData(*this, member.Path(), member.Path());
    std::wstring errorText;
    if (Owner->Compressor->DeflateFile(member.Path(), targetPath, errorText) != 0)
        throw EVQError(L"Error Deflate " + errorText);
    return Outcome::Written;
}
