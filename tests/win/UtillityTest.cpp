// Utillity's path, file, folder and log operations, and the error report, against the real
// Windows APIs of the test prefix.
#include <gtest/gtest.h>
#include <shlobj.h>
#include <shobjidl.h>

#include <stdexcept>
#include <vector>

#include "TestSupport.h"
#include "services/Handles.h"
#include "services/UtillityUnit.h"
#include "services/VQError.h"
#include "texts/ErrorUnit.h"
#include "texts/LanguageUnit.h"

using namespace testsupport;

TEST(AddBackslash, Cases) {
    const struct { const wchar_t* in; const wchar_t* out; } cases[] = {
        {L"", L""}, {L"C:\\Data", L"C:\\Data\\"}, {L"C:\\Data\\", L"C:\\Data\\"}, {L"C:", L"C:\\"}, {L"\\", L"\\"},
    };
    for (const auto& c : cases) EXPECT_EQ(Utillity::AddBackslash(c.in), c.out) << c.in;
}

TEST(MakeFolderPath, CreatesEveryMissingFolderAndStopsAtTheFirstFailure) {
    ScratchFolder scratch(L"mkpath");
    const std::wstring a = scratch.Path() + L"A", ab = a + L"\\B";
    ASSERT_TRUE(Utillity::MakeFolderPath(ab));
    EXPECT_TRUE(Utillity::DirExists(a));
    EXPECT_TRUE(Utillity::DirExists(ab));

    // Existing parents are kept; only the missing part is made.
    EXPECT_TRUE(Utillity::MakeFolderPath(ab + L"\\C\\"));
    EXPECT_TRUE(Utillity::DirExists(ab + L"\\C"));

    EXPECT_TRUE(Utillity::MakeFolderPath(L"C:\\"));

    // Neither an empty nor a relative path makes anything below the current folder.
    wchar_t current[MAX_PATH] = {};
    ::GetCurrentDirectoryW(MAX_PATH, current);
    ::SetCurrentDirectoryW(scratch.Path().c_str());
    EXPECT_FALSE(Utillity::MakeFolderPath(L""));
    EXPECT_FALSE(Utillity::MakeFolderPath(L"Apps\\VQ\\Bin"));
    EXPECT_FALSE(Utillity::MakeFolderPath(L"C:Apps\\VQ"));
    ::SetCurrentDirectoryW(current);
    for (const wchar_t* junk : {L"Apps", L"Ap", L"VQ", L"pps"})
        EXPECT_FALSE(Utillity::DirExists(scratch.Path() + junk)) << junk;

    // A file where a folder should be: false, and nothing below it is tried.
    const std::wstring blocker = scratch.Path() + L"File";
    WriteFileBytes(blocker, "x");
    EXPECT_FALSE(Utillity::MakeFolderPath(blocker + L"\\Sub\\Deeper"));
    EXPECT_FALSE(Utillity::DirExists(blocker + L"\\Sub"));

    // A share that does not exist cannot be made.
    EXPECT_FALSE(Utillity::MakeFolderPath(L"\\\\nosuchserver\\noshare\\dir"));
}

// The name is taken by creating the file, so neither a second call nor a second setup running at
// the same time gets it too.
TEST(MakeTempFileName, CreatesTheFileItNamesAndSkipsNamesThatAreTaken) {
    const std::wstring temp = Utillity::GetTempFolder();
    ASSERT_FALSE(temp.empty());
    EXPECT_EQ(temp.back(), L'\\');
    const auto name = [&](const wchar_t* number) { return temp + L"temp" + number + L".Tmp"; };
    for (const wchar_t* number : {L"1000", L"1001", L"1002", L"-5"}) ::DeleteFileW(name(number).c_str());
    WriteFileBytes(name(L"1000"), "another setup's");

    EXPECT_EQ(Utillity::MakeTempFileNameFrom(1000), name(L"1001"));
    EXPECT_EQ(Utillity::MakeTempFileNameFrom(1000), name(L"1002"));
    EXPECT_EQ(Utillity::MakeTempFileNameFrom(-5), name(L"-5"));
    for (const wchar_t* number : {L"1001", L"1002", L"-5"}) {
        EXPECT_TRUE(Utillity::FileExists(name(number))) << number;
        EXPECT_EQ(Utillity::GetFileSize(name(number)), 0) << number;
    }
    EXPECT_EQ(ReadFileBytes(name(L"1000")), "another setup's");
    const std::wstring any = Utillity::MakeTempFileName();
    EXPECT_EQ(any.substr(0, temp.size() + 4), temp + L"temp");
    EXPECT_TRUE(Utillity::FileExists(any));
    for (const std::wstring& path : {name(L"1000"), name(L"1001"), name(L"1002"), name(L"-5"), any})
        ::DeleteFileW(path.c_str());
}

TEST(MakeTempFileName, ATempFolderThatCannotHoldFilesRaisesTheError) {
    TempFolderOverride missing(L"C:\\no\\such\\temp\\folder\\");
    try {
        Utillity::MakeTempFileNameFrom(1);
        ADD_FAILURE() << "no error";
    } catch (const EVQError& e) {
        EXPECT_EQ(e.Message(), L"cannot create temp file.");
    }
}

// Whether a text crosses into an 8-bit API unchanged, decided without the conversion flags that
// UTF-8 code pages refuse.
TEST(ToCodePage, SpellsATextExactlyOrNotAtAll) {
    const struct { const wchar_t* text; UINT codePage; std::optional<std::string> bytes; } cases[] = {
        {L"", 1252, std::string()},
        {L"C:\\M\u00fcller\\Daten", 1252, std::string("C:\\M\xFCller\\Daten")},
        // Best fit would make "Lodz" of it, another folder.
        {L"C:\\\u0141\u00f3d\u017a", 1252, std::nullopt},
        {L"C:\\\u0141\u00f3d\u017a", 1250, std::string("C:\\\xA3\xF3" "d\x9F")},
        {L"C:\\\u0141\u00f3d\u017a", CP_UTF8, std::string("C:\\\xC5\x81\xC3\xB3" "d\xC5\xBA")},
        {L"C:\\\u65e5\u672c", CP_UTF8, std::string("C:\\\xE6\x97\xA5\xE6\x9C\xAC")},
        {L"C:\\\u65e5\u672c", 1252, std::nullopt},
        // Not even UTF-8 spells half a surrogate pair.
        {L"C:\\\xD800x", CP_UTF8, std::nullopt},
        {L"?", 1252, std::string("?")},
    };
    for (const auto& c : cases) EXPECT_EQ(ToCodePage(c.text, c.codePage), c.bytes) << c.codePage << " case " << (&c - cases);
}

TEST(AppendLogLine, AppendsTimeStampedLinesInCallOrder) {
    const std::wstring name = L"vq_append_test.txt";
    const std::wstring path = Utillity::GetTempFolder() + name;
    ::DeleteFileW(path.c_str());

    SYSTEMTIME now;
    ::GetLocalTime(&now);
    wchar_t date[64] = {};
    ::GetDateFormatW(LOCALE_USER_DEFAULT, DATE_SHORTDATE, &now, nullptr, date, 64);

    Utillity::AppendLogLine(name, L"first");
    Utillity::AppendLogLine(name, L"second \u00e4\u00df\u20ac\r\ncontinued");
    const std::string bytes = ReadFileBytes(path);
    ::DeleteFileW(path.c_str());

    const std::string narrowDate(date, date + wcslen(date));
    const size_t firstEnd = bytes.find("\r\n");
    ASSERT_NE(firstEnd, std::string::npos);
    const std::string first = bytes.substr(0, firstEnd);
    EXPECT_EQ(first.rfind(narrowDate + " ", 0), 0u) << first;
    EXPECT_EQ(LogText(first), "first");
    // The second line: Windows-1252 bytes, and its own CR LF continues without a time stamp.
    const std::string rest = bytes.substr(firstEnd + 2);
    EXPECT_EQ(LogText(rest), "second \xE4\xDF\x80\r\ncontinued\r\n");
}

// An install run keeps its log open: the same lines in the same file, readable meanwhile, and
// handed to a viewer that wants the file to itself.
TEST(AppendLogLine, AKeptLogWritesTheSameLinesAndStepsAsideForTheViewer) {
    const std::wstring name = L"vq_kept_test.txt", other = L"vq_kept_other.txt";
    const std::wstring path = Utillity::GetTempFolder() + name, otherPath = Utillity::GetTempFolder() + other;
    ::DeleteFileW(path.c_str());
    ::DeleteFileW(otherPath.c_str());
    bool viewerHadTheFile = false;
    Utillity::SetShellOpener([&](const std::wstring& shown) {
        // No sharing of writes, as a strict viewer opens it.
        FileHandle viewer(::CreateFileW(shown.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
        viewerHadTheFile = static_cast<bool>(viewer);
    });
    {
        const Utillity::KeptLog kept(name);
        Utillity::AppendLogLine(name, L"one");
        Utillity::AppendLogLine(other, L"elsewhere");
        EXPECT_EQ(LogText(ReadFileBytes(path)), "one\r\n") << "readable while kept";
        Utillity::ShowTempFile(name);
        EXPECT_TRUE(viewerHadTheFile);
        Utillity::AppendLogLine(name, L"two");
    }
    Utillity::SetShellOpener(nullptr);
    const std::string bytes = ReadFileBytes(path);
    const size_t second = bytes.find("\r\n") + 2;
    EXPECT_EQ(LogText(bytes.substr(0, second)), "one\r\n");
    EXPECT_EQ(LogText(bytes.substr(second)), "two\r\n");
    EXPECT_EQ(LogText(ReadFileBytes(otherPath)), "elsewhere\r\n");
    EXPECT_TRUE(::DeleteFileW(path.c_str())) << "released when the run ends";
    ::DeleteFileW(otherPath.c_str());
}

// A log that cannot be written costs the line and nothing else: no error, no dialog, and no file
// written anywhere else instead (the current folder, say).
TEST(AppendLogLine, ALogThatCannotBeWrittenIsLostSilently) {
    ScratchFolder scratch(L"lostlog");
    ScratchFolder current(L"lostlogcwd");
    // Where the log should be there is a folder of that name; elsewhere there is no folder at all.
    ASSERT_TRUE(::CreateDirectoryW((scratch.Path() + L"vq_lost.txt").c_str(), nullptr));
    wchar_t saved[MAX_PATH] = {}, savedCwd[MAX_PATH] = {};
    ::GetEnvironmentVariableW(L"TMP", saved, MAX_PATH);
    ::GetCurrentDirectoryW(MAX_PATH, savedCwd);
    ::SetCurrentDirectoryW(current.Path().c_str());
    DialogRecorder dialogs;
    for (const std::wstring& temp : {scratch.Path(), std::wstring(L"C:\\no\\such\\temp\\folder")}) {
        ::SetEnvironmentVariableW(L"TMP", temp.c_str());
        EXPECT_NO_THROW(Utillity::AppendLogLine(L"vq_lost.txt", L"lost"));
        EXPECT_NO_THROW(Utillity::ShowTempFile(L"vq_lost.txt"));
    }
    ::SetEnvironmentVariableW(L"TMP", saved[0] ? saved : nullptr);
    ::SetCurrentDirectoryW(savedCwd);
    EXPECT_TRUE(dialogs.Dialogs().empty());
    EXPECT_TRUE(Utillity::DirExists(scratch.Path() + L"vq_lost.txt"));
    EXPECT_FALSE(Utillity::FileExists(current.Path() + L"vq_lost.txt"));
    EXPECT_FALSE(Utillity::DirExists(L"C:\\no"));
}

TEST(RemoveFileAndFolder, DeleteThroughTheShell) {
    ScratchFolder scratch(L"remove");
    const std::wstring file = scratch.Path() + L"a.txt";
    WriteFileBytes(file, "abc");
    EXPECT_EQ(Utillity::GetFileSize(file), 3);
    EXPECT_TRUE(Utillity::RemoveFile(file));
    EXPECT_FALSE(Utillity::FileExists(file));
    EXPECT_FALSE(Utillity::RemoveFile(file));

    const std::wstring folder = scratch.Path() + L"X\\Y\\";
    ASSERT_TRUE(Utillity::MakeFolderPath(folder));
    WriteFileBytes(folder + L"user.txt", "mine");
    EXPECT_TRUE(Utillity::RemoveFolder(folder));
    EXPECT_FALSE(Utillity::DirExists(folder));
    EXPECT_TRUE(Utillity::DirExists(scratch.Path() + L"X"));
}

TEST(RemoveFileAndFolder, OnlyTheNamedFolderAndNeverARoot) {
    ScratchFolder scratch(L"removeexact");
    // Without its trailing backslash the folder is still the one named, not its parent.
    const std::wstring parent = scratch.Path() + L"X", child = parent + L"\\Y";
    ASSERT_TRUE(Utillity::MakeFolderPath(child));
    EXPECT_TRUE(Utillity::RemoveFolder(child));
    EXPECT_FALSE(Utillity::DirExists(child));
    EXPECT_TRUE(Utillity::DirExists(parent));
    for (const wchar_t* root : {L"C:\\", L"C:", L"c:\\", L"\\\\server\\share\\", L"\\\\server\\share", L"", L"Relative\\"})
        EXPECT_FALSE(Utillity::RemoveFolder(root)) << root;
    EXPECT_TRUE(Utillity::DirExists(L"C:\\windows"));
}

TEST(Paths, AbsoluteAndRootForms) {
    const struct { const wchar_t* path; bool absolute, root; } cases[] = {
        {L"C:\\", true, true},           {L"C:", false, true},          {L"d:\\Data", true, false},
        {L"C:Data", false, false},        {L"\\Data", false, false},    {L"Data\\Sub", false, false},
        {L"", false, false},              {L"1:\\x", false, false},     {L"\\\\srv\\share", true, true},
        {L"\\\\srv\\share\\", true, true}, {L"\\\\srv\\share\\dir", true, false},
        {L"\\\\srv", false, false},      {L"\\\\srv\\", false, false}, {L"\\\\?\\C:\\x", false, false},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(Utillity::IsAbsolutePath(c.path), c.absolute) << c.path;
        EXPECT_EQ(Utillity::IsRootFolder(c.path), c.root) << c.path;
    }
}

TEST(RemoveFileAndFolder, PathsTooLongForTheShellBufferAreRefused) {
    ScratchFolder scratch(L"long");
    std::wstring dir = scratch.Path();
    while (dir.size() < 200) dir += L"abcdefghij\\", ::CreateDirectoryW(dir.c_str(), nullptr);
    const auto fileOfLength = [&](size_t length) { return dir + std::wstring(length - dir.size(), L'f'); };
    const std::wstring fits = fileOfLength(254), tooLong = fileOfLength(255);
    WriteFileBytes(fits, "1");
    WriteFileBytes(tooLong, "2");
    ASSERT_TRUE(Utillity::FileExists(tooLong));
    EXPECT_TRUE(Utillity::RemoveFile(fits));
    EXPECT_FALSE(Utillity::RemoveFile(tooLong));
    EXPECT_TRUE(Utillity::FileExists(tooLong));
    ::DeleteFileW(tooLong.c_str());
}

TEST(GetFileSize, MissingFileRaisesTheOpenError) {
    try {
        Utillity::GetFileSize(L"C:\\no\\such.file");
        FAIL() << "no error";
    } catch (const EVQError& e) {
        EXPECT_EQ(e.Message(), L"Cannot open file C:\\no\\such.file");
    }
}

TEST(SystemQueries, FoldersAndUser) {
    EXPECT_EQ(Utillity::GetProgramFilesFolder(), L"C:\\Program Files\\");
    EXPECT_EQ(UpperCase(Utillity::GetSpecialFolder(nullptr, CSIDL_COMMON_DESKTOPDIRECTORY)), L"C:\\USERS\\PUBLIC\\DESKTOP\\");
    // Against the environment, which the system fills from its own record of the folders.
    wchar_t appData[MAX_PATH] = {};
    ASSERT_GT(::GetEnvironmentVariableW(L"APPDATA", appData, MAX_PATH), 0u);
    EXPECT_EQ(UpperCase(Utillity::GetSpecialFolder(nullptr, CSIDL_APPDATA)), UpperCase(Utillity::AddBackslash(appData)));
    EXPECT_FALSE(Utillity::GetCurrentUserName().empty());
    EXPECT_NE(Utillity::GetSystemLanguage(), 0);
}

// The program-files folder read through a redirected HKEY_LOCAL_MACHINE, so the test prefix's
// real key is never touched.
class RedirectedMachineKey {
public:
    RedirectedMachineKey() {
        ::RegCreateKeyExW(HKEY_CURRENT_USER, L"Software\\VQTestUtillity\\Machine", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                          root_.put(), nullptr);
        ::RegOverridePredefKey(HKEY_LOCAL_MACHINE, root_.get());
    }
    ~RedirectedMachineKey() {
        ::RegOverridePredefKey(HKEY_LOCAL_MACHINE, nullptr);
        root_.reset();
        ::RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\VQTestUtillity");
    }
    HKEY Root() const { return root_.get(); }

private:
    RegKey root_;
};

std::wstring ProgramFilesError() {
    try {
        Utillity::GetProgramFilesFolder();
    } catch (const EVQError& e) {
        return e.Message();
    }
    return L"(no error)";
}

TEST(GetProgramFilesFolder, MissingKeyAndMissingValueRaiseTheirErrors) {
    RedirectedMachineKey redirect;
    EXPECT_EQ(ProgramFilesError(), L"Cannot open \\Software\\Microsoft\\Windows\\CurrentVersion");
    RegKey key;
    ::RegCreateKeyExW(redirect.Root(), L"Software\\Microsoft\\Windows\\CurrentVersion", 0, nullptr, 0, KEY_ALL_ACCESS,
                      nullptr, key.put(), nullptr);
    EXPECT_EQ(ProgramFilesError(), L"Cannot read ProgramFilesDir from \\Software\\Microsoft\\Windows\\CurrentVersion");
    const wchar_t value[] = L"D:\\Apps";
    ::RegSetValueExW(key.get(), L"ProgramFilesDir", 0, REG_SZ, reinterpret_cast<const BYTE*>(value), sizeof value);
    EXPECT_EQ(Utillity::GetProgramFilesFolder(), L"D:\\Apps\\");
}

TEST(ReportError, ShowsLogsAndOpensTheLog) {
    const struct { const wchar_t* context; const char* logged; } cases[] = {
        {L"", "Something failed\r\n\r\n"},
        {L"HKEY_CURRENT_USER Setup", "Something failed\r\nHKEY_CURRENT_USER Setup\r\n"},
    };
    for (const auto& c : cases) {
        CurrentLanguage = L"de-DE";  // the report is not localized
        DialogRecorder dialogs;
        std::vector<std::wstring> opened;
        Utillity::SetShellOpener([&](const std::wstring& path) { opened.push_back(path); });
        const size_t before = ReadFileBytes(Utillity::GetTempFolder() + LogFileName).size();

        ReportError(EVQError(L"Something failed"), c.context);

        ASSERT_EQ(dialogs.Dialogs().size(), 1u);
        const DialogRequest& d = dialogs.Dialogs()[0];
        EXPECT_EQ(d.Caption, L"Error");
        EXPECT_EQ(d.Kind, DialogKind::Error);
        EXPECT_EQ(d.Message, std::wstring(L"Something failed\r\n") + c.context);
        ASSERT_EQ(d.Buttons.size(), 1u);
        EXPECT_EQ(d.Buttons[0].Caption, L"OK");
        const std::string added = ReadFileBytes(Utillity::GetTempFolder() + LogFileName).substr(before);
        EXPECT_EQ(LogText(added), c.logged);
        EXPECT_EQ(opened, std::vector<std::wstring>{Utillity::GetTempFolder() + LogFileName});
        Utillity::SetShellOpener([](const std::wstring&) {});
    }
    CurrentLanguage.clear();
}

TEST(Guarded, ReportsEveryStandardExceptionOnceAndLetsOthersPass) {
    DialogRecorder dialogs;
    bool after = false;
    Guarded(L"ctx", [&] {
        throw EVQError(L"boom");
        after = true;
    });
    EXPECT_FALSE(after);
    ASSERT_EQ(dialogs.Dialogs().size(), 1u);
    EXPECT_EQ(dialogs.Dialogs()[0].Message, L"boom\r\nctx");
    // An allocation or an index gone wrong is a failure like any other, not the end of the program.
    Guarded([] { throw std::out_of_range("index 7 out of range"); });
    Guarded([] { std::vector<int>().at(3); });
    ASSERT_EQ(dialogs.Dialogs().size(), 3u);
    EXPECT_EQ(dialogs.Dialogs()[1].Message, L"index 7 out of range\r\n");
    EXPECT_FALSE(dialogs.Dialogs()[2].Message.empty());
    struct NotAnException {};
    EXPECT_THROW(Guarded([] { throw NotAnException{}; }), NotAnException);
    EXPECT_EQ(dialogs.Dialogs().size(), 3u);
    // Where the system calls back, nothing passes.
    EXPECT_EQ(CallbackGuard<int>(-1, []() -> int { throw NotAnException{}; }), -1);
    EXPECT_EQ(dialogs.Dialogs().size(), 4u);
    EXPECT_STREQ(EVQError(L"Gr\u00fc\u00dfe").what(), "Gr\xC3\xBC\xC3\x9F" "e");
}

TEST(ShowDialog, CaptionsAndResultsFollowTheButtonOrder) {
    DialogRecorder dialogs;
    dialogs.PressButton(0);
    dialogs.PressButton(1);
    const unsigned cancelRetry = ButtonSet({dbCancel, dbRetry});
    EXPECT_EQ(cancelRetry, 40u);
    EXPECT_EQ(Utillity::ShowDialog(L"Error during setup", L"m", DialogKind::Confirmation, cancelRetry,
                                   {L"Repeat", L"Cancel"}, {mrRetry, mrCancel}), mrRetry);
    EXPECT_EQ(Utillity::ShowDialog(L"Error during setup", L"m", DialogKind::Confirmation, cancelRetry,
                                   {L"Repeat", L"Cancel"}, {mrRetry, mrCancel}), mrCancel);
    const DialogRequest& d = dialogs.Dialogs()[0];
    ASSERT_EQ(d.Buttons.size(), 2u);
    // The first button is the standard Cancel button: it keeps the Escape role under its new caption.
    EXPECT_EQ(d.Buttons[0].Kind, dbCancel);
    EXPECT_EQ(d.Buttons[0].Caption, L"Repeat");
    EXPECT_TRUE(d.Buttons[0].IsCancel);
    EXPECT_TRUE(d.Buttons[1].IsDefault);

    // Fewer captions than buttons: the rest keep their standard caption and result.
    Utillity::ShowDialog(L"c", L"m", DialogKind::Warning, ButtonSet({dbYes, dbNo, dbCancel}), {L"Ja", L"Nein"},
                         {mrYes, mrNo});
    const DialogRequest& three = dialogs.Dialogs()[2];
    ASSERT_EQ(three.Buttons.size(), 3u);
    EXPECT_EQ(three.Buttons[1].Caption, L"Nein");
    EXPECT_EQ(three.Buttons[2].Caption, L"Cancel");
    EXPECT_EQ(three.Buttons[2].Result, mrCancel);
}

TEST(CreateShortcut, WritesARealShellLink) {
    ScratchFolder scratch(L"links");
    const std::wstring link = scratch.Path() + L"Vessas Quorin.lnk";
    const std::wstring target = L"C:\\Program Files\\VessasQuorin\\Bin\\VessasQuorin.Exe";
    ASSERT_TRUE(Utillity::CreateShortcut(target, L"C:\\Program Files\\VessasQuorin\\Bin\\", link));

    ComPtr<IShellLinkW> shellLink;
    ASSERT_TRUE(SUCCEEDED(::CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                                             shellLink.put_void())));
    ComPtr<IPersistFile> file;
    ASSERT_TRUE(SUCCEEDED(shellLink->QueryInterface(IID_IPersistFile, file.put_void())));
    ASSERT_TRUE(SUCCEEDED(file->Load(link.c_str(), STGM_READ)));
    wchar_t path[MAX_PATH] = {}, folder[MAX_PATH] = {};
    shellLink->GetPath(path, MAX_PATH, nullptr, SLGP_RAWPATH);
    shellLink->GetWorkingDirectory(folder, MAX_PATH);
    EXPECT_EQ(UpperCase(path), UpperCase(target));
    EXPECT_EQ(std::wstring(folder), L"C:\\Program Files\\VessasQuorin\\Bin\\");

    // Into a folder that does not exist: false, and no file.
    const std::wstring missing = scratch.Path() + L"NoSuchFolder\\Vessas Quorin.lnk";
    EXPECT_FALSE(Utillity::CreateShortcut(target, L"C:\\", missing));
    EXPECT_FALSE(Utillity::FileExists(missing));
}
