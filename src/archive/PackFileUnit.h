#pragma once
// The payload archive the setup carries, and its reader.
//
// Layout (all integers signed 32-bit little-endian; a string is an integer length n and n
// Windows-1252 bytes, empty when n <= 0):
//   header: format number, version string, entry count
//   per entry: Size, FileName, Group, Root, Folder, Overwrite, Compressed, DeleteEntry, then
//              Size data bytes unless DeleteEntry is 1.
// There is no index: the archive can only be walked front to back, which Load does once, reading
// the record headers and seeking over the data.
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "archive/ArchiveStream.h"

class TPackFiles;
class TFileCompress;

class TPackFile {
public:
    std::int32_t DataOffset = 0;  // stream position of the first data byte
    std::wstring FileName;
    std::wstring Group;
    std::wstring Root;
    std::wstring Folder;
    std::int32_t Size = 0;  // for a delete entry: the size a file must have to be deleted
    bool Overwrite = false;
    bool Compressed = false;
    bool DeleteEntry = false;
    TPackFiles* Owner = nullptr;  // not owned

    // What Extract did with the entry's file.
    enum class Outcome {
        Written,     // created, or replaced because the entry overwrites: the file is this entry's
        Kept,        // an existing file stayed, as the entry does not overwrite
        Deleted,     // a delete entry removed the file of its size
        NotDeleted,  // a delete entry found no file of its size
    };
    // Writes, keeps or deletes this entry's file below rootFolder (absolute, with trailing
    // backslash). Raises EVQError on any failure. Windows only.
    Outcome Extract(const std::wstring& rootFolder);
    // Counts the entry as done without touching any file.
    void Skip(const std::wstring& message);
    // Raises EVQError when the entry's folder or file name would leave its root folder.
    void CheckPath() const;
};

using TProgressEvent = std::function<void(const std::wstring& group, const std::wstring& message,
                                          std::int32_t done, std::int32_t total)>;

class TPackFiles {
public:
    explicit TPackFiles(TProgressEvent onProgress);
    TPackFiles(const TPackFiles&) = delete;
    TPackFiles& operator=(const TPackFiles&) = delete;

    // Reads the entry table. True when the archive holds at least one entry; version is set
    // whenever the header could be read. A damaged archive (one that ends inside a record, a
    // string or data length that does not fit) raises EVQError instead of yielding garbage.
    bool Load(TArchiveStream& stream, std::wstring& version);
    int Count() const { return static_cast<int>(Entries.size()); }
    // 0 <= index < Count(); anything else is the caller's error.
    TPackFile& Items(int index) { return *Entries.at(static_cast<std::size_t>(index)); }
    void ReportProgress(const std::wstring& group, const std::wstring& message, std::int32_t amount);

    TArchiveStream* ArchiveStream = nullptr;  // not owned; extraction seeks in it
    std::vector<std::unique_ptr<TPackFile>> Entries;
    std::int32_t DoneBytes = 0;
    // Starts at 1 so that a progress display never divides by zero, even for an archive of
    // delete entries only.
    std::int32_t TotalBytes = 1;
    // Made by the first compressed entry that is written. A shared owner binds its deleter where
    // the compressor is created, so this portable reader need not know the Windows type.
    std::shared_ptr<TFileCompress> Compressor;
    TProgressEvent OnProgress;
    // The one buffer this reader's entries are copied through, made by the first entry written.
    std::vector<std::uint8_t> CopyBuffer;

private:
    std::int32_t ReadInteger();
    std::string ReadString();
};

// False when an entry's folder or file name could place the file outside its root folder or onto
// a device: a ".." (or any all-dots) part, an absolute or UNC start, a ':' anywhere (drive
// letters, alternate data streams), an empty file name or one with a folder part, a reserved
// device name. Entries come from our own build, but the reader must not trust bytes it can be
// handed.
bool IsSafeEntryPath(const std::wstring& folder, const std::wstring& fileName);
// The same rule for a folder alone (backslash-separated parts, one trailing backslash tolerated).
bool IsSafeFolder(const std::wstring& folder);

// The target-root words an archive may use: "PROGRAM", "UNINST", "DATA", "USER", or "USER" followed
// by a separator (\ or /) and a safe sub-path below the data folder.
bool IsValidRootWord(const std::wstring& root);
