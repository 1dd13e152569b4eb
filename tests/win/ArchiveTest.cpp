// Extraction of archive entries, ziplib.dll and TFileCompress under Windows: hand-made archives
// for the rules of a single entry, the small payload embedded in this test program for a whole
// run, and the setup's own archive read back out of VQSetup.exe.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <map>
#include <memory>
#include <set>
#include <tuple>
#include <vector>

#include "ArchiveBytes.h"
#include "ArchiveFixtures.h"
#include "TestSupport.h"
#include "WineDrives.h"
#include "archive/FileCompress.h"
#include "archive/PackFileUnit.h"
#include "archive/ResourceStream.h"
#include "services/Handles.h"
#include "texts/Cp1252.h"
#include "services/VQError.h"

using namespace archivetest;
using namespace testsupport;

namespace {

TEST(Extract, CopiesInChunksOf10000WithOneTailReport) {
    ScratchFolder scratch(L"chunks");
    const struct { std::int32_t size; std::vector<std::int32_t> amounts; } cases[] = {
        {0, {0}}, {9999, {9999}}, {10000, {10000, 0}}, {25000, {10000, 10000, 5000}},
    };
    for (const auto& c : cases) {
        const std::string data = Content(static_cast<std::size_t>(c.size));
        Archive archive(ArchiveBytes().Header("v", 1).Entry(data, "f.bin", "en-US").Bytes());
        archive[0].Extract(scratch.Path());
        const std::wstring path = scratch.Path() + L"f.bin";
        EXPECT_EQ(ReadFileBytes(path), data) << c.size;
        EXPECT_EQ(archive.Amounts(), c.amounts) << c.size;
        for (const Report& r : archive.reports) {
            EXPECT_EQ(r.message, path + L"(" + std::to_wstring(c.size) + L")");
            EXPECT_EQ(r.group, L"en-US");
            EXPECT_EQ(r.total, 1 + c.size);
        }
        EXPECT_TRUE(::DeleteFileW(path.c_str()));
    }
}

TEST(Extract, KeepsOrReplacesAnExistingFileByItsOverwriteFlag) {
    ScratchFolder scratch(L"keep");
    for (int overwrite : {0, 1}) {
        const std::wstring path = scratch.Path() + L"f.txt";
        WriteFileBytes(path, "the user's file");
        Archive archive(ArchiveBytes().Header("v", 1).Entry("from the archive", "f.txt", "", "USER", "", overwrite).Bytes());
        archive[0].Extract(scratch.Path());
        EXPECT_EQ(ReadFileBytes(path), overwrite ? "from the archive" : "the user's file");
        EXPECT_EQ(FilesIn(scratch.Path()), std::vector<std::wstring>{L"f.txt"}) << "a new file left beside it";
        // Either way the entry counts as done with its full size.
        EXPECT_EQ(archive.files.DoneBytes, 16);
        if (!overwrite) {
            ASSERT_EQ(archive.reports.size(), 1u);
            EXPECT_EQ(archive.reports[0].message, L"NO_OVERWRITE:" + path);
        }
    }
}

TEST(Extract, DeleteEntryRemovesOnlyAFileOfItsSize) {
    ScratchFolder scratch(L"delete");
    const struct { const char* existing; bool remains; } cases[] = {
        {"12345", false}, {"1234", true}, {"123456", true}, {nullptr, false},
    };
    for (const auto& c : cases) {
        const std::wstring path = scratch.Path() + L"old.dll";
        ::DeleteFileW(path.c_str());
        if (c.existing) WriteFileBytes(path, c.existing);
        Archive archive(ArchiveBytes().Header("v", 1).DeleteEntry(5, "old.dll").Bytes());
        archive[0].Extract(scratch.Path());
        EXPECT_EQ(Utillity::FileExists(path), c.remains) << (c.existing ? c.existing : "(none)");
        ASSERT_EQ(archive.reports.size(), 1u);
        EXPECT_EQ(archive.reports[0].message, L"DELETE:" + path);
        EXPECT_EQ(archive.files.DoneBytes, 5);
    }
}

TEST(Extract, CreatesMissingFoldersAndPutsAnEmptyFolderInTheRoot) {
    ScratchFolder scratch(L"folders");
    Archive archive(ArchiveBytes().Header("v", 2).Entry("a", "a.txt", "", "USER", "Level1\\Level2").Entry("b", "b.txt").Bytes());
    archive[0].Extract(scratch.Path());
    archive[1].Extract(scratch.Path());
    EXPECT_EQ(ReadFileBytes(scratch.Path() + L"Level1\\Level2\\a.txt"), "a");
    EXPECT_EQ(ReadFileBytes(scratch.Path() + L"b.txt"), "b");
}

TEST(Extract, RefusesEntriesThatWouldLeaveTheirRootBeforeWritingAnything) {
    ScratchFolder scratch(L"escape");
    const std::wstring root = scratch.Path() + L"Root\\";
    ASSERT_TRUE(Utillity::MakeFolderPath(root));
    const struct { const char* folder; const char* file; } cases[] = {
        {"..", "escaped.txt"}, {"Sub\\..\\..", "escaped.txt"}, {"", "..\\escaped.txt"}, {"C:\\", "escaped.txt"},
        {"", ""}, {"", "escaped.txt:stream"},
    };
    for (const auto& c : cases) {
        Archive archive(ArchiveBytes().Header("v", 1).Entry("x", c.file, "", "USER", c.folder, 1).Bytes());
        EXPECT_THROW(archive[0].Extract(root), EVQError) << c.folder << " | " << c.file;
        EXPECT_TRUE(archive.reports.empty());
    }
    EXPECT_FALSE(Utillity::FileExists(scratch.Path() + L"escaped.txt"));
    EXPECT_FALSE(Utillity::DirExists(root + L"Sub"));
}

// A stream that breaks off after a number of bytes, as a damaged medium would.
class BreakingStream final : public TArchiveStream {
public:
    BreakingStream(const std::string& bytes, std::int64_t breakAt) : inner_(bytes.data(), bytes.size()), breakAt_(breakAt) {}
    std::int64_t Read(void* buffer, std::int64_t count) override {
        const std::int64_t allowed = std::max<std::int64_t>(0, std::min(count, breakAt_ - inner_.Position()));
        return inner_.Read(buffer, allowed);
    }
    void Seek(std::int64_t position) override { inner_.Seek(position); }
    std::int64_t Position() const override { return inner_.Position(); }
    std::int64_t Size() const override { return inner_.Size(); }

private:
    TMemoryStream inner_;
    std::int64_t breakAt_;
};

// No partial file in either case; an older copy the entry was to replace stays as it was.
TEST(Extract, AShortReadLeavesNoPartialFileAndKeepsAnOlderCopy) {
    const std::string bytes = ArchiveBytes().Header("v", 1).Entry(Content(25000), "f.bin", "", "USER", "", 1).Bytes();
    for (const char* older : {"an older copy", static_cast<const char*>(nullptr)}) {
        ScratchFolder scratch(L"shortread");
        BreakingStream stream(bytes, static_cast<std::int64_t>(bytes.size()) - 7000);
        TPackFiles files(nullptr);
        std::wstring version;
        ASSERT_TRUE(files.Load(stream, version));
        const std::wstring path = scratch.Path() + L"f.bin";
        if (older) WriteFileBytes(path, older);
        EXPECT_THROW(files.Items(0).Extract(scratch.Path()), EVQError);
        EXPECT_EQ(ReadFileBytes(path), older ? older : "");
        EXPECT_EQ(FilesIn(scratch.Path()), older ? std::vector<std::wstring>{L"f.bin"} : std::vector<std::wstring>{});
    }
}

// A small tmpfs on the Unix side, reached through Z:, which the test fills. Mounting needs root,
// as the machines the tests run on have; where it is refused the test fails and says why, for a
// test that cannot fill a disk proves nothing.
class FullDisk {
public:
    explicit FullDisk(int kilobytes) {
        const std::wstring prefix = WinePrefix();
        if (prefix.empty()) {
            error_ = "WINEPREFIX is not set: not running under Wine";
            return;
        }
        unixFolder_ = prefix + L"/vq_full_disk_" + std::to_wstring(::GetCurrentProcessId());
        std::string output;
        const int status = RunUnixScript(L"mkdir -p '" + unixFolder_ + L"' && mount -t tmpfs -o size=" +
                                             std::to_wstring(kilobytes) + L"k vqfulldisk '" + unixFolder_ + L"'",
                                         output);
        if (status != 0)
            error_ = "cannot mount a tmpfs to fill (status " + std::to_string(status) + "): " + output;
    }
    ~FullDisk() {
        if (unixFolder_.empty()) return;
        std::string output;
        // Lazily when Wine still holds the folder open.
        RunUnixScript(L"umount '" + unixFolder_ + L"' || umount -l '" + unixFolder_ + L"'; rmdir '" + unixFolder_ + L"'",
                      output);
    }
    const std::string& Error() const { return error_; }
    std::wstring Folder() const { return UnixToWindows(unixFolder_) + L"\\"; }

private:
    std::wstring unixFolder_;
    std::string error_;
};

// An installed file stays as it was; a new one is not left behind in part.
TEST(Extract, AFullDiskKeepsTheInstalledFileAndLeavesNoPartialOne) {
    for (const bool installedBefore : {true, false}) {
        FullDisk disk(64);
        ASSERT_TRUE(disk.Error().empty()) << disk.Error();
        const std::wstring target = disk.Folder() + L"VQCore.dll";
        const std::string installed = Content(20000);
        if (installedBefore) WriteFileBytes(target, installed);
        Archive archive(ArchiveBytes().Header("v", 1).Entry(Content(100000), "VQCore.dll", "", "PROGRAM", "", 1, 0).Bytes());
        std::wstring message;
        try {
            archive[0].Extract(disk.Folder());
        } catch (const EVQError& e) {
            message = e.Message();
        }
        EXPECT_EQ(message, L"Cannot write file " + target + L" (" + std::to_wstring(ERROR_DISK_FULL) + L")");
        EXPECT_EQ(ReadFileBytes(target), installedBefore ? installed : "");
        EXPECT_EQ(FilesIn(disk.Folder()), installedBefore ? std::vector<std::wstring>{L"VQCore.dll"} : std::vector<std::wstring>{});
        ASSERT_FALSE(archive.reports.empty());
        for (const Report& r : archive.reports) EXPECT_EQ(r.message, target + L"(100000)");
    }
}

std::string Narrow(const std::wstring& s) { return std::string(s.begin(), s.end()); }

// The setup's temporary files ("temp" + number + ".Tmp") in the temp folder.
std::vector<std::wstring> SetupTemporaries() {
    std::vector<std::wstring> names = FilesIn(Utillity::GetTempFolder());
    names.erase(std::remove_if(names.begin(), names.end(),
                               [](const std::wstring& n) { return n.rfind(L"temp", 0) != 0 || n.size() < 8 ||
                                                                 UpperCase(n.substr(n.size() - 4)) != L".TMP"; }),
                names.end());
    return names;
}

// This build's library inflates each member straight from the archive into its target, so the
// reports name the target and no temporary file is made at all; a library that works from file to
// file only gets a temporary file per member, named in the reports, and gone afterwards.
TEST(Extract, CompressedEntriesUseTheLibraryBesideTheFirstOneAndLeaveNoTemporaryFile) {
    RestrictDllSearch();
    for (const bool fromMemory : {true, false}) {
        SCOPED_TRACE(fromMemory ? "inflating from memory" : "file to file");
        ScratchFolder scratch(L"compressed");
        const std::string first = Content(30000), second = Content(123);
        const std::string ziplib = ReadFileBytes(ModuleFolder() + (fromMemory ? L"ziplib.dll" : L"ziplib_ansi.dll"));
        ASSERT_FALSE(ziplib.empty());
        const auto temporariesBefore = SetupTemporaries();
        Archive archive(ArchiveBytes()
                            .Header("v", 3)
                            .Entry(ziplib, "ziplib.dll", "", "PROGRAM", "Bin", 1, 0)
                            .Entry(GzipOf(first), "VessasQuorin.Exe", "", "PROGRAM", "Bin", 1, 1)
                            // Another folder without a library of its own: the loaded one serves it.
                            .Entry(GzipOf(second), "Sample.qvbak", "de-AT", "USER", "VQ_User_0001", 0, 1)
                            .Bytes());
        for (int i = 0; i < 3; ++i) archive[i].Extract(scratch.Path());
        EXPECT_EQ(ReadFileBytes(scratch.Path() + L"Bin\\VessasQuorin.Exe"), first);
        EXPECT_EQ(ReadFileBytes(scratch.Path() + L"VQ_User_0001\\Sample.qvbak"), second);
        std::set<std::wstring> named;
        for (const Report& r : archive.reports) named.insert(r.message.substr(0, r.message.find(L'(')));
        const std::set<std::wstring> targets = {scratch.Path() + L"Bin\\ziplib.dll", scratch.Path() + L"Bin\\VessasQuorin.Exe",
                                                scratch.Path() + L"VQ_User_0001\\Sample.qvbak"};
        if (fromMemory) {
            EXPECT_EQ(named, targets);
        } else {
            std::vector<std::wstring> temporaries;
            for (const std::wstring& n : named)
                if (!targets.count(n)) temporaries.push_back(n);
            EXPECT_EQ(temporaries.size(), 2u);
            for (const std::wstring& temporary : temporaries)
                EXPECT_EQ(temporary.rfind(Utillity::GetTempFolder() + L"temp", 0), 0u) << Narrow(temporary);
        }
        EXPECT_EQ(SetupTemporaries(), temporariesBefore) << "temporary files left behind";
        EXPECT_EQ(FilesIn(scratch.Path() + L"Bin"), (std::vector<std::wstring>{L"VessasQuorin.Exe", L"ziplib.dll"}));
    }
}

TEST(Extract, ACompressedEntryWithoutTheLibraryFailsWith126AndTheRunStops) {
    RestrictDllSearch();
    ScratchFolder scratch(L"nolib");
    Archive archive(ArchiveBytes()
                        .Header("v", 2)
                        .Entry(GzipOf("abc"), "VessasQuorin.Exe", "", "PROGRAM", "", 1, 1)
                        .Entry("later", "later.txt")
                        .Bytes());
    // Entries are extracted in order until the first failure, as the install run does.
    std::wstring message;
    try {
        for (int i = 0; i < archive.files.Count(); ++i) archive[i].Extract(scratch.Path());
    } catch (const EVQError& e) {
        message = e.Message();
    }
    EXPECT_EQ(message, L"TFileCompress.Create(" + scratch.Path() + L"ziplib.dll) 126");
    EXPECT_FALSE(Utillity::FileExists(scratch.Path() + L"later.txt"));
    EXPECT_EQ(archive.files.Compressor, nullptr);
}

TEST(Extract, ADamagedMemberFailsWithTheLibrarysTextAndKeepsTheOldTarget) {
    RestrictDllSearch();
    for (const bool fromMemory : {true, false}) {
        SCOPED_TRACE(fromMemory ? "inflating from memory" : "file to file");
        ScratchFolder scratch(L"damaged");
        WriteFileBytes(scratch.Path() + L"ziplib.dll",
                       ReadFileBytes(ModuleFolder() + (fromMemory ? L"ziplib.dll" : L"ziplib_ansi.dll")));
        WriteFileBytes(scratch.Path() + L"VQCore.dll", "installed before");
        const auto temporariesBefore = SetupTemporaries();
        std::string member = GzipOf(Content(25000));
        member[member.size() - 8] ^= 0x40;  // the CRC-32 in the trailer
        Archive archive(ArchiveBytes().Header("v", 1).Entry(member, "VQCore.dll", "", "PROGRAM", "", 1, 1).Bytes());
        try {
            archive[0].Extract(scratch.Path());
            ADD_FAILURE() << "no error";
        } catch (const EVQError& e) {
            EXPECT_EQ(e.Message().rfind(L"Error Deflate ", 0), 0u) << Narrow(e.Message());
            EXPECT_GT(e.Message().size(), 14u);
        }
        EXPECT_EQ(ReadFileBytes(scratch.Path() + L"VQCore.dll"), "installed before");
        // Neither the setup's temporary file nor the library's file beside the target stays.
        EXPECT_EQ(SetupTemporaries(), temporariesBefore);
        EXPECT_EQ(FilesIn(scratch.Path()), (std::vector<std::wstring>{L"VQCore.dll", L"ziplib.dll"}));
    }
}

TEST(FileCompress, RefusesAMissingFileAndALibraryWithoutTheExports) {
    RestrictDllSearch();
    ScratchFolder scratch(L"filecompress");
    const struct { std::wstring path; const wchar_t* error; } cases[] = {
        {scratch.Path() + L"ziplib.dll", L"126"},
        // A real DLL, but not ours: it must not be called.
        {L"C:\\windows\\system32\\version.dll", L"127"},
    };
    for (const auto& c : cases) {
        try {
            TFileCompress compress(c.path);
            ADD_FAILURE() << c.path;
        } catch (const EVQError& e) {
            EXPECT_EQ(e.Message(), L"TFileCompress.Create(" + c.path + L") " + c.error);
        }
    }
}

TEST(ZipLib, DeflateFileReplacesTheTargetOnlyWhenTheMemberIsIntact) {
    RestrictDllSearch();
    ScratchFolder scratch(L"ziplib");
    TFileCompress compress(ModuleFolder() + L"ziplib.dll");
    const std::string content = Content(70000), good = GzipOf(content);
    // The fixed header vqpack writes too: no name, no time, OS byte 11.
    EXPECT_EQ(good.substr(0, 10), std::string("\x1F\x8B\x08\x00\x00\x00\x00\x00\x00\x0B", 10));
    std::string badCrc = good, cut = good.substr(0, good.size() / 2);
    badCrc[badCrc.size() - 5] ^= 0x01;
    const std::wstring target = scratch.Path() + L"target.dat";
    const struct { const char* what; std::string member; bool ok; } cases[] = {
        {"wrong CRC", badCrc, false}, {"truncated", cut, false}, {"not gzip", "plain text", false}, {"intact", good, true},
    };
    for (const auto& c : cases) {
        WriteFileBytes(target, "old target");
        WriteFileBytes(scratch.Path() + L"source.gz", c.member);
        std::wstring error;
        const int result = compress.DeflateFile(scratch.Path() + L"source.gz", target, error);
        EXPECT_EQ(result == 0, c.ok) << c.what;
        EXPECT_EQ(error.empty(), c.ok) << c.what << ": " << error;
        EXPECT_EQ(ReadFileBytes(target), c.ok ? content : "old target") << c.what;
        EXPECT_TRUE(Utillity::FileExists(scratch.Path() + L"source.gz")) << c.what;
        // Nothing but the source and the target: the temporary file is gone either way.
        WIN32_FIND_DATAW found;
        HANDLE find = ::FindFirstFileW((scratch.Path() + L"*").c_str(), &found);
        int files = 0;
        do {
            if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) ++files;
        } while (::FindNextFileW(find, &found));
        ::FindClose(find);
        EXPECT_EQ(files, 2) << c.what;
    }
    std::wstring error;
    EXPECT_NE(compress.DeflateFile(scratch.Path() + L"missing.gz", target, error), 0);
    EXPECT_NE(error.find(L"missing.gz"), std::wstring::npos) << error;
}

TEST(SmallPayload, ExtractsCompletelyInArchiveOrder) {
    RestrictDllSearch();
    ScratchFolder scratch(L"smallpayload");
    TMemoryStream stream = OpenResourceStream(nullptr, L"FILESTREAM");
    std::int32_t lastDone = 0, lastTotal = 0;
    TPackFiles files([&](const std::wstring&, const std::wstring&, std::int32_t done, std::int32_t total) {
        lastDone = done;
        lastTotal = total;
    });
    std::wstring version;
    ASSERT_TRUE(files.Load(stream, version));
    EXPECT_EQ(version, L"HF20220909");
    const std::map<std::wstring, std::wstring> roots = {
        {L"PROGRAM", scratch.Path() + L"Program\\Bin\\"}, {L"UNINST", scratch.Path() + L"Program\\"},
        {L"USER", scratch.Path() + L"Data\\"}};
    const auto extractAll = [&] {
        try {
            for (int i = 0; i < files.Count(); ++i) files.Items(i).Extract(roots.at(files.Items(i).Root));
        } catch (const EVQError& e) {
            FAIL() << e.Message();
        }
    };
    extractAll();
    EXPECT_EQ(lastDone, files.TotalBytes - 1);
    EXPECT_EQ(lastTotal, files.TotalBytes);
    // The files this project builds travel as themselves.
    EXPECT_EQ(ReadFileBytes(roots.at(L"PROGRAM") + L"ziplib.dll"), ReadFileBytes(ModuleFolder() + L"ziplib.dll"));
    EXPECT_EQ(ReadFileBytes(roots.at(L"PROGRAM") + L"VessasQuorin.Exe"),
              ReadFileBytes(ModuleFolder() + L"VessasQuorin.Exe"));
    EXPECT_TRUE(Utillity::FileExists(roots.at(L"UNINST") + L"VQUninstall.Exe"));
    // A second run keeps what the user may have changed and replaces the program files. It is a
    // new process in real life: while the first run's library is loaded, Windows refuses to
    // replace ziplib.dll.
    files.Compressor.reset();
    WriteFileBytes(roots.at(L"PROGRAM") + L"VessasQuorin.Exe", "changed");
    const TPackFile& icon = files.Items(0);
    const std::wstring iconPath = roots.at(L"USER") + icon.Folder + L"\\" + icon.FileName;
    WriteFileBytes(iconPath, "changed");
    extractAll();
    EXPECT_EQ(ReadFileBytes(iconPath), "changed");
    EXPECT_NE(ReadFileBytes(roots.at(L"PROGRAM") + L"VessasQuorin.Exe"), "changed");
}

// The archive read from the program's file at the resource's place gives the mapping's bytes, for
// the reads the reader and the extraction make: many small ones, seeks over data, large ones.
TEST(ResourceFileStream, ReadsTheSameBytesAsTheMapping) {
    const TMemoryStream mapped = OpenResourceStream(nullptr, L"FILESTREAM");
    const std::unique_ptr<TArchiveStream> file = OpenResourceFileStream(nullptr, L"FILESTREAM");
    EXPECT_EQ(dynamic_cast<TMemoryStream*>(file.get()), nullptr) << "read from the file, not the mapping";
    ASSERT_EQ(file->Size(), mapped.Size());
    const auto* bytes = static_cast<const char*>(mapped.Data());
    const struct { std::int64_t at, count; } reads[] = {
        {0, 4}, {4, 4}, {8, 10}, {99, 770}, {5000, 70000}, {mapped.Size() - 10, 10}, {mapped.Size() - 10, 100},
        {mapped.Size(), 4}, {12, 1}, {0, mapped.Size()}, {65530, 12}, {131072, 200000},
    };
    for (const auto& r : reads) {
        SCOPED_TRACE(testing::Message() << r.at << "+" << r.count);
        file->Seek(r.at);
        std::string got(static_cast<size_t>(std::max<std::int64_t>(r.count, 0)), '\0');
        const std::int64_t n = file->Read(got.data(), r.count);
        const std::int64_t expected = std::max<std::int64_t>(0, std::min(r.count, mapped.Size() - r.at));
        ASSERT_EQ(n, expected);
        EXPECT_EQ(got.substr(0, static_cast<size_t>(n)), std::string(bytes + r.at, static_cast<size_t>(n)));
        EXPECT_EQ(file->Position(), r.at + n);
    }
    // The reader loads the same table through it.
    TPackFiles fromFile(nullptr), fromMapping(nullptr);
    std::wstring v1, v2;
    TMemoryStream again = mapped;
    file->Seek(0);
    ASSERT_TRUE(fromFile.Load(*file, v1));
    ASSERT_TRUE(fromMapping.Load(again, v2));
    EXPECT_EQ(v1, v2);
    EXPECT_EQ(fromFile.Count(), fromMapping.Count());
    EXPECT_EQ(fromFile.TotalBytes, fromMapping.TotalBytes);
}

TEST(SetupArchive, VQSetupCarriesAWholeArchiveAsFILESTREAM) {
    HMODULE setup = ::LoadLibraryExW((ModuleFolder() + L"VQSetup.exe").c_str(), nullptr,
                                     LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
    ASSERT_NE(setup, nullptr);
    TMemoryStream stream = OpenResourceStream(setup, L"FILESTREAM");
    TPackFiles files(nullptr);
    std::wstring version;
    ASSERT_TRUE(files.Load(stream, version));
    std::int64_t data = 0;
    for (const auto& e : files.Entries) data += e->DeleteEntry ? 0 : e->Size;
    EXPECT_EQ(files.TotalBytes, 1 + data);
    const TPackFile& last = files.Items(files.Count() - 1);
    EXPECT_EQ(last.DataOffset + (last.DeleteEntry ? 0 : last.Size), stream.Size());
#ifdef VQ_PROJECT_PAYLOAD
    EXPECT_EQ(version, L"HF20220909");
    ASSERT_EQ(files.Count(), 298);
    const TPackFile& first = files.Items(0);
    EXPECT_EQ(std::make_tuple(first.DataOffset, first.Size, first.Root, first.Overwrite, first.Compressed),
              std::make_tuple(99, 770, std::wstring(L"USER"), false, false));
    const TPackFile& library = files.Items(174);
    EXPECT_EQ(std::make_tuple(library.FileName, library.Root, library.Folder, library.Overwrite, library.Compressed),
              std::make_tuple(std::wstring(L"ziplib.dll"), std::wstring(L"PROGRAM"), std::wstring(), true, false));
    const TPackFile& firstCompressed = files.Items(175);
    EXPECT_EQ(std::make_tuple(firstCompressed.Root, firstCompressed.Folder, firstCompressed.Overwrite,
                              firstCompressed.Compressed),
              std::make_tuple(std::wstring(L"PROGRAM"), std::wstring(), true, true));
    // The shape the install run relies on: flag combinations and language groups.
    std::map<std::wstring, int> groups, kinds;
    for (const auto& e : files.Entries) {
        ++groups[e->Group];
        ++kinds[std::wstring(e->Compressed ? L"C" : L"-") + (e->Overwrite ? L"O" : L"-") + L" " + e->Root];
        EXPECT_FALSE(e->DeleteEntry);
    }
    EXPECT_EQ(groups, (std::map<std::wstring, int>{{L"", 196}, {L"de-AT", 30}, {L"de-CH", 17}, {L"de-DE", 18},
                                                   {L"en-US", 11}, {L"es-ES", 16}, {L"fr-FR", 10}}));
    EXPECT_EQ(kinds, (std::map<std::wstring, int>{{L"-- USER", 174}, {L"-O PROGRAM", 1}, {L"CO PROGRAM", 20},
                                                  {L"CO UNINST", 1}, {L"C- USER", 102}}));
#endif
    ::FreeLibrary(setup);
}

}  // namespace
