// TDriveInfo: the caption rules, the letter check, what each request reads (against scripted
// drives), and real removable, network and CD-ROM drives defined in the Wine prefix.
#include <gtest/gtest.h>

#include "engine/InstallUnit.h"
#include "services/UtillityUnit.h"
#include "wizard/Controls.h"
#include "wizard/VQSetupUnit.h"
#include <windows.h>

#include <cstring>
#include <map>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "services/IEDriveInfo.h"
#include "services/VQError.h"
#include "WineDrives.h"

namespace {

TEST(DriveCaptions, Table) {
    const struct {
        wchar_t letter;
        int32_t type;
        const wchar_t* display;
        const wchar_t* remote;
        const wchar_t* shortCaption;
        const wchar_t* longCaption;
    } cases[] = {
        {L'E', DRIVE_REMOVABLE, L"Removable Disk (E:)", L"", L"E: Removable Disk", L"E: Removable Disk"},
        // The shell's name of a drive without a label: only the suffix, after a blank.
        {L'E', DRIVE_REMOVABLE, L" (E:)", L"", L"E: ", L"E: "},
        {L'C', DRIVE_FIXED, L"Local Disk (C:)", L"", L"C: Local Disk", L"C: Local Disk"},
        {L'R', DRIVE_CDROM, L"Audio cd (R:)", L"", L"R: Audio cd", L"R: Audio cd"},
        // A ")" before the end: the suffix is not recognised and stays.
        {L'F', DRIVE_REMOVABLE, L"Backup (2) (F:)", L"", L"F: Backup (2) (F:)", L"F: Backup (2) (F:)"},
        {L'F', DRIVE_REMOVABLE, L"Stick", L"", L"F: Stick", L"F: Stick"},
        {L'F', DRIVE_REMOVABLE, L"F:\\", L"", L"F: F:\\", L"F: F:\\"},
        // Shorter than the suffix: the cut stops at the empty caption, the long one keeps "X: ".
        {L'F', DRIVE_RAMDISK, L"(F:)", L"", L"F:", L"F:"},
        {L'F', DRIVE_RAMDISK, L")", L"", L"", L""},
        // Network: the first word of the display name, and the remote path uncut.
        {L'Z', DRIVE_REMOTE, L"Share (\\\\server) (Z:)", L"\\\\server\\share", L"Z: Share", L"Z: \\\\server\\share"},
        {L'Z', DRIVE_REMOTE, L"Share", L"\\\\server\\share", L"Z: ", L"Z: \\\\server\\share"},
        {L'N', DRIVE_REMOTE, L" (N:)", L"", L"N: ", L"N: "},
        {L'N', DRIVE_REMOTE, L"Data(1) x", L"\\\\srv\\d (old)", L"N: Da", L"N: \\\\srv\\d (old)"},
    };
    for (const auto& c : cases) {
        const TDriveCaptions captions = MakeDriveCaptions(c.letter, c.type, c.display, c.remote);
        EXPECT_EQ(captions.ShortCaption, c.shortCaption) << c.display;
        EXPECT_EQ(captions.LongCaption, c.longCaption) << c.display;
    }
}

TEST(CdRomDisplayName, KeepsTheFirstCharacterAndLowersTheRest) {
    const struct { const wchar_t* label; const wchar_t* name; } cases[] = {
        {L"AUDIO CD", L"Audio cd (R:)"},
        {L"x", L"x (R:)"},
        {L"eRGEBNIS 2024", L"ergebnis 2024 (R:)"},
        {L"\u00C4RGER \u00D6L", L"\u00C4rger \u00F6l (R:)"},
    };
    for (const auto& c : cases) EXPECT_EQ(CdRomDisplayName(L'R', c.label), c.name) << c.label;
}

// Drives as a script: what each query answers, how often it was asked, and the error mode the
// process had while the queries that may touch the media ran.
struct FakeDrive {
    UINT type = DRIVE_NO_ROOT_DIR;
    int64_t size = -1;
    bool volumeOk = false;
    TVolumeData volume{};
    std::wstring shellName{};
    std::wstring remote{};
    int32_t icon = 0;
};

struct FakeSystem {
    std::map<wchar_t, FakeDrive> drives;
    int sizeQueries = 0, volumeQueries = 0, nameQueries = 0, iconQueries = 0, remoteQueries = 0;
    std::vector<std::wstring> remoteNames;
    std::map<std::string, UINT> modes;
    bool throwOnSize = false;

    FakeDrive Drive(const std::wstring& root) const {
        auto it = drives.find(root[0]);
        return it == drives.end() ? FakeDrive() : it->second;
    }
    TDriveSystem Make() {
        TDriveSystem s;
        s.DriveType = [this](const std::wstring& root) { return Drive(root).type; };
        s.TotalSize = [this](const std::wstring& root) -> int64_t {
            ++sizeQueries;
            modes["size"] = ::GetErrorMode();
            if (throwOnSize) throw std::runtime_error("size");
            return Drive(root).size;
        };
        s.Volume = [this](const std::wstring& root, TVolumeData& volume) {
            ++volumeQueries;
            modes["volume"] = ::GetErrorMode();
            const FakeDrive d = Drive(root);
            if (d.volumeOk) volume = d.volume;
            return d.volumeOk;
        };
        s.ShellDisplayName = [this](const std::wstring& root) {
            ++nameQueries;
            modes["name"] = ::GetErrorMode();
            return Drive(root).shellName;
        };
        s.RemotePath = [this](const std::wstring& local) {
            ++remoteQueries;
            remoteNames.push_back(local);
            return Drive(local).remote;
        };
        s.SmallIconIndex = [this](const std::wstring& root) {
            ++iconQueries;
            modes["icon"] = ::GetErrorMode();
            return Drive(root).icon;
        };
        return s;
    }
};

std::vector<TDriveInfoRec> AllRecords(const TDriveInfo& info) {
    std::vector<TDriveInfoRec> records;
    for (wchar_t l = L'A'; l <= L'Z'; ++l) records.push_back(info.GetDriveInfo(l));
    return records;
}

TEST(DriveInfoLetters, OutsideAToZThrowAndChangeNothing) {
    FakeSystem fake;
    fake.drives[L'C'] = {.type = DRIVE_FIXED, .size = 100, .shellName = L"Local Disk (C:)"};
    TDriveInfo info(fake.Make());
    info.ReadDriveInfo(L'C', RequestNames);
    const auto before = AllRecords(info);
    for (wchar_t letter : {L'1', L'[', L'@', L'`', L'{', L' ', L'\u00E4', L'\u0130'}) {
        const std::wstring expected = std::wstring(1, letter) + L" is a invalid drive letter.";
        try {
            info.ReadDriveInfo(letter, RequestNames | RequestVolume | RequestIcon);
            ADD_FAILURE() << "ReadDriveInfo accepted " << static_cast<int>(letter);
        } catch (const EVQError& e) {
            EXPECT_EQ(e.Message(), expected);
        }
        try {
            info.GetDriveInfo(letter);
            ADD_FAILURE() << "GetDriveInfo accepted " << static_cast<int>(letter);
        } catch (const EVQError& e) {
            EXPECT_EQ(e.Message(), expected);
        }
    }
    EXPECT_TRUE(AllRecords(info) == before);
}

TEST(DriveInfoLetters, LowerCaseCountsAsUpperCase) {
    FakeSystem fake;
    fake.drives[L'C'] = {.type = DRIVE_FIXED, .size = 100, .shellName = L"Local Disk (C:)"};
    TDriveInfo info(fake.Make());
    EXPECT_TRUE(info.ReadDriveInfo(L'c', RequestNames));
    const TDriveInfoRec rec = info.GetDriveInfo(L'C');
    EXPECT_TRUE(rec.Scanned);
    EXPECT_EQ(rec.ShortCaption, L"C: Local Disk");
    EXPECT_TRUE(info.GetDriveInfo(L'c') == rec);
}

TEST(DriveInfo, ConstructionReadsOnlyTheTypes) {
    FakeSystem fake;
    fake.drives[L'C'] = {.type = DRIVE_FIXED, .size = 100, .volumeOk = true, .volume = {L"SYS", 7, 1, L"NTFS"}, .shellName = L"Local Disk (C:)", .icon = 5};
    fake.drives[L'E'] = {.type = DRIVE_REMOVABLE, .size = -1};
    fake.drives[L'Q'] = {.type = DRIVE_UNKNOWN};
    fake.drives[L'S'] = {.type = DRIVE_RAMDISK, .size = 10};
    fake.drives[L'T'] = {.type = 7};  // a type code the setup does not know
    const TDriveInfo info(fake.Make());
    EXPECT_EQ(fake.sizeQueries + fake.volumeQueries + fake.nameQueries + fake.iconQueries + fake.remoteQueries, 0);
    for (wchar_t l = L'A'; l <= L'Z'; ++l) {
        const TDriveInfoRec rec = info.GetDriveInfo(l);
        const UINT type = fake.Drive(std::wstring(1, l)).type;
        EXPECT_FALSE(rec.Scanned) << static_cast<char>(l);
        EXPECT_EQ(rec.DriveType, static_cast<int32_t>(type)) << static_cast<char>(l);
        EXPECT_EQ(rec.Valid, type >= 2 && type <= 6) << static_cast<char>(l);
        EXPECT_EQ(rec.Size, -1) << static_cast<char>(l);
        EXPECT_TRUE(rec.DisplayName.empty() && rec.ShortCaption.empty() && rec.LongCaption.empty());
        EXPECT_TRUE(rec.FileSystem.empty());
        EXPECT_EQ(rec.SerialNumber, 0u);
        EXPECT_EQ(rec.ImageIndex, 0);
    }
}

TEST(DriveInfo, NamesAloneNeverTouchTheMedia) {
    FakeSystem fake;
    fake.drives[L'E'] = {.type = DRIVE_REMOVABLE, .size = -1, .shellName = L"Removable Disk (E:)"};
    TDriveInfo info(fake.Make());
    EXPECT_TRUE(info.ReadDriveInfo(L'E', RequestNames));
    const TDriveInfoRec rec = info.GetDriveInfo(L'E');
    EXPECT_EQ(rec.DisplayName, L"Removable Disk (E:)");
    EXPECT_EQ(rec.ShortCaption, L"E: Removable Disk");
    EXPECT_EQ(rec.LongCaption, L"E: Removable Disk");
    EXPECT_EQ(rec.Size, -1);
    EXPECT_FALSE(rec.MediaPresent);
    EXPECT_EQ(fake.sizeQueries + fake.volumeQueries + fake.iconQueries + fake.remoteQueries, 0);
}

TEST(DriveInfo, DriveWithoutMediaIsNamedByItsLetterOnly) {
    for (int64_t size : {int64_t{-1}, int64_t{0}}) {
        FakeSystem fake;
        fake.drives[L'F'] = {.type = DRIVE_REMOVABLE, .size = size, .volumeOk = true, .volume = {L"OLD", 9, 3, L"FAT"}, .shellName = L"Card Reader (F:)"};
        TDriveInfo info(fake.Make());
        EXPECT_TRUE(info.ReadDriveInfo(L'F', RequestVolume | RequestNames)) << size;
        const TDriveInfoRec rec = info.GetDriveInfo(L'F');
        EXPECT_EQ(rec.DisplayName, L"F:");
        EXPECT_EQ(rec.ShortCaption, L"F:");
        EXPECT_EQ(rec.LongCaption, L"F:");
        EXPECT_EQ(rec.Size, size);
        EXPECT_FALSE(rec.MediaPresent);
        EXPECT_EQ(rec.SerialNumber, 0u);
        EXPECT_EQ(fake.volumeQueries + fake.nameQueries, 0) << "an empty drive is asked nothing more";
    }
}

TEST(DriveInfo, VolumeDataAndTheCdRomLabel) {
    FakeSystem fake;
    fake.drives[L'R'] = {.type = DRIVE_CDROM, .size = 650000000, .volumeOk = true, .volume = {L"AUDIO CD", 0xCAFE, 0x80005, L"CDFS"}, .shellName = L"CD Drive (R:)"};
    TDriveInfo info(fake.Make());

    // Without the volume request there is no label: the shell names the drive.
    EXPECT_TRUE(info.ReadDriveInfo(L'R', RequestNames));
    EXPECT_EQ(info.GetDriveInfo(L'R').DisplayName, L"CD Drive (R:)");

    EXPECT_TRUE(info.ReadDriveInfo(L'R', RequestVolume | RequestNames));
    TDriveInfoRec rec = info.GetDriveInfo(L'R');
    EXPECT_EQ(rec.DisplayName, L"Audio cd (R:)");
    EXPECT_EQ(rec.ShortCaption, L"R: Audio cd");
    EXPECT_EQ(rec.LongCaption, L"R: Audio cd");
    EXPECT_TRUE(rec.MediaPresent);
    EXPECT_EQ(rec.Size, 650000000);
    EXPECT_EQ(rec.SerialNumber, 0xCAFEu);
    EXPECT_EQ(rec.FileSystemFlags, 0x80005u);
    EXPECT_EQ(rec.FileSystem, L"CDFS");
    EXPECT_EQ(fake.nameQueries, 1);

    // A disc without a label falls back to the shell's name.
    fake.drives[L'R'].volume.Label.clear();
    EXPECT_TRUE(info.ReadDriveInfo(L'R', RequestVolume | RequestNames));
    EXPECT_EQ(info.GetDriveInfo(L'R').DisplayName, L"CD Drive (R:)");

    // A failing volume query forgets serial and file system, the size stays.
    fake.drives[L'R'].volumeOk = false;
    EXPECT_TRUE(info.ReadDriveInfo(L'R', RequestVolume | RequestNames));
    rec = info.GetDriveInfo(L'R');
    EXPECT_EQ(rec.SerialNumber, 0u);
    EXPECT_TRUE(rec.FileSystem.empty());
    EXPECT_TRUE(rec.MediaPresent);
    EXPECT_EQ(rec.DisplayName, L"CD Drive (R:)");
}

TEST(DriveInfo, NetworkDriveShowsItsRemotePath) {
    FakeSystem fake;
    fake.drives[L'Z'] = {.type = DRIVE_REMOTE, .size = 1, .shellName = L"Share (\\\\srv) (Z:)", .remote = L"\\\\srv\\Share"};
    fake.drives[L'Y'] = {.type = DRIVE_REMOTE, .size = 1, .shellName = L"Gone (\\\\old) (Y:)"};
    TDriveInfo info(fake.Make());
    EXPECT_TRUE(info.ReadDriveInfo(L'Z', RequestNames));
    EXPECT_TRUE(info.ReadDriveInfo(L'Y', RequestNames));
    EXPECT_EQ(fake.remoteNames, (std::vector<std::wstring>{L"Z:", L"Y:"}));
    EXPECT_EQ(info.GetDriveInfo(L'Z').ShortCaption, L"Z: Share");
    EXPECT_EQ(info.GetDriveInfo(L'Z').LongCaption, L"Z: \\\\srv\\Share");
    EXPECT_EQ(info.GetDriveInfo(L'Y').ShortCaption, L"Y: Gone");
    EXPECT_EQ(info.GetDriveInfo(L'Y').LongCaption, L"Y: ");
}

TEST(DriveInfo, NamelessDriveIsNamedByItsRoot) {
    FakeSystem fake;
    fake.drives[L'S'] = {.type = DRIVE_RAMDISK, .size = 1};
    TDriveInfo info(fake.Make());
    EXPECT_TRUE(info.ReadDriveInfo(L'S', RequestNames));
    EXPECT_EQ(info.GetDriveInfo(L'S').DisplayName, L"S:\\");
    EXPECT_EQ(info.GetDriveInfo(L'S').ShortCaption, L"S: S:\\");
}

TEST(DriveInfo, IconIsFetchedOnceAndOutlivesTheDrive) {
    FakeSystem fake;
    fake.drives[L'E'] = {.type = DRIVE_REMOVABLE, .size = 100, .volumeOk = true, .volume = {L"STICK", 1, 2, L"FAT32"}, .shellName = L"STICK (E:)", .icon = 7};
    TDriveInfo info(fake.Make());
    EXPECT_TRUE(info.ReadDriveInfo(L'E', RequestIcon | RequestVolume | RequestNames));
    fake.drives[L'E'].icon = 9;
    EXPECT_TRUE(info.ReadDriveInfo(L'E', RequestIcon));
    EXPECT_EQ(fake.iconQueries, 1);
    EXPECT_EQ(info.GetDriveInfo(L'E').ImageIndex, 7);

    // The stick is pulled: the record is cleared but keeps what describes the drive as last seen.
    fake.drives[L'E'].type = DRIVE_NO_ROOT_DIR;
    EXPECT_FALSE(info.ReadDriveInfo(L'E', RequestIcon | RequestVolume | RequestNames));
    const TDriveInfoRec rec = info.GetDriveInfo(L'E');
    EXPECT_TRUE(rec.Scanned);
    EXPECT_FALSE(rec.Valid);
    EXPECT_EQ(rec.DriveType, DRIVE_NO_ROOT_DIR);
    EXPECT_EQ(rec.Size, 0);
    EXPECT_FALSE(rec.MediaPresent);
    EXPECT_TRUE(rec.DisplayName.empty() && rec.ShortCaption.empty() && rec.LongCaption.empty());
    EXPECT_EQ(rec.SerialNumber, 0u);
    EXPECT_EQ(rec.FileSystem, L"FAT32");
    EXPECT_EQ(rec.ImageIndex, 7);
    EXPECT_EQ(fake.iconQueries, 1);
}

TEST(DriveInfo, EmptyRequestRefreshesOnlyTheType) {
    FakeSystem fake;
    fake.drives[L'E'] = {.type = DRIVE_REMOVABLE, .size = 100, .shellName = L"Stick (E:)"};
    TDriveInfo info(fake.Make());
    info.ReadDriveInfo(L'E', RequestNames);
    fake.drives[L'E'].type = DRIVE_RAMDISK;
    fake.drives[L'E'].shellName = L"Other (E:)";
    EXPECT_TRUE(info.ReadDriveInfo(L'E', 0));
    EXPECT_EQ(info.GetDriveInfo(L'E').DriveType, DRIVE_RAMDISK);
    EXPECT_EQ(info.GetDriveInfo(L'E').DisplayName, L"Stick (E:)");
    EXPECT_EQ(fake.nameQueries, 1);
}

// Restores the test process's error mode whatever a test leaves behind.
struct ErrorModeGuard {
    UINT saved = ::GetErrorMode();
    ~ErrorModeGuard() { ::SetErrorMode(saved); }
};

TEST(DriveInfo, QueriesRunWithoutSystemBoxesAndTheModeIsRestored) {
    ErrorModeGuard guard;
    FakeSystem fake;
    fake.drives[L'E'] = {.type = DRIVE_REMOVABLE, .size = 100, .volumeOk = true, .volume = {L"", 1, 2, L"FAT"}, .shellName = L"Stick (E:)", .icon = 4};
    TDriveInfo info(fake.Make());
    ::SetErrorMode(0);
    info.ReadDriveInfo(L'E', RequestIcon | RequestVolume | RequestNames);
    EXPECT_EQ(fake.modes["size"], static_cast<UINT>(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX));
    EXPECT_EQ(fake.modes["volume"], static_cast<UINT>(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX));
    EXPECT_EQ(fake.modes["name"], static_cast<UINT>(SEM_FAILCRITICALERRORS));
    EXPECT_EQ(fake.modes["icon"], static_cast<UINT>(SEM_FAILCRITICALERRORS));
    EXPECT_EQ(::GetErrorMode(), 0u);

    // Also when a query fails by throwing, and whatever mode the process had before.
    ::SetErrorMode(SEM_NOGPFAULTERRORBOX);
    fake.throwOnSize = true;
    EXPECT_THROW(info.ReadDriveInfo(L'E', RequestVolume), std::runtime_error);
    EXPECT_EQ(::GetErrorMode(), static_cast<UINT>(SEM_NOGPFAULTERRORBOX));
}

// Real drives in the Wine prefix, defined through Wine's mount manager (see WineDrives.h).
using namespace testsupport;
class SimulatedDrives : public ::testing::Test {
protected:
    struct Definition { wchar_t letter; UINT type; const wchar_t* folder; };
    // F points at a folder that does not exist: a card reader without a card.
    static constexpr Definition kDrives[] = {
        {L'E', DRIVE_REMOVABLE, L"stick"},
        {L'F', DRIVE_REMOVABLE, L"no-card"},
        {L'N', DRIVE_REMOTE, L"share"},
        {L'R', DRIVE_CDROM, L"disc"},
    };

    static void SetUpTestSuite() {
        prefix_ = WinePrefix();
        if (prefix_.empty()) return;
        root_ = prefix_ + L"/vq_drive_test";
        ::CreateDirectoryW(UnixToWindows(root_).c_str(), nullptr);
        for (const auto& d : kDrives) {
            const std::wstring folder = root_ + L"/" + d.folder;
            if (d.letter != L'F') ::CreateDirectoryW(UnixToWindows(folder).c_str(), nullptr);
            defined_ = DefineWineDrive(d.letter, d.type, folder) && defined_;
        }
    }

    static void TearDownTestSuite() {
        if (prefix_.empty()) return;
        for (const auto& d : kDrives) {
            DefineWineDrive(d.letter, DRIVE_NO_ROOT_DIR, L"");
            ::RemoveDirectoryW(UnixToWindows(root_ + L"/" + d.folder).c_str());
        }
        ::RemoveDirectoryW(UnixToWindows(root_).c_str());
    }

    void SetUp() override {
        if (prefix_.empty()) GTEST_SKIP() << "WINEPREFIX is not set: not running under Wine";
        ASSERT_TRUE(defined_) << "Wine's mount manager refused to define the test drives";
    }

    static inline std::wstring prefix_;
    static inline std::wstring root_;
    static inline bool defined_ = true;
};

TEST_F(SimulatedDrives, TypesAndNames) {
    TDriveInfo info;
    const struct { wchar_t letter; int32_t type; const wchar_t* suffix; } cases[] = {
        {L'C', DRIVE_FIXED, L"(C:)"},      {L'E', DRIVE_REMOVABLE, L"(E:)"}, {L'F', DRIVE_REMOVABLE, L"(F:)"},
        {L'N', DRIVE_REMOTE, L"(N:)"},     {L'R', DRIVE_CDROM, L"(R:)"},     {L'Z', DRIVE_FIXED, L"(Z:)"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(info.GetDriveInfo(c.letter).DriveType, c.type) << static_cast<char>(c.letter);
        EXPECT_TRUE(info.ReadDriveInfo(c.letter, RequestNames)) << static_cast<char>(c.letter);
        const TDriveInfoRec rec = info.GetDriveInfo(c.letter);
        EXPECT_EQ(rec.DriveType, c.type);
        EXPECT_TRUE(rec.Valid);
        const std::wstring suffix = c.suffix;
        ASSERT_GE(rec.DisplayName.size(), suffix.size()) << static_cast<char>(c.letter);
        EXPECT_EQ(rec.DisplayName.substr(rec.DisplayName.size() - suffix.size()), suffix);
        EXPECT_EQ(rec.ShortCaption.substr(0, 3), std::wstring(1, c.letter) + L": ");
        EXPECT_EQ(rec.ShortCaption.find(suffix), std::wstring::npos) << "the drive suffix is cut";
    }
    EXPECT_FALSE(info.ReadDriveInfo(L'Q', RequestNames));
    EXPECT_EQ(info.GetDriveInfo(L'Q').DriveType, DRIVE_NO_ROOT_DIR);
    EXPECT_EQ(info.GetDriveInfo(L'Q').Size, 0);
}

TEST_F(SimulatedDrives, VolumeOfAStickAndOfAnEmptyCardReader) {
    TDriveInfo info;
    const DWORD started = ::GetTickCount();
    EXPECT_TRUE(info.ReadDriveInfo(L'F', RequestVolume | RequestNames | RequestIcon));
    EXPECT_TRUE(info.ReadDriveInfo(L'E', RequestVolume | RequestNames | RequestIcon));
    EXPECT_LT(::GetTickCount() - started, 5000u) << "an empty drive must not block";

    const TDriveInfoRec empty = info.GetDriveInfo(L'F');
    EXPECT_FALSE(empty.MediaPresent);
    EXPECT_LE(empty.Size, 0);
    EXPECT_EQ(empty.DisplayName, L"F:");
    EXPECT_EQ(empty.ShortCaption, L"F:");
    EXPECT_EQ(empty.LongCaption, L"F:");

    const TDriveInfoRec stick = info.GetDriveInfo(L'E');
    EXPECT_TRUE(stick.MediaPresent);
    EXPECT_GT(stick.Size, 0);
    EXPECT_FALSE(stick.FileSystem.empty());
    EXPECT_NE(stick.ImageIndex, 0);
}

TEST_F(SimulatedDrives, TheDrivePageOffersRemovableAndNetworkDrivesOnly) {
    // What the drive page does: names alone for C to Z, fixed disks and CD-ROM drives left out.
    TDriveInfo info;
    std::wstring offered;
    for (wchar_t l = L'C'; l <= L'Z'; ++l) {
        if (!info.ReadDriveInfo(l, RequestNames)) continue;
        const TDriveInfoRec rec = info.GetDriveInfo(l);
        if (rec.DriveType != DRIVE_FIXED && rec.DriveType != DRIVE_CDROM) offered += l;
        EXPECT_EQ(rec.Size, -1) << "names alone read no size";
    }
    EXPECT_EQ(offered, L"EFN");
}

TEST_F(SimulatedDrives, AFirstPageFirstStartReadsTheDrivesWhenTheirPageShows) {
    TVQSetupForm form(StartupArgs{L"C:\\x\\VQSetup.exe", {}}, StartMode::FirstPageFirst);
    EXPECT_EQ(ctl::ComboCount(form.DriveComboBox), 0) << "not read before the page shows";
    // A stick put in after the start is offered, and the previous removable drive preselected.
    const std::wstring folder = root_ + L"/late-stick";
    ::CreateDirectoryW(UnixToWindows(folder).c_str(), nullptr);
    ASSERT_TRUE(DefineWineDrive(L'G', DRIVE_REMOVABLE, folder));
    form.Choices.RemoveableProgramFolder = L"n:\\VessasQuorin\\Prog";
    form.PageIndex = pgRemoveable;
    form.ShowPage();
    EXPECT_EQ(form.DriveLetters, L"EFGN");
    EXPECT_EQ(ctl::ComboCount(form.DriveComboBox), 4);
    EXPECT_EQ(ctl::ComboIndex(form.DriveComboBox), 3);
    // Read once: showing the page again keeps the user's selection.
    ctl::ComboSelect(form.DriveComboBox, 0);
    form.PageIndex = pgOptions;
    form.ShowPage();
    form.PageIndex = pgRemoveable;
    form.ShowPage();
    EXPECT_EQ(ctl::ComboIndex(form.DriveComboBox), 0);
    DefineWineDrive(L'G', DRIVE_NO_ROOT_DIR, L"");
    ::RemoveDirectoryW(UnixToWindows(folder).c_str());
}

TEST_F(SimulatedDrives, TheWizardListsPreselectsAndInstallsOntoTheStick) {
    TVQSetupForm form(StartupArgs{L"C:\\x\\VQSetup.exe", {L"en-US", L"C:\\VQP", L"C:\\VQD"}});
    EXPECT_EQ(form.DriveLetters, L"EFN");
    EXPECT_EQ(ctl::ComboCount(form.DriveComboBox), 3);
    EXPECT_EQ(ctl::ComboIndex(form.DriveComboBox), -1) << "no previous removable installation";

    // A previous installation on the network drive preselects it.
    form.Choices.RemoveableProgramFolder = L"n:\\VessasQuorin\\Prog";
    form.FillDriveList();
    EXPECT_EQ(ctl::ComboIndex(form.DriveComboBox), 2);

    // Choosing the stick gives the removable layout, and the installation lands there.
    ctl::ComboSelect(form.DriveComboBox, 0);
    form.DriveComboBoxChange();
    form.Choices.UseRemoveable = true;
    form.Choices.MakeDesktopLink = false;
    form.PageIndex = pgFolder;
    form.ShowPage();
    EXPECT_EQ(ctl::GetText(form.ProgramFolderEdit), L"E:\\VessasQuorin\\Prog\\");
    EXPECT_EQ(RunInstallation(form.ChoicesOfRun(), form), 1);
    EXPECT_TRUE(Utillity::FileExists(L"E:\\VessasQuorin\\Prog\\Bin\\VessasQuorin.Exe"));
    EXPECT_TRUE(Utillity::FileExists(L"E:\\VessasQuorin\\Prog\\VQUninstall.Exe"));
    EXPECT_TRUE(Utillity::FileExists(L"E:\\VessasQuorin\\Data\\Symbols\\Default_Icons\\Sym_Account_0001.Ico"));
    EXPECT_TRUE(Utillity::FileExists(L"E:\\VessasQuorin\\Data\\VQ_User_0004\\Sample_Household_01.qvbak"));
    EXPECT_TRUE(Utillity::FileExists(L"E:\\VessasQuorin\\Vessas Quorin.lnk")) << "the stick's own shortcut";
    EXPECT_FALSE(Utillity::DirExists(L"C:\\VQP"));
}

}  // namespace
