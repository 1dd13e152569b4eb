// Drive information: types, media, volume data, names and icons of the drives A to Z.
#include "services/IEDriveInfo.h"

#include <shellapi.h>
#include <winnetwk.h>

#include <utility>

#include "services/UtillityUnit.h"
#include "services/VQError.h"

namespace {

// Switches the process's error mode for one query and restores it on every way out. Without it
// a drive without media answers a volume query with a system box waiting for a disk.
class ErrorModeScope {
public:
    explicit ErrorModeScope(UINT mode) : previous_(::SetErrorMode(mode)) {}
    ~ErrorModeScope() { ::SetErrorMode(previous_); }
    ErrorModeScope(const ErrorModeScope&) = delete;
    ErrorModeScope& operator=(const ErrorModeScope&) = delete;

private:
    UINT previous_;
};

size_t DriveIndex(wchar_t letter) {
    // Only a to z count as lower case: a letter outside ASCII never names a drive.
    const wchar_t upper = (letter >= L'a' && letter <= L'z') ? static_cast<wchar_t>(letter - L'a' + L'A') : letter;
    if (upper < L'A' || upper > L'Z') throw EVQError(std::wstring(1, letter) + L" is a invalid drive letter.");
    return static_cast<size_t>(upper - L'A');
}

bool IsValidDriveType(int32_t type) { return type >= DRIVE_REMOVABLE && type <= DRIVE_RAMDISK; }

// The shell ends a drive's name with " (X:)"; the captions put the letter in front instead, so a
// name whose first ")" closes that suffix loses its last five characters.
void CutDriveSuffix(std::wstring& caption) {
    const size_t close = caption.find(L')');
    if (close != std::wstring::npos && close + 1 == caption.size())
        caption.resize(caption.size() >= 5 ? caption.size() - 5 : 0);
}

std::wstring QueryShellDisplayName(const std::wstring& root) {
    SHFILEINFOW info = {};
    if (!::SHGetFileInfoW(root.c_str(), 0, &info, sizeof(info), SHGFI_DISPLAYNAME)) return {};
    return info.szDisplayName;
}

int32_t QuerySmallIconIndex(const std::wstring& root) {
    SHFILEINFOW info = {};
    if (!::SHGetFileInfoW(root.c_str(), 0, &info, sizeof(info), SHGFI_SYSICONINDEX | SHGFI_SMALLICON)) return 0;
    return info.iIcon;
}

int64_t QueryTotalSize(const std::wstring& root) {
    ULARGE_INTEGER total = {};
    if (!::GetDiskFreeSpaceExW(root.c_str(), nullptr, &total, nullptr)) return -1;
    return static_cast<int64_t>(total.QuadPart);
}

bool QueryVolumeData(const std::wstring& root, TVolumeData& volume) {
    // Room for any label: a label longer than the buffer would fail the whole query and with it
    // the serial number and the file system.
    wchar_t label[MAX_PATH + 1] = {};
    wchar_t fileSystem[MAX_PATH + 1] = {};
    DWORD serial = 0, maxComponent = 0, flags = 0;
    if (!::GetVolumeInformationW(root.c_str(), label, MAX_PATH + 1, &serial, &maxComponent, &flags, fileSystem,
                                 MAX_PATH + 1))
        return false;
    volume.Label = label;
    volume.SerialNumber = serial;
    volume.FileSystemFlags = flags;
    volume.FileSystem = fileSystem;
    return true;
}

std::wstring QueryRemotePath(const std::wstring& localName) {
    // mpr.dll is no known DLL of the system: imported, it would be looked for beside the setup
    // before the program could restrict the search. So it is loaded when first needed, by its
    // full path.
    using Proc = DWORD(WINAPI*)(LPCWSTR, LPWSTR, LPDWORD);
    static const Proc getConnection = [] {
        HMODULE mpr = Utillity::LoadSystemLibrary(L"mpr.dll");
        return mpr ? reinterpret_cast<Proc>(reinterpret_cast<void (*)()>(::GetProcAddress(mpr, "WNetGetConnectionW")))
                   : nullptr;
    }();
    if (!getConnection) return {};
    wchar_t remote[MAX_PATH + 1] = {};
    DWORD length = MAX_PATH + 1;
    if (getConnection(localName.c_str(), remote, &length) != NO_ERROR) return {};
    return remote;
}

}  // namespace

TDriveSystem TDriveSystem::Windows() {
    TDriveSystem system;
    system.DriveType = [](const std::wstring& root) { return ::GetDriveTypeW(root.c_str()); };
    system.TotalSize = QueryTotalSize;
    system.Volume = QueryVolumeData;
    system.ShellDisplayName = QueryShellDisplayName;
    system.RemotePath = QueryRemotePath;
    system.SmallIconIndex = QuerySmallIconIndex;
    return system;
}

TDriveCaptions MakeDriveCaptions(wchar_t letter, int32_t driveType, const std::wstring& displayName,
                                 const std::wstring& remotePath) {
    const std::wstring prefix = std::wstring(1, letter) + L": ";
    TDriveCaptions captions;
    if (driveType == DRIVE_REMOTE) {
        // A share's display name reads "share (\\server) (X:)": its first word is the short name.
        const size_t blank = displayName.find(L' ');
        captions.ShortCaption = prefix + (blank == std::wstring::npos ? std::wstring() : displayName.substr(0, blank));
        CutDriveSuffix(captions.ShortCaption);
        captions.LongCaption = prefix + remotePath;
    } else {
        captions.ShortCaption = prefix + displayName;
        CutDriveSuffix(captions.ShortCaption);
        captions.LongCaption = prefix + displayName;
        CutDriveSuffix(captions.LongCaption);
    }
    return captions;
}

std::wstring CdRomDisplayName(wchar_t letter, const std::wstring& label) {
    std::wstring name = label;
    if (name.size() > 1) ::CharLowerBuffW(name.data() + 1, static_cast<DWORD>(name.size() - 1));
    return name + L" (" + letter + L":)";
}

TDriveInfo::TDriveInfo(TDriveSystem system) : system_(std::move(system)) {
    for (size_t i = 0; i < records_.size(); ++i) {
        const std::wstring root{static_cast<wchar_t>(L'A' + i), L':', L'\\'};
        // The type query does not touch the media, so construction never waits for a drive.
        records_[i].DriveType = static_cast<int32_t>(system_.DriveType(root));
        records_[i].Valid = IsValidDriveType(records_[i].DriveType);
    }
}

TDriveInfoRec TDriveInfo::GetDriveInfo(wchar_t letter) const { return records_[DriveIndex(letter)]; }

bool TDriveInfo::ReadDriveInfo(wchar_t letter, DriveInfoRequest requests) {
    const size_t index = DriveIndex(letter);
    const wchar_t upper = static_cast<wchar_t>(L'A' + index);
    const std::wstring root{upper, L':', L'\\'};
    TDriveInfoRec& rec = records_[index];

    rec.Scanned = true;
    rec.DriveType = static_cast<int32_t>(system_.DriveType(root));
    rec.Valid = IsValidDriveType(rec.DriveType);
    if (!rec.Valid) {
        // FileSystem and ImageIndex stay: they describe the drive as last seen, not its absence.
        rec.Size = 0;
        rec.MediaPresent = false;
        rec.DisplayName.clear();
        rec.ShortCaption.clear();
        rec.LongCaption.clear();
        rec.SerialNumber = 0;
        return false;
    }

    std::wstring label;  // serves only the CD-ROM name of this call
    if (requests & RequestVolume) {
        ErrorModeScope quiet(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX);
        rec.Size = system_.TotalSize(root);
        rec.MediaPresent = rec.Size > 0;
        if (rec.MediaPresent) {
            TVolumeData volume;
            if (system_.Volume(root, volume)) {
                rec.SerialNumber = volume.SerialNumber;
                rec.FileSystemFlags = volume.FileSystemFlags;
                rec.FileSystem = volume.FileSystem;
                label = volume.Label;
            } else {
                rec.SerialNumber = 0;
                rec.FileSystem.clear();
            }
        } else {
            rec.SerialNumber = 0;
        }
    }

    if (requests & RequestNames) {
        if ((requests & RequestVolume) && !rec.MediaPresent) {
            // Asking the shell about an empty drive would touch it again for nothing.
            rec.DisplayName = std::wstring{upper, L':'};
            rec.ShortCaption = rec.DisplayName;
            rec.LongCaption = rec.DisplayName;
        } else {
            if (rec.DriveType == DRIVE_CDROM && !label.empty()) {
                rec.DisplayName = CdRomDisplayName(upper, label);
            } else {
                std::wstring name;
                {
                    ErrorModeScope quiet(SEM_FAILCRITICALERRORS);
                    name = system_.ShellDisplayName(root);
                }
                rec.DisplayName = name.empty() ? root : name;
            }
            const std::wstring remote =
                rec.DriveType == DRIVE_REMOTE ? system_.RemotePath(std::wstring{upper, L':'}) : std::wstring();
            TDriveCaptions captions = MakeDriveCaptions(upper, rec.DriveType, rec.DisplayName, remote);
            rec.ShortCaption = std::move(captions.ShortCaption);
            rec.LongCaption = std::move(captions.LongCaption);
        }
    }

    // The icon of a drive does not change while the setup runs; the shell is asked once.
    if ((requests & RequestIcon) && rec.ImageIndex == 0) {
        ErrorModeScope quiet(SEM_FAILCRITICALERRORS);
        rec.ImageIndex = system_.SmallIconIndex(root);
    }
    return true;
}
