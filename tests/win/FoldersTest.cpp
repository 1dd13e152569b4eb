// The folder rules of an installation, as functions of the choices: no window, no disk.
#include <gtest/gtest.h>

#include "engine/Folders.h"
#include "services/UtillityUnit.h"

namespace {
std::string Narrow(const std::wstring& s) {
    std::string out;
    for (wchar_t c : s) out += c < 0x80 ? static_cast<char>(c) : '?';
    return out;
}

SetupChoices WithProgramFolder(const std::wstring& folder) {
    SetupChoices choices;
    choices.ProgramFolder = folder;
    return choices;
}
}  // namespace

// A folder chosen inside an installation's Bin folder stands for that installation; a folder
// whose name only begins with "Bin" is a folder like any other.
TEST(Folders, BinRule) {
    const struct { const wchar_t* folder; const wchar_t* without; } cases[] = {
        {L"C:\\Program Files\\VessasQuorin\\Bin", L"C:\\Program Files\\VessasQuorin\\"},
        {L"C:\\Program Files\\VessasQuorin\\Bin\\", L"C:\\Program Files\\VessasQuorin\\"},
        {L"D:\\Apps\\VQ\\Bin\\Plugins", L"D:\\Apps\\VQ\\"},
        {L"C:\\Bindings\\VQ", L"C:\\Bindings\\VQ\\"},
        {L"C:\\Users\\Binh\\Apps\\VQ", L"C:\\Users\\Binh\\Apps\\VQ\\"},
        {L"D:\\Binaries\\VQ", L"D:\\Binaries\\VQ\\"},
        {L"D:\\VQ\\MyBin", L"D:\\VQ\\MyBin\\"},
        // Never cut down to a drive's or a share's root.
        {L"C:\\Bin\\VQ", L"C:\\Bin\\VQ\\"},
        {L"C:\\Bin", L"C:\\Bin\\"},
        {L"\\\\srv\\share\\Bin\\VQ", L"\\\\srv\\share\\Bin\\VQ\\"},
        {L"\\\\srv\\share\\VQ\\Bin", L"\\\\srv\\share\\VQ\\"},
        {L"Bin\\X", L"Bin\\X\\"},
        {L"C:\\bin\\VQ", L"C:\\bin\\VQ\\"},  // case-sensitive
        {L"Bin", L"Bin\\"},
        {L"D:\\VQ", L"D:\\VQ\\"},
        {L"", L""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(Narrow(c.folder));
        const SetupChoices choices = WithProgramFolder(c.folder);
        EXPECT_EQ(GetProgramFolder(choices, false), c.without);
        EXPECT_EQ(GetProgramFolder(choices, true), std::wstring(c.without) + L"Bin\\");
        // The uninstaller goes into the folder as chosen.
        EXPECT_EQ(GetUninstallFolder(choices), Utillity::AddBackslash(c.folder));
    }
}

TEST(Folders, TheRemovableChoiceSwitchesBothPairs) {
    SetupChoices choices;
    choices.ProgramFolder = L"C:\\P";
    choices.DataFolder = L"C:\\D";
    choices.RemoveableProgramFolder = RemoveableProgramFolderOf(L'E');
    choices.RemoveableDataFolder = RemoveableDataFolderOf(L'E');
    EXPECT_EQ(GetDataFolder(choices), L"C:\\D\\");
    EXPECT_EQ(GetUninstallFolder(choices), L"C:\\P\\");
    choices.UseRemoveable = true;
    EXPECT_EQ(GetProgramFolder(choices, true), L"E:\\VessasQuorin\\Prog\\Bin\\");
    EXPECT_EQ(GetDataFolder(choices), L"E:\\VessasQuorin\\Data\\");
    EXPECT_EQ(GetUninstallFolder(choices), L"E:\\VessasQuorin\\Prog\\");
}

// The folder page shows the public folder as its token in the current language and maps the token
// back in any case; a language without the text has no token, so nothing is replaced either way.
TEST(Folders, PublicFolderToken) {
    const struct { const wchar_t* language; const wchar_t* shown; } cases[] = {
        {L"de-DE", L"AppData - Ordner\\VessasQuorin\\"}, {L"de-CH", L"AppData - Ordner\\VessasQuorin\\"},
        {L"en-US", L"AppData - Folder\\VessasQuorin\\"}, {L"es-ES", L"AppData - Folder\\VessasQuorin\\"},
        {L"", L"C:\\users\\Public\\VessasQuorin\\"},      {L"xx-XX", L"C:\\users\\Public\\VessasQuorin\\"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(Narrow(c.language));
        SetupChoices choices;
        choices.Language = c.language;
        choices.PublicFolder = L"C:\\users\\Public\\";
        choices.DataFolder = L"C:\\users\\Public\\VessasQuorin";
        EXPECT_EQ(DataFolderShown(choices), c.shown);
        EXPECT_EQ(GetDataRootFolder(c.shown, choices.PublicFolder, c.language), L"C:\\users\\Public\\VessasQuorin\\");
        EXPECT_EQ(GetDataRootFolder(UpperCase(c.shown) + L"Sub", choices.PublicFolder, c.language),
                  std::wstring(c.language).empty() || std::wstring(c.language) == L"xx-XX"
                      ? L"C:\\USERS\\PUBLIC\\VESSASQUORIN\\Sub\\"
                      : L"C:\\users\\Public\\VESSASQUORIN\\Sub\\");
        // A folder that holds backslashes but no token stays what it is.
        EXPECT_EQ(GetDataRootFolder(L"D:\\VQ\\Data", choices.PublicFolder, c.language), L"D:\\VQ\\Data\\");
    }
}

TEST(Folders, ProductFolderDefaultsAndProgramFiles) {
    const struct { const wchar_t* in; const wchar_t* out; } browsed[] = {
        {L"D:\\Programs", L"D:\\Programs\\VessasQuorin"}, {L"D:\\vessasquorin\\Bin", L"D:\\vessasquorin\\Bin"},
        {L"E:\\", L"E:\\VessasQuorin"},                  {L"D:\\MyVessasQuorinCopy", L"D:\\MyVessasQuorinCopy"},
    };
    for (const auto& b : browsed) EXPECT_EQ(AppendProductFolder(b.in), b.out) << Narrow(b.in);

    EXPECT_EQ(PublicFolderOf(L"C:\\Users\\Public\\Desktop"), L"C:\\Users\\Public\\");
    EXPECT_EQ(PublicFolderOf(L"C:\\Users\\Public\\Desktop\\"), L"C:\\Users\\Public\\");
    EXPECT_EQ(PublicFolderOf(L""), L"");
    EXPECT_EQ(DefaultProgramFolder(L"C:\\Program Files\\"), L"C:\\Program Files\\VessasQuorin");
    EXPECT_EQ(DefaultDataFolder(L"C:\\Users\\Public\\"), L"C:\\Users\\Public\\VessasQuorin");

    const struct { const wchar_t* data; bool inside; } data[] = {
        {L"C:\\Program Files\\VessasQuorinData", true}, {L"c:\\program files\\x", true},
        {L"  C:\\Program Files\\X  ", true},           {L"C:\\Program Files (x86)\\X", false},
        {L"D:\\VQ", false},
    };
    for (const auto& d : data) EXPECT_EQ(IsInProgramFiles(d.data, L"C:\\Program Files\\"), d.inside) << Narrow(d.data);
}

TEST(Folders, StartMenuAndTheRemovableDrivesOwnLink) {
    EXPECT_EQ(StartMenuFolderOf(L"C:\\Menu\\Programs"), L"C:\\Menu\\Programs\\Vessas Quorin\\");
    EXPECT_EQ(StartMenuFolderOf(L"C:\\Menu\\Programs\\"), L"C:\\Menu\\Programs\\Vessas Quorin\\");
    EXPECT_EQ(StartMenuFolderOf(L""), L"") << "no relative \"Vessas Quorin\\\"";
    EXPECT_EQ(StartMenuFolderOf(L"Programs"), L"");

    const struct { const wchar_t* bin; const wchar_t* root; } cases[] = {
        {L"E:\\VessasQuorin\\Prog\\Bin\\", L"E:\\VessasQuorin\\"}, {L"E:\\VessasQuorin\\Bin\\", L"E:\\VessasQuorin\\"},
        {L"C:\\Program Files\\VessasQuorin\\Bin\\", L""},          {L"E:\\VessasQuorinOld\\Bin\\", L""},
        {L"E:\\VessasQuorin", L""},
    };
    for (const auto& c : cases) EXPECT_EQ(ProductFolderInRoot(c.bin), c.root) << Narrow(c.bin);
}
