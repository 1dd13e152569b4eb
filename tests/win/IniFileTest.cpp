// The application's INI file as the install run writes it: the keys of a new file in their order,
// what a hotfix and a full setup change in an existing file, the date format by language, and the
// file's encoding when a value lies outside the ANSI code page.
#include <gtest/gtest.h>

#include <cstring>
#include <optional>

#include "EngineFixtures.h"
#include "TestSupport.h"
#include "engine/InstallUnit.h"
#include "texts/Cp1252.h"
#include "texts/LanguageUnit.h"

using namespace testsupport;

namespace {
// The choices of a setup started with the three-parameter command line, its Bin folder made.
struct IniSetup {
    explicit IniSetup(const std::wstring& language, const std::wstring& setupFile = L"C:\\x\\VQSetup.exe",
                      const std::wstring& dataName = L"Data")
        : scratch(L"ini"),
          program(scratch.Path() + L"Prog\\"),
          data(scratch.Path() + dataName + L"\\"),
          choices(ChoicesFor(program, data, language, setupFile)),
          shell(ShellBelow(scratch.Path())) {
        Utillity::MakeFolderPath(Ini().substr(0, Ini().size() - wcslen(kIniFileName)));
    }
    std::wstring Ini() const { return program + L"Bin\\" + kIniFileName; }
    std::wstring Read(const wchar_t* section, const wchar_t* key) const {
        wchar_t value[512] = {};
        ::GetPrivateProfileStringW(section, key, L"<missing>", value, 512, Ini().c_str());
        return value;
    }
    void Write(const std::wstring& version) { MakeIniFile(choices, shell, version); }
    ScratchFolder scratch;
    std::wstring program, data;
    SetupChoices choices;
    ShellFolders shell;
};

// The file's non-blank lines.
std::vector<std::string> Lines(const std::string& bytes) {
    std::vector<std::string> lines;
    size_t start = 0;
    while (start < bytes.size()) {
        size_t end = bytes.find('\n', start);
        if (end == std::string::npos) end = bytes.size();
        std::string line = bytes.substr(start, end - start);
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (!line.empty()) lines.push_back(line);
        start = end + 1;
    }
    return lines;
}
std::string Narrow(const std::wstring& s) { return std::string(s.begin(), s.end()); }

// The text of a file that starts with a UTF-16LE byte-order mark, else nothing.
std::optional<std::wstring> Utf16Text(const std::string& bytes) {
    if (bytes.rfind("\xFF\xFE", 0) != 0) return std::nullopt;
    std::wstring text((bytes.size() - 2) / 2, L'\0');
    std::memcpy(text.data(), bytes.data() + 2, text.size() * 2);
    return text;
}

// Polish letters, which Wine's ANSI code page (1252) cannot spell.
const std::wstring kPolishData = L"Dane \u017b\u00f3\u0142\u0107";

constexpr char kExisting[] =
    "[FOLDERS]\r\nDATA=D:\\Old\\\r\nCUSTOM=kept\r\n"
    "[SETTINGS]\r\nLANGUAGE=fr-FR\r\nDATEFORMAT=MM/DD/YY\r\nVERSION=HF20200101\r\n"
    "[USER]\r\nTHEME=dark\r\n";
}  // namespace

// Neither shortcut is wanted, and still the file names the folders where they would be.
TEST(IniFile, NewFileHoldsTheNineKeysInOrder) {
    IniSetup setup(L"de-AT");
    setup.choices.MakeDesktopLink = false;
    setup.choices.MakeStartMenuEntry = false;
    setup.Write(L"HF20220909");

    const auto lines = Lines(ReadFileBytes(setup.Ini()));
    const std::vector<std::string> keys = {"[FOLDERS]", "DATA=", "STARTMENU=", "DESKTOP=", "[SETTINGS]", "URL=",
                                           "LANGUAGE=", "SHOW_TRANSLATIONCODE=", "SUPPORT_EMAIL=", "DATEFORMAT=",
                                           "VERSION="};
    ASSERT_EQ(lines.size(), keys.size());
    for (size_t i = 0; i < keys.size(); ++i) EXPECT_EQ(lines[i].rfind(keys[i], 0), 0u) << lines[i];
    EXPECT_EQ(lines[1], "DATA=" + Narrow(setup.data));
    EXPECT_EQ(lines[2], "STARTMENU=" + Narrow(setup.shell.StartMenu));
    EXPECT_EQ(lines[3], "DESKTOP=" + Narrow(setup.shell.CommonDesktop));
    EXPECT_NE(lines[2].find("\\Vessas Quorin\\"), std::string::npos);
    EXPECT_EQ(lines[5].find("://"), std::string::npos) << "a host name, the application adds the scheme";
    EXPECT_GT(lines[5].size(), 4u);
    EXPECT_EQ(lines[6], "LANGUAGE=de-AT");
    EXPECT_EQ(lines[7], "SHOW_TRANSLATIONCODE=0");
    EXPECT_NE(lines[8].find('@'), std::string::npos);
    EXPECT_EQ(lines[9], "DATEFORMAT=DD.MM.YY");
    EXPECT_EQ(lines[10], "VERSION=HF20220909");
}

// Over an earlier installation's file: a hotfix touches the version alone, a full setup all nine
// keys; keys of other names stay in both.
TEST(IniFile, ExistingFileKeepsForeignKeys) {
    for (const bool hotfix : {true, false}) {
        SCOPED_TRACE(hotfix ? "hotfix" : "full setup");
        IniSetup setup(L"en-US", hotfix ? L"C:\\x\\VQSetup_HF.exe" : L"C:\\x\\VQSetup.exe");
        ASSERT_EQ(setup.choices.IsHotfix, hotfix);
        setup.choices.DateFormat = L"DD/MM/YY";
        WriteFileBytes(setup.Ini(), kExisting);
        setup.Write(L"HF20220909");

        const struct { const wchar_t* section; const wchar_t* key; std::wstring before, full; } keys[] = {
            {L"FOLDERS", L"DATA", L"D:\\Old\\", setup.data},
            {L"FOLDERS", L"STARTMENU", L"<missing>", setup.shell.StartMenu},
            {L"FOLDERS", L"DESKTOP", L"<missing>", setup.shell.CommonDesktop},
            {L"SETTINGS", L"LANGUAGE", L"fr-FR", L"en-US"},
            {L"SETTINGS", L"SHOW_TRANSLATIONCODE", L"<missing>", L"0"},
            {L"SETTINGS", L"DATEFORMAT", L"MM/DD/YY", L"DD/MM/YY"},
            {L"FOLDERS", L"CUSTOM", L"kept", L"kept"},
            {L"USER", L"THEME", L"dark", L"dark"},
        };
        for (const auto& k : keys) EXPECT_EQ(setup.Read(k.section, k.key), hotfix ? k.before : k.full) << Narrow(k.key);
        for (const wchar_t* key : {L"URL", L"SUPPORT_EMAIL"})
            EXPECT_EQ(setup.Read(L"SETTINGS", key) == L"<missing>", hotfix) << Narrow(key);
        EXPECT_EQ(setup.Read(L"SETTINGS", L"VERSION"), L"HF20220909");
    }
}

TEST(IniFile, DateFormatByLanguageAndChoice) {
    const struct { const wchar_t* language; const wchar_t* choice; const wchar_t* format; } cases[] = {
        {L"fr-FR", L"DD/MM/YY", L"DD.MM.YY"}, {L"fr-FR", L"MM/DD/YY", L"DD.MM.YY"}, {L"de-CH", L"MM/DD/YY", L"DD.MM.YY"},
        {L"es-ES", L"MM/DD/YY", L"DD.MM.YY"}, {L"en-US", L"DD/MM/YY", L"DD/MM/YY"}, {L"en-US", L"MM/DD/YY", L"MM/DD/YY"},
        // Nothing chosen in the list counts as the American order.
        {L"en-US", L"", L"MM/DD/YY"},
    };
    for (const auto& c : cases) {
        IniSetup setup(c.language);
        setup.choices.DateFormat = c.choice;
        setup.Write(L"HF1");
        EXPECT_EQ(setup.Read(L"SETTINGS", L"DATEFORMAT"), c.format) << Narrow(c.language) << " " << Narrow(c.choice);
    }
}

TEST(IniFile, UnwritableFileIsReportedWithoutContext) {
    IniSetup setup(L"de-DE");
    DeleteTree(setup.program);
    DialogRecorder dialogs;
    setup.Write(L"HF1");
    ASSERT_EQ(dialogs.Dialogs().size(), 1u);
    const std::wstring& message = dialogs.Dialogs()[0].Message;
    EXPECT_NE(message.find(setup.Ini()), std::wstring::npos);
    EXPECT_EQ(message.substr(message.size() - 2), L"\r\n");
}

// A value the ANSI code page cannot spell makes a new file UTF-16 with a byte-order mark, which the
// profile functions then keep; without one the file stays the 8-bit file it always was, where a
// Windows-1252 letter is its one byte.
TEST(IniFile, ANewFileIsUnicodeOnlyWhenAValueNeedsIt) {
    const struct { const char* what; std::wstring dataName; bool unicode; } cases[] = {
        {"ASCII", L"Data", false},
        {"Windows-1252", L"D\u00e4ten", false},
        {"outside the ANSI code page", kPolishData, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        IniSetup setup(L"de-DE", L"C:\\x\\VQSetup.exe", c.dataName);
        setup.Write(L"HF20220909");
        EXPECT_EQ(setup.Read(L"FOLDERS", L"DATA"), setup.data);
        EXPECT_EQ(setup.Read(L"SETTINGS", L"LANGUAGE"), L"de-DE");
        EXPECT_EQ(setup.Read(L"SETTINGS", L"VERSION"), L"HF20220909");
        const std::string bytes = ReadFileBytes(setup.Ini());
        const std::optional<std::wstring> text = Utf16Text(bytes);
        ASSERT_EQ(text.has_value(), c.unicode);
        if (c.unicode) {
            EXPECT_EQ(text->rfind(L"[FOLDERS]\r\nDATA=" + setup.data + L"\r\n", 0), 0u);
            EXPECT_NE(text->find(L"\r\n[SETTINGS]\r\n"), std::wstring::npos);
        } else {
            EXPECT_EQ(bytes.rfind("[FOLDERS]\r\nDATA=" + cp1252::FromWide(setup.data) + "\r\n", 0), 0u);
        }
        EXPECT_EQ(FilesIn(setup.program + L"Bin"), std::vector<std::wstring>{kIniFileName});
    }
}

// An earlier installation's file is converted, with every section and key it holds, when a full
// setup writes such a value into it; a hotfix writes only the version and never converts.
TEST(IniFile, AnExistingFileIsConvertedWithAllItHoldsOnlyForAValueThatNeedsIt) {
    const struct { const char* what; bool hotfix; std::string existing; } cases[] = {
        {"hotfix", true, std::string(kExisting) + "[LOOK]\r\nTHEME=dunkelgr\xFCn\r\n"},
        {"full setup", false, std::string(kExisting) + "[LOOK]\r\nTHEME=dunkelgr\xFCn\r\n"},
        {"full setup over UTF-8", false, "\xEF\xBB\xBF" + std::string(kExisting) + "[LOOK]\r\nTHEME=dunkelgr\xC3\xBCn\r\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        IniSetup setup(L"de-DE", c.hotfix ? L"C:\\x\\VQSetup_HF.exe" : L"C:\\x\\VQSetup.exe", kPolishData);
        ASSERT_EQ(setup.choices.IsHotfix, c.hotfix);
        WriteFileBytes(setup.Ini(), c.existing);
        setup.Write(L"HF20220909");

        const std::string bytes = ReadFileBytes(setup.Ini());
        EXPECT_EQ(Utf16Text(bytes).has_value(), !c.hotfix);
        if (c.hotfix) {
            EXPECT_NE(bytes.find("THEME=dunkelgr\xFCn\r\n"), std::string::npos);
        }
        EXPECT_EQ(setup.Read(L"FOLDERS", L"DATA"), c.hotfix ? L"D:\\Old\\" : setup.data);
        EXPECT_EQ(setup.Read(L"FOLDERS", L"CUSTOM"), L"kept");
        EXPECT_EQ(setup.Read(L"SETTINGS", L"LANGUAGE"), c.hotfix ? L"fr-FR" : L"de-DE");
        EXPECT_EQ(setup.Read(L"USER", L"THEME"), L"dark");
        EXPECT_EQ(setup.Read(L"LOOK", L"THEME"), L"dunkelgr\u00fcn");
        EXPECT_EQ(setup.Read(L"SETTINGS", L"VERSION"), L"HF20220909");
        // Converted beside the file and moved into place: nothing else is left in the folder.
        EXPECT_EQ(FilesIn(setup.program + L"Bin"), std::vector<std::wstring>{kIniFileName});
    }
}

// A shell folder the system cannot name: the file says nothing rather than a relative path, and
// the user hears of it; every other key is written all the same.
TEST(IniFile, AFolderTheShellCannotNameIsReportedAndLeftEmpty) {
    IniSetup setup(L"en-US");
    setup.shell.StartMenu.clear();
    DialogRecorder dialogs;
    setup.Write(L"HF20220909");
    ASSERT_EQ(dialogs.Dialogs().size(), 1u);
    EXPECT_NE(dialogs.Dialogs()[0].Message.find(L"STARTMENU"), std::wstring::npos);
    EXPECT_EQ(setup.Read(L"FOLDERS", L"STARTMENU"), L"");
    EXPECT_EQ(setup.Read(L"FOLDERS", L"DESKTOP"), setup.shell.CommonDesktop);
    EXPECT_EQ(setup.Read(L"SETTINGS", L"VERSION"), L"HF20220909");
}
