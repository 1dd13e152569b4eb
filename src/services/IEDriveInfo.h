#pragma once
// What the setup knows about the drives A to Z. A record is filled only on request and only with
// what was asked for: media, size and volume data cost an access to the drive, and on a removable
// drive without media that access would otherwise bring up the system's error box.
#include <windows.h>

#include <array>
#include <cstdint>
#include <functional>
#include <string>

struct TDriveInfoRec {
    bool Scanned = false;
    bool Valid = false;         // DriveType is 2 (removable) to 6 (RAM disk)
    bool MediaPresent = false;  // the last volume request found a size greater than 0
    int32_t DriveType = DRIVE_UNKNOWN;
    std::wstring DisplayName;
    std::wstring ShortCaption;  // "X: " + short name
    std::wstring LongCaption;   // "X: " + long name; a network drive's remote path
    uint32_t SerialNumber = 0;
    int64_t Size = -1;          // -1 while never read, 0 for a drive that is not valid
    int32_t ImageIndex = 0;     // small icon in the system image list; 0 while not fetched
    std::wstring FileSystem;
    uint32_t FileSystemFlags = 0;

    bool operator==(const TDriveInfoRec&) const = default;
};

// Requests for ReadDriveInfo, combined with |.
using DriveInfoRequest = uint8_t;
constexpr DriveInfoRequest RequestIcon = 1;
constexpr DriveInfoRequest RequestVolume = 2;
constexpr DriveInfoRequest RequestNames = 4;

struct TVolumeData {
    std::wstring Label;
    uint32_t SerialNumber = 0;
    uint32_t FileSystemFlags = 0;
    std::wstring FileSystem;
};

// The system queries behind TDriveInfo. Windows() reaches the real ones; a test replaces single
// members to produce drives no test machine has (an empty card reader, a labelled CD, a share).
// TDriveInfo sets the error mode around the queries that may touch the media, not the queries.
struct TDriveSystem {
    std::function<UINT(const std::wstring& root)> DriveType;
    std::function<int64_t(const std::wstring& root)> TotalSize;  // -1 when the query fails
    std::function<bool(const std::wstring& root, TVolumeData& volume)> Volume;
    std::function<std::wstring(const std::wstring& root)> ShellDisplayName;  // empty when none
    std::function<std::wstring(const std::wstring& localName)> RemotePath;   // empty when none
    std::function<int32_t(const std::wstring& root)> SmallIconIndex;

    static TDriveSystem Windows();
};

// The captions of a drive whose display name is known (remotePath only counts for type 4).
struct TDriveCaptions {
    std::wstring ShortCaption;
    std::wstring LongCaption;
};
TDriveCaptions MakeDriveCaptions(wchar_t letter, int32_t driveType, const std::wstring& displayName,
                                 const std::wstring& remotePath);
// A CD-ROM drive is named after its volume label: "AUDIO CD" in drive R becomes "Audio cd (R:)".
std::wstring CdRomDisplayName(wchar_t letter, const std::wstring& label);

class TDriveInfo {
public:
    TDriveInfo() : TDriveInfo(TDriveSystem::Windows()) {}
    explicit TDriveInfo(TDriveSystem system);
    TDriveInfo(const TDriveInfo&) = delete;
    TDriveInfo& operator=(const TDriveInfo&) = delete;

    // Re-reads the drive's record as requested and returns its new Valid. Lower-case letters count
    // as upper case; anything else outside A to Z throws EVQError and leaves the records alone.
    bool ReadDriveInfo(wchar_t letter, DriveInfoRequest requests);
    // The record as the construction or the last ReadDriveInfo left it; reads nothing.
    TDriveInfoRec GetDriveInfo(wchar_t letter) const;

private:
    TDriveSystem system_;
    std::array<TDriveInfoRec, 26> records_;
};
