// Paths the ANSI code page cannot spell (Wine's is 1252, so Polish letters will do): compressed
// entries written into such folders while the temp folder is one too, with this build's ziplib.dll
// and with a library that has only the plain exports, which gets 8.3 names, or where a volume
// keeps none, temporary names in an ANSI-safe folder; and the wide exports of the library itself.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <cwchar>
#include <optional>
#include <vector>

#include "ArchiveBytes.h"
#include "ArchiveFixtures.h"
#include "TestSupport.h"
#include "archive/FileCompress.h"
#include "services/UtillityUnit.h"
#include "services/VQError.h"

using namespace archivetest;
using namespace testsupport;

namespace {

const std::wstring kCity = L"\u0141\u00f3d\u017a";      // Łódź
const std::wstring kColour = L"\u017b\u00f3\u0142\u0107";  // Żółć

std::string Utf8(const std::wstring& text) {
    const int n = ::WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<size_t>(std::max(n, 0)), '\0');
    if (n > 0) ::WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), out.data(), n, nullptr, nullptr);
    return out;
}

// This build's library, or the one built without the wide exports.
std::wstring Library(bool wide) { return ModuleFolder() + (wide ? L"ziplib.dll" : L"ziplib_ansi.dll"); }

// A volume that keeps no 8.3 names (Wine always makes them).
class NoShortNames {
public:
    NoShortNames() {
        TFileCompress::SetShortPathQuery([](const std::wstring&) { return std::wstring(); });
    }
    ~NoShortNames() { TFileCompress::SetShortPathQuery(nullptr); }
    NoShortNames(const NoShortNames&) = delete;
    NoShortNames& operator=(const NoShortNames&) = delete;
};

std::wstring WindowsTemp() {
    wchar_t windows[MAX_PATH] = {};
    ::GetSystemWindowsDirectoryW(windows, MAX_PATH);
    return Utillity::AddBackslash(windows) + L"Temp\\";
}

// The temporary names ziplib.dll and the setup make (vqz*.tmp) in a folder.
std::vector<std::wstring> StagingFilesIn(const std::wstring& folder) {
    std::vector<std::wstring> names = FilesIn(folder);
    names.erase(std::remove_if(names.begin(), names.end(),
                               [](const std::wstring& name) { return UpperCase(name.substr(0, 3)) != L"VQZ"; }),
                names.end());
    return names;
}

void AssertNotAnsi(const std::wstring& text) {
    ASSERT_FALSE(ToCodePage(text, CP_ACP)) << "the ANSI code page " << ::GetACP() << " spells " << Utf8(text)
                                           << "; these tests need one that does not (Wine's 1252)";
}

using FileProc = int(__cdecl*)(const char*, const char*, char*);
using WideFileProc = int(__cdecl*)(const wchar_t*, const wchar_t*, wchar_t*);
template <class Proc>
Proc ExportOf(HMODULE library, const char* name) {
    return reinterpret_cast<Proc>(reinterpret_cast<void (*)()>(::GetProcAddress(library, name)));
}

TEST(WidePaths, CompressedEntriesReachFoldersOutsideTheAnsiCodePageWithEitherLibrary) {
    RestrictDllSearch();
    AssertNotAnsi(kCity);
    {
        ModuleHandle plainOnly(::LoadLibraryW(Library(false).c_str()));
        ASSERT_TRUE(plainOnly);
        ASSERT_EQ(::GetProcAddress(plainOnly.get(), "DeflateFileW"), nullptr) << "not the library of before";
    }
    const std::string first = Content(30000), second = Content(777);
    const std::string firstMember = GzipOf(first), secondMember = GzipOf(second);
    const struct Case {
        const char* what;
        bool wideLibrary, shortNames, ansiTemp, ansiTarget;
    } cases[] = {
        {"this build's library", true, true, false, false},
        {"plain exports, paths the code page spells", false, true, true, true},
        {"plain exports, through 8.3 names", false, true, false, false},
        {"plain exports, no 8.3 names, through the temp folder", false, false, true, false},
        {"plain exports, no 8.3 names, through the Windows folder's Temp", false, false, false, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ScratchFolder scratch(L"widepaths");
        const std::wstring temp = scratch.Path() + (c.ansiTemp ? L"Temp\\" : L"Temp " + kCity + L"\\");
        const std::wstring root = scratch.Path() + (c.ansiTarget ? L"Program\\" : L"Program " + kColour + L"\\");
        ASSERT_TRUE(Utillity::MakeFolderPath(temp));
        ASSERT_TRUE(Utillity::MakeFolderPath(root + L"Bin"));
        // The program file is replaced, the sample is new.
        WriteFileBytes(root + L"Bin\\VessasQuorin.Exe", "installed before");
        const std::vector<std::wstring> staging = StagingFilesIn(WindowsTemp());
        {
            TempFolderOverride tempFolder(temp);
            std::optional<NoShortNames> noShortNames;
            if (!c.shortNames) noShortNames.emplace();
            // Destroyed before the scratch folder, so the library it loaded lets go of its file.
            Archive archive(ArchiveBytes()
                                .Header("v", 3)
                                .Entry(ReadFileBytes(Library(c.wideLibrary)), "ziplib.dll", "", "PROGRAM", "Bin", 1, 0)
                                .Entry(firstMember, "VessasQuorin.Exe", "", "PROGRAM", "Bin", 1, 1)
                                .Entry(secondMember, "Sample.qvbak", "", "USER", "VQ_User_0001", 0, 1)
                                .Bytes());
            try {
                for (int i = 0; i < 3; ++i) archive[i].Extract(root);
            } catch (const EVQError& e) {
                ADD_FAILURE() << Utf8(e.Message());
            }
        }
        EXPECT_EQ(ReadFileBytes(root + L"Bin\\VessasQuorin.Exe"), first);
        EXPECT_EQ(ReadFileBytes(root + L"VQ_User_0001\\Sample.qvbak"), second);
        EXPECT_EQ(FilesIn(root + L"Bin"), (std::vector<std::wstring>{L"VessasQuorin.Exe", L"ziplib.dll"}));
        EXPECT_EQ(FilesIn(root + L"VQ_User_0001"), std::vector<std::wstring>{L"Sample.qvbak"});
        EXPECT_EQ(FilesIn(temp), std::vector<std::wstring>{});
        EXPECT_EQ(StagingFilesIn(WindowsTemp()), staging);
    }
}

TEST(WidePaths, AFailedDecompressionKeepsTheTargetAndLeavesNoTemporaryNameBehind) {
    RestrictDllSearch();
    AssertNotAnsi(kCity);
    std::string member = GzipOf(Content(5000));
    member[member.size() - 8] ^= 0x40;  // the CRC-32 in the trailer
    for (const bool wideLibrary : {true, false}) {
        SCOPED_TRACE(wideLibrary ? "this build's library" : "plain exports, no 8.3 names");
        ScratchFolder scratch(L"widefail");
        const std::wstring temp = scratch.Path() + L"Temp " + kCity + L"\\";
        const std::wstring bin = scratch.Path() + L"Program " + kColour + L"\\";
        ASSERT_TRUE(Utillity::MakeFolderPath(temp));
        ASSERT_TRUE(Utillity::MakeFolderPath(bin));
        WriteFileBytes(bin + L"ziplib.dll", ReadFileBytes(Library(wideLibrary)));
        WriteFileBytes(bin + L"VQCore.dll", "installed before");
        const std::vector<std::wstring> staging = StagingFilesIn(WindowsTemp());
        std::wstring message, source;
        {
            TempFolderOverride tempFolder(temp);
            NoShortNames noShortNames;
            Archive archive(ArchiveBytes().Header("v", 1).Entry(member, "VQCore.dll", "", "PROGRAM", "", 1, 1).Bytes());
            try {
                archive[0].Extract(bin);
            } catch (const EVQError& e) {
                message = e.Message();
            }
            ASSERT_FALSE(archive.reports.empty());
            source = archive.reports[0].message.substr(0, archive.reports[0].message.find(L'('));
        }
        EXPECT_EQ(message.rfind(L"Error Deflate ", 0), 0u) << Utf8(message);
        EXPECT_GT(message.size(), 14u);
        // Through the wide export the library names the file it was given, not some stand-in.
        if (wideLibrary) {
            EXPECT_NE(message.find(source), std::wstring::npos) << Utf8(message);
        }
        EXPECT_EQ(ReadFileBytes(bin + L"VQCore.dll"), "installed before");
        EXPECT_EQ(FilesIn(bin), (std::vector<std::wstring>{L"VQCore.dll", L"ziplib.dll"}));
        EXPECT_EQ(StagingFilesIn(WindowsTemp()), staging);
    }
}

TEST(ZipLibWide, CompressesAndDecompressesBetweenAnyPathsAndLeavesNoTemporaryFile) {
    RestrictDllSearch();
    ScratchFolder scratch(L"zipwide");
    const std::wstring folder = scratch.Path() + kCity + L"\\";
    ASSERT_TRUE(Utillity::MakeFolderPath(folder));
    ModuleHandle library(::LoadLibraryW(Library(true).c_str()));
    ASSERT_TRUE(library);
    const auto compress = ExportOf<WideFileProc>(library.get(), "CompressFileW");
    const auto deflate = ExportOf<WideFileProc>(library.get(), "DeflateFileW");
    ASSERT_TRUE(compress && deflate);
    const std::string content = Content(70000);
    const std::wstring plain = folder + kColour + L".dat", member = folder + kColour + L".gz",
                       back = folder + kCity + L".dat";
    WriteFileBytes(plain, content);
    wchar_t error[TFileCompress::ErrorBufferSize] = {};
    EXPECT_EQ(compress(plain.c_str(), member.c_str(), error), 0) << Utf8(error);
    EXPECT_EQ(deflate(member.c_str(), back.c_str(), error), 0) << Utf8(error);
    EXPECT_EQ(ReadFileBytes(back), content);
    // The same member the plain export writes.
    EXPECT_EQ(ReadFileBytes(member), GzipOf(content));
    std::vector<std::wstring> expected = {kCity + L".dat", kColour + L".dat", kColour + L".gz"};
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(FilesIn(folder), expected);

    const std::wstring missing = folder + L"missing " + kColour + L".gz";
    EXPECT_EQ(deflate(missing.c_str(), back.c_str(), error), 2);
    EXPECT_NE(std::wstring(error).find(missing), std::wstring::npos) << Utf8(error);
    EXPECT_EQ(ReadFileBytes(back), content);
}

// A text longer than the buffer is cut to 1000 units and terminated, and not one unit is written
// past the 1001 of the contract: bytes for the plain exports, wchar_t for the wide ones.
TEST(ZipLibWide, ErrorTextsFillAtMost1001UnitsOfTheirBuffer) {
    RestrictDllSearch();
    ModuleHandle library(::LoadLibraryW(Library(true).c_str()));
    ASSERT_TRUE(library);
    constexpr size_t kBuffer = TFileCompress::ErrorBufferSize, kGuard = 100;
    {
        const auto deflate = ExportOf<FileProc>(library.get(), "DeflateFile");
        ASSERT_TRUE(deflate);
        const std::string source = "C:\\" + std::string(1200, 'a');
        std::vector<char> error(kBuffer + kGuard, '#');
        EXPECT_EQ(deflate(source.c_str(), "C:\\target", error.data()), 2);
        EXPECT_EQ(std::string(error.data(), 12), "cannot open ");
        EXPECT_EQ(strnlen(error.data(), error.size()), kBuffer - 1);
        EXPECT_TRUE(std::all_of(error.begin() + kBuffer, error.end(), [](char c) { return c == '#'; }));
    }
    {
        const auto deflate = ExportOf<WideFileProc>(library.get(), "DeflateFileW");
        ASSERT_TRUE(deflate);
        const std::wstring source = L"C:\\" + std::wstring(1200, L'\u0105');
        std::vector<wchar_t> error(kBuffer + kGuard, L'#');
        EXPECT_EQ(deflate(source.c_str(), L"C:\\target", error.data()), 2);
        EXPECT_EQ(std::wstring(error.data(), 12), L"cannot open ");
        EXPECT_EQ(wcsnlen(error.data(), error.size()), kBuffer - 1);
        EXPECT_TRUE(std::all_of(error.begin() + kBuffer, error.end(), [](wchar_t c) { return c == L'#'; }));
    }
}

}  // namespace
