// The application's INI file as the install run writes it: the keys of a new file in their order,
// what a hotfix and a full setup change in an existing file, and the date format by language.
#include <gtest/gtest.h>

#include "TestSupport.h"
#include "engine/InstallUnit.h"
#include "texts/LanguageUnit.h"
#include "wizard/Controls.h"
#include "wizard/VQSetupUnit.h"

using namespace testsupport;

namespace {
// A form set up by the three-parameter command line, its Bin folder made.
struct IniSetup {
    explicit IniSetup(const std::wstring& language, const std::wstring& setupFile = L"C:\\x\\VQSetup.exe")
        : scratch(L"ini"),
          program(scratch.Path() + L"Prog\\"),
          data(scratch.Path() + L"Data\\"),
          form(StartupArgs{setupFile, {language, program, data}}) {
        Utillity::MakeFolderPath(Ini().substr(0, Ini().size() - wcslen(kIniFileName)));
    }
    std::wstring Ini() const { return program + L"Bin\\" + kIniFileName; }
    std::wstring Read(const wchar_t* section, const wchar_t* key) const {
        wchar_t value[512] = {};
        ::GetPrivateProfileStringW(section, key, L"<missing>", value, 512, Ini().c_str());
        return value;
    }
    ScratchFolder scratch;
    std::wstring program, data;
    TVQSetupForm form;
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

constexpr char kExisting[] =
    "[FOLDERS]\r\nDATA=D:\\Old\\\r\nCUSTOM=kept\r\n"
    "[SETTINGS]\r\nLANGUAGE=fr-FR\r\nDATEFORMAT=MM/DD/YY\r\nVERSION=HF20200101\r\n"
    "[USER]\r\nTHEME=dark\r\n";
}  // namespace

// Neither shortcut is wanted, and still the file names the folders where they would be.
TEST(IniFile, NewFileHoldsTheNineKeysInOrder) {
    IniSetup setup(L"de-AT");
    setup.form.MakeDesktopLink = false;
    setup.form.MakeStartMenuEntry = false;
    MakeIniFile(setup.form, L"HF20220909");

    const auto lines = Lines(ReadFileBytes(setup.Ini()));
    const std::vector<std::string> keys = {"[FOLDERS]", "DATA=", "STARTMENU=", "DESKTOP=", "[SETTINGS]", "URL=",
                                           "LANGUAGE=", "SHOW_TRANSLATIONCODE=", "SUPPORT_EMAIL=", "DATEFORMAT=",
                                           "VERSION="};
    ASSERT_EQ(lines.size(), keys.size());
    for (size_t i = 0; i < keys.size(); ++i) EXPECT_EQ(lines[i].rfind(keys[i], 0), 0u) << lines[i];
    EXPECT_EQ(lines[1], "DATA=" + Narrow(setup.data));
    EXPECT_EQ(lines[2], "STARTMENU=" + Narrow(setup.form.GetStartMenuFolder()));
    EXPECT_EQ(lines[3], "DESKTOP=" + Narrow(setup.form.GetCommonDesktopFolder()));
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
        ASSERT_EQ(setup.form.IsHotfix, hotfix);
        ctl::ComboSelect(setup.form.DateFormatComboBox, 0);
        WriteFileBytes(setup.Ini(), kExisting);
        MakeIniFile(setup.form, L"HF20220909");

        const struct { const wchar_t* section; const wchar_t* key; std::wstring before, full; } keys[] = {
            {L"FOLDERS", L"DATA", L"D:\\Old\\", setup.data},
            {L"FOLDERS", L"STARTMENU", L"<missing>", setup.form.GetStartMenuFolder()},
            {L"FOLDERS", L"DESKTOP", L"<missing>", setup.form.GetCommonDesktopFolder()},
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
    const struct { const wchar_t* language; int choice; const wchar_t* format; } cases[] = {
        {L"fr-FR", 0, L"DD.MM.YY"}, {L"fr-FR", 1, L"DD.MM.YY"}, {L"de-CH", 1, L"DD.MM.YY"},
        {L"es-ES", 1, L"DD.MM.YY"}, {L"en-US", 0, L"DD/MM/YY"}, {L"en-US", 1, L"MM/DD/YY"},
        // Nothing chosen in the list counts as the American order.
        {L"en-US", -1, L"MM/DD/YY"},
    };
    for (const auto& c : cases) {
        IniSetup setup(c.language);
        ASSERT_EQ(CurrentLanguage, c.language);
        ctl::ComboSelect(setup.form.DateFormatComboBox, c.choice);
        MakeIniFile(setup.form, L"HF1");
        EXPECT_EQ(setup.Read(L"SETTINGS", L"DATEFORMAT"), c.format) << Narrow(c.language) << " " << c.choice;
    }
}

TEST(IniFile, UnwritableFileIsReportedWithoutContext) {
    IniSetup setup(L"de-DE");
    DeleteTree(setup.program);
    DialogRecorder dialogs;
    MakeIniFile(setup.form, L"HF1");
    ASSERT_EQ(dialogs.Dialogs().size(), 1u);
    const std::wstring& message = dialogs.Dialogs()[0].Message;
    EXPECT_NE(message.find(setup.Ini()), std::wstring::npos);
    EXPECT_EQ(message.substr(message.size() - 2), L"\r\n");
}
