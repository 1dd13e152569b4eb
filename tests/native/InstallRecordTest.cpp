// The install record's text format: what it looks like, that it reads back what was written, and
// that a record cut short, changed or malformed is refused as a whole rather than half believed.
#include "engine/InstallRecord.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "services/VQError.h"

namespace {

InstallRecord SampleRecord() {
    InstallRecord r;
    r.Archive = L"HF20220909";
    r.Language = L"de-AT";
    r.ProgramFolder = L"C:\\Program Files\\VessasQuorin\\";
    r.BinFolder = L"C:\\Program Files\\VessasQuorin\\Bin\\";
    r.UninstallFolder = r.ProgramFolder;
    // Letters outside Windows-1252, and one outside the Basic Multilingual Plane.
    r.DataFolder = L"C:\\Dane \u017b\u00f3\u0142\u0107\\\U0001F4C1\\";
    r.Uninstaller = r.UninstallFolder + L"VQUninstall.Exe";
    r.AddFolder(r.ProgramFolder);
    r.AddFolder(r.BinFolder);
    r.AddFolder(r.DataFolder);
    r.AddFile(r.BinFolder + L"VessasQuorin.Exe", 123456);
    r.AddFile(r.Uninstaller, 0);
    r.AddFile(r.DataFolder + L"Beispiel.qvbak", 2000);
    r.AddLink(L"C:\\users\\Public\\Desktop\\Vessas Quorin.lnk");
    r.IniFile = r.BinFolder + L"VessasQuorin.Ini";
    r.AddFileType({L".qvbak", L"VessasQuorin", L"\"" + r.BinFolder + L"VessasQuorin.Exe\" \"%1\""});
    r.AddCreatedKey({L"HKCU", L"Software\\Classes"});
    r.Settings = RecordedKey{L"SOFTWARE\\VessasQuorin", L"2026,12,10,9,5,3"};
    r.UninstallEntry = RecordedKey{L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\VessasQuorin",
                                   L"\"" + r.Uninstaller + L"\""};
    return r;
}

// A body with a correct end line, for records whose damage lies inside.
std::string WithEnd(const std::string& body) {
    int lines = 0;
    for (size_t at = body.find("\r\n"); at != std::string::npos; at = body.find("\r\n", at + 2)) ++lines;
    char end[64];
    std::snprintf(end, sizeof end, "end\t%d\t%08x\r\n", lines, static_cast<unsigned>(Crc32(body)));
    return body + end;
}

const std::string kHeader =
    "VQInstallRecord\t1\r\narchive\tHF1\r\nlanguage\ten-US\r\nremovable\tN\r\nprogramfolder\tC:\\P\\\r\n"
    "binfolder\tC:\\P\\Bin\\\r\nuninstallfolder\tC:\\P\\\r\ndatafolder\tD:\\D\\\r\nuninstaller\tC:\\P\\VQUninstall.Exe\r\n";

std::string ErrorOf(const std::string& bytes) {
    try {
        ParseInstallRecord(bytes);
    } catch (const EVQError& e) {
        return e.what();
    }
    return "<accepted>";
}

TEST(InstallRecordFormat, IsTheDocumentedText) {
    InstallRecord r;
    r.Archive = L"HF1";
    r.Language = L"en-US";
    r.ProgramFolder = L"C:\\P\\";
    r.BinFolder = L"C:\\P\\Bin\\";
    r.UninstallFolder = L"C:\\P\\";
    r.DataFolder = L"D:\\D\\";
    r.Uninstaller = L"C:\\P\\VQUninstall.Exe";
    r.AddFolder(L"C:\\P\\Bin\\");
    r.AddFile(L"C:\\P\\Bin\\A.dll", 42);
    r.AddLink(L"C:\\L\\Vessas Quorin.lnk");
    r.IniFile = L"C:\\P\\Bin\\VessasQuorin.Ini";
    r.AddFileType({L".qvbak", L"VessasQuorin", L"\"C:\\P\\Bin\\VessasQuorin.Exe\" \"%1\""});
    r.AddCreatedKey({L"HKCU", L"Software\\Classes"});
    r.Settings = RecordedKey{L"SOFTWARE\\VessasQuorin", L"2026,1,2,3,4,5"};
    r.UninstallEntry = RecordedKey{L"SOFTWARE\\U\\VessasQuorin", L"\"C:\\P\\VQUninstall.Exe\""};
    const std::string body = kHeader +
                             "folder\tC:\\P\\Bin\\\r\nfile\t42\tC:\\P\\Bin\\A.dll\r\nlink\tC:\\L\\Vessas Quorin.lnk\r\n"
                             "ini\tC:\\P\\Bin\\VessasQuorin.Ini\r\n"
                             "filetype\t.qvbak\tVessasQuorin\t\"C:\\P\\Bin\\VessasQuorin.Exe\" \"%1\"\r\n"
                             "key\tHKCU\tSoftware\\Classes\r\n"
                             "settings\tSOFTWARE\\VessasQuorin\t2026,1,2,3,4,5\r\n"
                             "uninstallentry\tSOFTWARE\\U\\VessasQuorin\t\"C:\\P\\VQUninstall.Exe\"\r\n";
    EXPECT_EQ(FormatInstallRecord(r), WithEnd(body));
    // The checksum is the one gzip and zip compute: "123456789" gives CBF43926.
    EXPECT_EQ(Crc32("123456789"), 0xCBF43926u);
}

TEST(InstallRecordFormat, ReadsBackWhatWasWritten) {
    const InstallRecord written = SampleRecord();
    const std::string bytes = FormatInstallRecord(written);
    EXPECT_EQ(ParseInstallRecord(bytes), written);
    // UTF-8 as the format says, also for the letter outside the Basic Multilingual Plane.
    EXPECT_NE(bytes.find("Dane \xC5\xBB\xC3\xB3\xC5\x82\xC4\x87\\\xF0\x9F\x93\x81\\"), std::string::npos);

    InstallRecord removable = written;
    removable.Removable = true;
    removable.Settings.reset();
    removable.UninstallEntry.reset();
    removable.IniFile.clear();
    EXPECT_EQ(ParseInstallRecord(FormatInstallRecord(removable)), removable);
}

TEST(InstallRecordFormat, EveryCutAndEveryChangedByteIsRefused) {
    const std::string bytes = FormatInstallRecord(SampleRecord());
    for (size_t length = 0; length < bytes.size(); ++length)
        EXPECT_NE(ErrorOf(bytes.substr(0, length)), "<accepted>") << "cut after " << length << " bytes";
    for (size_t at = 0; at < bytes.size(); ++at) {
        std::string changed = bytes;
        changed[at] = static_cast<char>(changed[at] ^ 0x04);
        EXPECT_NE(ErrorOf(changed), "<accepted>") << "byte " << at << " changed";
    }
    // A second record appended (or a line repeated) is no record either.
    EXPECT_NE(ErrorOf(bytes + bytes), "<accepted>");
}

TEST(InstallRecordFormat, MalformedContentIsRefusedWithTheReason) {
    const struct {
        std::string body;
        const char* reason;
    } cases[] = {
        {kHeader + "colour\tred\r\n", "unknown item \"colour\""},
        {kHeader + "file\tbig\tC:\\P\\Bin\\A.dll\r\n", "is no number of bytes"},
        {kHeader + "file\t-1\tC:\\P\\Bin\\A.dll\r\n", "is no number of bytes"},
        {kHeader + "file\t42\tBin\\A.dll\r\n", "is no full file path"},
        {kHeader + "file\t42\tC:\\P\\Bin\\\r\n", "is no full file path"},
        {kHeader + "folder\tC:\\P\\Bin\r\n", "is no full folder path"},
        {kHeader + "link\t\r\n", "is no full file path"},
        {kHeader + "file\t42\r\n", "needs 2 fields"},
        {kHeader + "filetype\tqvbak\tVessasQuorin\tx\r\n", "is no file type"},
        {kHeader + "settings\tSOFTWARE\\VessasQuorin\t\r\n", "names no key and value"},
        {kHeader + "key\tHKCR\tSoftware\\Classes\r\n", "is no registry key"},
        {kHeader + "archive\tHF2\r\n", "\"archive\" is given twice"},
        {kHeader + "removable\tY\r\n", "\"removable\" must be Y or N, once"},
        {kHeader + "file\t1\tC:\\P\\\xC0\xAF.dll\r\n", "is no valid UTF-8"},
        {kHeader + "file\t1\tC:\\P\\\xED\xA0\x80.dll\r\n", "is no valid UTF-8"},
        {"VQInstallRecord\t2\r\n", "written by a newer setup"},
        {"VQInstallRecord\t0\r\n", "unknown record version"},
        {"VQSetupLog\t1\r\n", "is no install record"},
        {"VQInstallRecord\t1\r\narchive\tHF1\r\n", "lacks its \"language\" line"},
        {"", "the record is empty"},
    };
    for (const auto& c : cases) {
        const std::string error = ErrorOf(WithEnd(c.body));
        EXPECT_NE(error.find(c.reason), std::string::npos) << "got: " << error << "\nfor: " << c.body;
    }
    // The end line counts the lines before it.
    const std::string counted = kHeader + "end\t8\t" + [] {
        char crc[16];
        std::snprintf(crc, sizeof crc, "%08x\r\n", static_cast<unsigned>(Crc32(kHeader)));
        return std::string(crc);
    }();
    EXPECT_NE(ErrorOf(counted).find("has 9 lines, its end line says 8"), std::string::npos) << ErrorOf(counted);
    EXPECT_EQ(ErrorOf(WithEnd(kHeader)), "<accepted>") << "the header alone is a record of nothing";
}

TEST(InstallRecordFormat, FieldsTheFormatCannotCarryAreRefusedWhenWritten) {
    for (const wchar_t* bad : {L"C:\\a\tb\\", L"C:\\a\rb\\", L"C:\\a\nb\\"}) {
        InstallRecord r = SampleRecord();
        r.AddFolder(bad);
        EXPECT_THROW(FormatInstallRecord(r), EVQError);
    }
}

TEST(InstallRecordItems, RepeatedItemsReplaceTheEarlierOnesWhateverTheCase) {
    InstallRecord r;
    r.AddFile(L"C:\\P\\Bin\\A.dll", 1);
    r.AddFile(L"c:\\p\\bin\\a.DLL", 2);
    ASSERT_EQ(r.Files.size(), 1u) << "one file, written twice";
    EXPECT_EQ(r.Files[0].Size, 2) << "the size of the later write counts";
    ASSERT_NE(r.FindFile(L"C:\\P\\BIN\\A.dll"), nullptr);
    r.ForgetFile(L"C:\\p\\BIN\\a.dll");
    EXPECT_TRUE(r.Files.empty());

    r.AddFolder(L"C:\\P\\");
    r.AddFolder(L"c:\\p\\");
    r.AddLink(L"C:\\L.lnk");
    r.AddLink(L"c:\\l.LNK");
    EXPECT_EQ(r.Folders, std::vector<std::wstring>{L"C:\\P\\"});
    EXPECT_EQ(r.Links, std::vector<std::wstring>{L"C:\\L.lnk"});
    r.AddFileType({L".qvbak", L"A", L"old"});
    r.AddFileType({L".QVBAK", L"A", L"new"});
    ASSERT_EQ(r.FileTypes.size(), 1u);
    EXPECT_EQ(r.FileTypes[0].OpenCommand, L"new");

    const struct { const wchar_t* a; const wchar_t* b; bool same; } paths[] = {
        {L"C:\\A\\b.txt", L"c:\\a\\B.TXT", true},
        {L"C:\\A\\b.txt", L"C:\\A\\b.txt ", false},
        {L"C:\\A\\", L"C:\\A", false},
        {L"C:\\\u00c4\\", L"C:\\\u00c4\\", true},
    };
    for (const auto& p : paths) EXPECT_EQ(SamePath(p.a, p.b), p.same) << "pair " << &p - paths;
}

}  // namespace
