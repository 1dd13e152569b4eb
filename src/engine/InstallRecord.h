#pragma once
// The install record: what one installation placed on the machine, written by the install run into
// the uninstaller's folder and read back by VQUninstall.Exe, which removes nothing that is not in it.
//
// The file is UTF-8 text without a byte-order mark, one item per line, CR LF line ends, the fields
// of a line separated by one TAB (which no Windows path or value the setup writes can hold):
//
//   VQInstallRecord 1                      the format and its version (always the first line)
//   archive HF20220909                     the archive version of the last run that wrote the record
//   language en-US                         the language of that run
//   removable N                            Y for an installation onto a removable drive
//   programfolder / binfolder / uninstallfolder / datafolder PATH
//                                          the folders of the installation, each with a backslash
//   uninstaller PATH                       the uninstaller the uninstall entry starts (beside this file)
//   folder PATH                            a folder the setup created (in the order it did)
//   file SIZE PATH                         a file the setup created or replaced, with its size in bytes
//   link PATH                              a shortcut the setup made
//   ini PATH                               the application's INI file
//   filetype EXTENSION TYPENAME COMMAND    a file type, and the open command that makes it this installation's
//   key ROOT PATH                          a registry key the setup created (ROOT HKCU or HKLM), removed when empty
//   settings KEY INSTALLTIME               the current user's settings key and the InstallTime it holds
//   uninstallentry KEY UNINSTALLSTRING     the machine's uninstall entry and the UninstallString it holds
//   end LINES CRC32                        the number of lines before this one and the CRC-32 of their bytes
//
// The "end" line is last: a record cut short or changed in any byte is refused as a whole.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

constexpr wchar_t kInstallRecordFileName[] = L"VQInstallRecord.Txt";
constexpr int kInstallRecordVersion = 1;

struct RecordedFile {
    std::wstring Path;
    std::int64_t Size = 0;
    bool operator==(const RecordedFile&) const = default;
};

struct RecordedFileType {
    std::wstring Extension;    // ".qvbak"
    std::wstring TypeName;     // "VessasQuorin"
    std::wstring OpenCommand;  // the shell\open\command that points at this installation
    bool operator==(const RecordedFileType&) const = default;
};

// A registry key the setup owns, and the value that tells it is still this installation's.
struct RecordedKey {
    std::wstring Key;
    std::wstring Value;
    bool operator==(const RecordedKey&) const = default;
};

// A registry key that did not exist before the setup wrote below it.
struct CreatedKey {
    std::wstring Root;  // "HKCU" or "HKLM"
    std::wstring Path;
    bool operator==(const CreatedKey&) const = default;
};

struct InstallRecord {
    // --- the installation
    std::wstring Archive;
    std::wstring Language;
    bool Removable = false;
    std::wstring ProgramFolder, BinFolder, UninstallFolder, DataFolder;
    std::wstring Uninstaller;

    // --- what the setup placed
    std::vector<std::wstring> Folders;
    std::vector<RecordedFile> Files;
    std::vector<std::wstring> Links;
    std::wstring IniFile;
    std::vector<RecordedFileType> FileTypes;
    std::vector<CreatedKey> CreatedKeys;
    std::optional<RecordedKey> Settings;        // below HKEY_CURRENT_USER
    std::optional<RecordedKey> UninstallEntry;  // below HKEY_LOCAL_MACHINE

    // The run adds what it does. Paths compare without regard to the case of ASCII letters, as
    // the file system does for every path the setup builds; a repeated item replaces the earlier.
    void AddFolder(const std::wstring& path);
    void AddFile(const std::wstring& path, std::int64_t size);
    // A file the run deleted is no longer the installation's.
    void ForgetFile(const std::wstring& path);
    void AddLink(const std::wstring& path);
    void AddFileType(const RecordedFileType& type);
    void AddCreatedKey(const CreatedKey& key);

    const RecordedFile* FindFile(const std::wstring& path) const;
    bool HasFolder(const std::wstring& path) const;

    bool operator==(const InstallRecord&) const = default;
};

// The record's bytes. Raises EVQError for a field that holds a TAB, CR or LF, which the format
// cannot carry.
std::string FormatInstallRecord(const InstallRecord& record);
// The record of these bytes. Raises EVQError, saying what is wrong, for anything that is not a
// complete record of a version this program reads.
InstallRecord ParseInstallRecord(const std::string& bytes);

// Whether two paths name the same file as the setup writes them (ASCII letters in any case).
bool SamePath(const std::wstring& a, const std::wstring& b);

// CRC-32 as gzip and zip compute it (polynomial 0xEDB88320).
std::uint32_t Crc32(const std::string& bytes);
