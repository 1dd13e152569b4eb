// The archive reader over hand-made archives: the format's edge cases and damaged input.
#include <gtest/gtest.h>

#include <climits>
#include <tuple>
#include <vector>

#include "ArchiveBytes.h"
#include "archive/PackFileUnit.h"
#include "services/VQError.h"

namespace {

struct Loaded {
    bool result = false;
    std::wstring version;
};

Loaded LoadBytes(TPackFiles& archive, const std::string& bytes) {
    TMemoryStream stream(bytes.data(), bytes.size());
    Loaded out;
    out.result = archive.Load(stream, out.version);
    return out;
}

TEST(PackFilesLoad, EntryCountOfZeroOrLessAnswersFalseWithTheVersion) {
    for (std::int32_t count : {0, -1, INT32_MIN}) {
        TPackFiles archive(nullptr);
        // Bytes after the count are never looked at.
        const Loaded loaded = LoadBytes(archive, ArchiveBytes().Header("HF20220909", count).Raw("junk").Bytes());
        EXPECT_FALSE(loaded.result) << count;
        EXPECT_EQ(loaded.version, L"HF20220909");
        EXPECT_EQ(archive.Count(), 0);
        EXPECT_EQ(archive.TotalBytes, 1);
    }
}

TEST(PackFilesLoad, FirstRecordOfTheSetupsArchiveHasItsDataAtOffset99) {
    const std::string icon(770, '\x11'), second(3, 'x');
    // The format number is read and ignored, whatever it holds.
    const ArchiveBytes bytes = ArchiveBytes()
                                   .Header("HF20220909", 2, -7)
                                   .Entry(icon, "Sym_Account_0001.Ico", "", "USER", "Symbols\\Default_Icons")
                                   .Entry(second, "ziplib.dll", "", "PROGRAM", "", 1, 0);
    TPackFiles archive(nullptr);
    const Loaded loaded = LoadBytes(archive, bytes.Bytes());
    ASSERT_TRUE(loaded.result);
    EXPECT_EQ(loaded.version, L"HF20220909");
    ASSERT_EQ(archive.Count(), 2);
    const TPackFile& first = archive.Items(0);
    EXPECT_EQ(first.DataOffset, 99);
    EXPECT_EQ(first.Size, 770);
    EXPECT_EQ(first.FileName, L"Sym_Account_0001.Ico");
    EXPECT_EQ(first.Group, L"");
    EXPECT_EQ(first.Root, L"USER");
    EXPECT_EQ(first.Folder, L"Symbols\\Default_Icons");
    EXPECT_EQ(first.Owner, &archive);
    const TPackFile& last = archive.Items(1);
    EXPECT_TRUE(last.Overwrite);
    EXPECT_EQ(last.DataOffset + last.Size, static_cast<std::int32_t>(bytes.Size()));
    EXPECT_EQ(archive.TotalBytes, 1 + 770 + 3);
    EXPECT_EQ(archive.ArchiveStream != nullptr, true);
}

TEST(PackFilesLoad, EmptyAndNegativeStringLengthsConsumeOnlyTheirLengthField) {
    const ArchiveBytes bytes = ArchiveBytes()
                                   .Int(1).Int(-3).Int(1)  // version of negative length
                                   .Int(2).Str("a.txt").Int(0).Int(-1).Int(INT32_MIN)  // group, root, folder empty
                                   .Int(1).Int(1).Int(0).Raw("xy");
    TPackFiles archive(nullptr);
    const Loaded loaded = LoadBytes(archive, bytes.Bytes());
    ASSERT_TRUE(loaded.result);
    EXPECT_EQ(loaded.version, L"");
    const TPackFile& e = archive.Items(0);
    EXPECT_EQ(e.FileName, L"a.txt");
    EXPECT_EQ(e.Group + e.Root + e.Folder, L"");
    EXPECT_TRUE(e.Overwrite);
    EXPECT_TRUE(e.Compressed);
    EXPECT_EQ(e.DataOffset, static_cast<std::int32_t>(bytes.Size()) - 2);
}

TEST(PackFilesLoad, OnlyTheExactValueOneSetsAFlag) {
    for (std::int32_t raw : {1, 0, 2, -1, 257, INT32_MIN}) {
        for (int field = 0; field < 3; ++field) {
            ArchiveBytes bytes;
            bytes.Header("v", 1).Int(0).Str("f").Str("").Str("USER").Str("");
            for (int k = 0; k < 3; ++k) bytes.Int(k == field ? raw : 0);
            TPackFiles archive(nullptr);
            // A raw delete value other than 1 is an ordinary entry of Size 0.
            ASSERT_TRUE(LoadBytes(archive, bytes.Bytes()).result);
            const TPackFile& e = archive.Items(0);
            const bool flags[3] = {e.Overwrite, e.Compressed, e.DeleteEntry};
            for (int k = 0; k < 3; ++k) EXPECT_EQ(flags[k], k == field && raw == 1) << raw << " in field " << field;
        }
    }
}

TEST(PackFilesLoad, DeleteEntryKeepsItsSizeCarriesNoDataAndAddsNothingToTheTotal) {
    const ArchiveBytes bytes = ArchiveBytes().Header("v", 2).DeleteEntry(5000, "old.dll").Entry("12345", "new.dll");
    TPackFiles archive(nullptr);
    ASSERT_TRUE(LoadBytes(archive, bytes.Bytes()).result);
    ASSERT_EQ(archive.Count(), 2);
    EXPECT_TRUE(archive.Items(0).DeleteEntry);
    EXPECT_EQ(archive.Items(0).Size, 5000);
    EXPECT_EQ(archive.Items(1).FileName, L"new.dll");
    EXPECT_EQ(archive.Items(1).DataOffset, static_cast<std::int32_t>(bytes.Size()) - 5);
    EXPECT_EQ(archive.TotalBytes, 1 + 5);
}

TEST(PackFilesLoad, NamesAreWindows1252) {
    const ArchiveBytes bytes = ArchiveBytes().Header("v\x80", 1).Entry("", "B\xFC" "cher \x80.qvbak", "de-AT");
    TPackFiles archive(nullptr);
    const Loaded loaded = LoadBytes(archive, bytes.Bytes());
    EXPECT_EQ(loaded.version, L"v\u20AC");
    EXPECT_EQ(archive.Items(0).FileName, L"B\u00FCcher \u20AC.qvbak");
}

TEST(PackFilesLoad, EveryTruncationOfAnArchiveFailsAndKeepsNothing) {
    const std::string full =
        ArchiveBytes().Header("HF1", 3).Entry("abc", "a").DeleteEntry(7, "d").Entry("0123456789", "b", "de", "DATA", "x\\y").Bytes();
    for (std::size_t length = 0; length < full.size(); ++length) {
        TPackFiles archive(nullptr);
        EXPECT_THROW(LoadBytes(archive, full.substr(0, length)), EVQError) << "cut at " << length;
        EXPECT_EQ(archive.Count(), 0);
        EXPECT_EQ(archive.TotalBytes, 1);
    }
    TPackFiles archive(nullptr);
    EXPECT_TRUE(LoadBytes(archive, full).result);
    EXPECT_EQ(archive.Count(), 3);
}

TEST(PackFilesLoad, LengthsThatDoNotFitTheStreamFail) {
    const std::vector<std::pair<const char*, std::string>> cases = {
        {"string longer than the rest", ArchiveBytes().Header("v", 1).Int(0).Int(1000000000).Raw("abc").Bytes()},
        {"version longer than the rest", ArchiveBytes().Int(1).Int(INT32_MAX).Raw("HF").Bytes()},
        {"data past the end", ArchiveBytes().Header("v", 1).Int(11).Str("f").Str("").Str("USER").Str("")
                                  .Int(0).Int(0).Int(0).Raw("ten bytes.").Bytes()},
        {"negative size of a stored entry", ArchiveBytes().Header("v", 1).Int(-4).Str("f").Str("").Str("USER")
                                                 .Str("").Int(0).Int(0).Int(0).Bytes()},
        {"count far beyond the records", ArchiveBytes().Header("v", INT32_MAX).Entry("x", "f").Bytes()},
    };
    for (const auto& [what, bytes] : cases) {
        TPackFiles archive(nullptr);
        try {
            LoadBytes(archive, bytes);
            ADD_FAILURE() << what << ": no error";
        } catch (const EVQError& e) {
            EXPECT_NE(e.Message().find(L"offset"), std::wstring::npos) << what;
        }
        EXPECT_EQ(archive.Count(), 0) << what;
    }
}

TEST(PackFilesProgress, ReportsAddUpAndReachTheHandler) {
    std::vector<std::tuple<std::wstring, std::wstring, std::int32_t, std::int32_t>> calls;
    TPackFiles archive([&](const std::wstring& g, const std::wstring& m, std::int32_t d, std::int32_t t) {
        calls.emplace_back(g, m, d, t);
    });
    ASSERT_TRUE(LoadBytes(archive, ArchiveBytes().Header("v", 2).Entry("12345", "a.txt", "en-US").Entry("", "b").Bytes())
                    .result);
    archive.Items(0).Skip(L"NO_EXTRACT:a.txt");
    archive.ReportProgress(L"", L"by hand", 10);
    ASSERT_EQ(calls.size(), 2u);
    EXPECT_EQ(calls[0], std::make_tuple(std::wstring(L"en-US"), std::wstring(L"NO_EXTRACT:a.txt"), 5, 6));
    EXPECT_EQ(calls[1], std::make_tuple(std::wstring(L""), std::wstring(L"by hand"), 15, 6));
    // Delete entries can push the counter past any total; it wraps instead of overflowing.
    archive.ReportProgress(L"", L"", INT32_MAX);
    EXPECT_EQ(archive.DoneBytes, static_cast<std::int32_t>(15u + static_cast<std::uint32_t>(INT32_MAX)));
}

TEST(IsSafeEntryPath, RefusesEveryWayOutOfTheRootFolder) {
    const struct { const wchar_t* folder; const wchar_t* file; bool safe; } cases[] = {
        {L"", L"VessasQuorin.Exe", true},
        {L"Symbols\\Default_Icons", L"Sym_Account_0001.Ico", true},
        {L"VQ_User_0001\\", L"a..b.qvbak", true},
        {L"a.b\\c", L"..x", true},
        {L"", L"", false},
        {L"", L"..", false},
        {L"", L".", false},
        {L"..", L"x", false},
        {L"a\\..\\..", L"x", false},
        {L"a/../b", L"x", false},
        {L"a\\. .\\b", L"x", false},
        {L"a\\...", L"x", false},
        {L"\\Windows", L"x", false},
        {L"/etc", L"x", false},
        {L"\\\\server\\share", L"x", false},
        {L"C:\\Windows", L"x", false},
        {L"C:", L"x", false},
        {L"a", L"x:stream", false},
        {L"", L"sub\\x", false},
        {L"", L"sub/x", false},
        {L"a\\\\b", L"x", false},
        {L"a\\\\", L"x", false},
        {L"", L"NUL", false},
        {L"", L"con.txt", false},
        {L"COM1", L"x", false},
        {L"", L"lpt9.log", false},
        {L"", L"COM10", true},
        {L"", L"CONSOLE.txt", true},
        {L"", L"a\tb", false},
        {L"", L"a?b", false},
    };
    for (const auto& c : cases) EXPECT_EQ(IsSafeEntryPath(c.folder, c.file), c.safe) << c.folder << L" | " << c.file;
}

}  // namespace
