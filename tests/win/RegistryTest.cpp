// The registry an installation leaves and the next setup reads: the uninstall entry, the settings
// key with its crossed folder names, the file types, and how a second start takes them up.
//
// Every case runs against a sandbox: HKEY_CURRENT_USER and HKEY_LOCAL_MACHINE of this process are
// redirected to keys of its own, so the real names are used without touching what other test
// programs of the same prefix read or write at the same time.
#include <gtest/gtest.h>

#include <map>

#include "EngineFixtures.h"
#include "TestSupport.h"
#include "engine/InstallUnit.h"
#include "services/Handles.h"
#include "texts/LanguageUnit.h"
#include "wizard/Controls.h"
#include "wizard/VQSetupUnit.h"

using namespace testsupport;

namespace {
constexpr wchar_t kSettings[] = L"SOFTWARE\\VessasQuorin";
constexpr wchar_t kUninstall[] = L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\VessasQuorin";
constexpr wchar_t kCurrentVersion[] = L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion";
constexpr wchar_t kSandboxRoot[] = L"Software\\VQRegistryTest";

enum class Machine {
    Real,      // HKEY_LOCAL_MACHINE left alone, for cases that only read the user's settings
    Writable,  // a key of the sandbox
    // A key below which nothing can be created, as for a user without administrator rights. Wine
    // does not check the access of the parent handle when a key is created, but it refuses a
    // lasting key below a volatile one, so the setup meets a key it cannot create either way.
    Closed,
};

class RegistrySandbox {
public:
    explicit RegistrySandbox(Machine machine = Machine::Writable) {
        static int counter = 0;
        path_ = std::wstring(kSandboxRoot) + L"\\" + std::to_wstring(::GetCurrentProcessId()) + L"_" +
                std::to_wstring(++counter);
        ::RegCreateKeyExW(HKEY_CURRENT_USER, (path_ + L"\\User").c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                          user_.put(), nullptr);
        if (machine != Machine::Real) {
            const DWORD option = machine == Machine::Closed ? REG_OPTION_VOLATILE : 0;
            ::RegCreateKeyExW(HKEY_CURRENT_USER, (path_ + L"\\Machine").c_str(), 0, nullptr, option, KEY_ALL_ACCESS,
                              nullptr, machine_.put(), nullptr);
            // Every start of the form reads the program-files folder from the machine's key.
            wchar_t programFiles[MAX_PATH] = {};
            DWORD bytes = sizeof programFiles;
            ::RegGetValueW(HKEY_LOCAL_MACHINE, kCurrentVersion, L"ProgramFilesDir", RRF_RT_REG_SZ, nullptr,
                           programFiles, &bytes);
            RegKey currentVersion;
            ::RegCreateKeyExW(machine_.get(), kCurrentVersion, 0, nullptr, option, KEY_ALL_ACCESS, nullptr,
                              currentVersion.put(), nullptr);
            ::RegSetValueExW(currentVersion.get(), L"ProgramFilesDir", 0, REG_SZ,
                             reinterpret_cast<const BYTE*>(programFiles), bytes);
        }
        ::RegOverridePredefKey(HKEY_CURRENT_USER, user_.get());
        if (machine_) ::RegOverridePredefKey(HKEY_LOCAL_MACHINE, machine_.get());
    }
    ~RegistrySandbox() {
        ::RegOverridePredefKey(HKEY_CURRENT_USER, nullptr);
        ::RegOverridePredefKey(HKEY_LOCAL_MACHINE, nullptr);
        user_.reset();
        machine_.reset();
        ::RegDeleteTreeW(HKEY_CURRENT_USER, path_.c_str());
        ::RegDeleteKeyW(HKEY_CURRENT_USER, kSandboxRoot);  // fails while another sandbox is open
    }
    RegistrySandbox(const RegistrySandbox&) = delete;
    RegistrySandbox& operator=(const RegistrySandbox&) = delete;
    HKEY User() const { return user_.get(); }
    HKEY Machine() const { return machine_.get(); }

private:
    std::wstring path_;
    RegKey user_, machine_;
};

struct Value {
    DWORD Type = REG_NONE;
    std::wstring Text;
    DWORD Number = 0;
    bool operator==(const Value& o) const { return Type == o.Type && Text == o.Text && Number == o.Number; }
};
Value Sz(std::wstring text) { return {REG_SZ, std::move(text), 0}; }
Value Dword(DWORD number) { return {REG_DWORD, L"", number}; }

bool KeyExists(HKEY root, const std::wstring& path) {
    RegKey key;
    return ::RegOpenKeyExW(root, path.c_str(), 0, KEY_READ, key.put()) == ERROR_SUCCESS;
}

// Every value of a key, by name (the default value under "").
std::map<std::wstring, Value> Values(HKEY root, const std::wstring& path) {
    std::map<std::wstring, Value> values;
    RegKey key;
    if (::RegOpenKeyExW(root, path.c_str(), 0, KEY_READ, key.put()) != ERROR_SUCCESS) return values;
    for (DWORD i = 0;; ++i) {
        wchar_t name[256];
        DWORD nameLength = 256, type = 0, bytes = 0;
        BYTE data[2048] = {};
        bytes = sizeof data - 2;
        if (::RegEnumValueW(key.get(), i, name, &nameLength, nullptr, &type, data, &bytes) != ERROR_SUCCESS) break;
        Value v;
        v.Type = type;
        if (type == REG_DWORD) v.Number = *reinterpret_cast<DWORD*>(data);
        else v.Text = reinterpret_cast<const wchar_t*>(data);
        values[name] = v;
    }
    return values;
}

void WriteValues(HKEY root, const std::wstring& path, const std::map<std::wstring, Value>& values) {
    RegKey key;
    ASSERT_EQ(::RegCreateKeyExW(root, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, key.put(), nullptr),
              ERROR_SUCCESS);
    for (const auto& [name, v] : values) {
        if (v.Type == REG_DWORD)
            ::RegSetValueExW(key.get(), name.c_str(), 0, REG_DWORD, reinterpret_cast<const BYTE*>(&v.Number), 4);
        else
            ::RegSetValueExW(key.get(), name.c_str(), 0, v.Type, reinterpret_cast<const BYTE*>(v.Text.c_str()),
                             static_cast<DWORD>((v.Text.size() + 1) * sizeof(wchar_t)));
    }
}

std::string Narrow(const std::wstring& s) { return std::string(s.begin(), s.end()); }

// The choices of a setup started with the three-parameter command line, its folders below a
// scratch folder, as the wizard hands them on (each folder with its backslash).
struct Installed {
    explicit Installed(const std::wstring& language = L"de-CH", const std::wstring& setupFile = L"C:\\x\\VQSetup.exe")
        : scratch(L"registry"),
          program(scratch.Path() + L"Apps\\VessasQuorin"),
          data(scratch.Path() + L"Data\\VessasQuorin"),
          choices(ChoicesFor(program + L"\\", data + L"\\", language, setupFile)) {}
    std::wstring Bin() const { return program + L"\\Bin\\"; }
    int Run() { return RunInstallation(choices, view, ShellBelow(scratch.Path())); }
    ScratchFolder scratch;
    std::wstring program, data;
    SetupChoices choices;
    FakeView view;
};
// A setup started as a user starts it, which takes up the previous installation's settings.
std::unique_ptr<TVQSetupForm> SecondStart() {
    return std::make_unique<TVQSetupForm>(StartupArgs{L"C:\\x\\VQSetup.exe", {}});
}

// The default folders, whether or not the folder page has since added its backslash.
bool HasDefaultFolders(const TVQSetupForm& form) {
    return Utillity::AddBackslash(form.Choices.ProgramFolder) == Utillity::AddBackslash(form.DefaultProgramFolder) &&
           Utillity::AddBackslash(form.Choices.DataFolder) == form.Choices.PublicFolder + L"VessasQuorin\\";
}

std::wstring InstallTime(const SYSTEMTIME& t) {
    wchar_t text[64];
    swprintf(text, 64, L"%u,%u,%u,%u,%u,%u", t.wYear, t.wMonth, t.wDay, t.wHour, t.wMinute, t.wSecond);
    return text;
}

const std::map<std::wstring, Value> kEarlierSettings = {
    {L"DataFolder", Sz(L"C:\\Earlier\\Prog")},
    {L"ProgramFolder", Sz(L"C:\\Earlier\\Data")},
    {L"RemoveableDataFolder", Sz(L"")},
    {L"RemoveableProgramFolder", Sz(L"")},
    {L"Language", Sz(L"fr-FR")},
    {L"InstallOption_MakeStartMenuEntry", Sz(L"N")},
    {L"InstallOption_MakeDesktopLink", Sz(L"N")},
    {L"InstallOption_CheckUpdates", Sz(L"N")},
    {L"InstallOption_UseRemoveable", Sz(L"N")},
    {L"InstallOption_DateFormat", Sz(L"")},
    {L"InstallTime", Sz(L"2001,2,3,4,5,6")},
};
}  // namespace

TEST(WriteRegistry, ValuesAndTypes) {
    RegistrySandbox sandbox;
    Installed setup(L"en-US");
    setup.choices.RemoveableProgramFolder = L"E:\\VessasQuorin\\Prog";
    setup.choices.RemoveableDataFolder = L"E:\\VessasQuorin\\Data";
    setup.choices.MakeDesktopLink = false;
    setup.choices.UseRemoveable = false;
    setup.choices.DateFormat = L"MM/DD/YY";
    // What the size counts: the Bin folder with its sub-folders and the uninstaller beside it,
    // 2049 bytes in all, so a size rounded down would read 2.
    ASSERT_TRUE(Utillity::MakeFolderPath(setup.Bin() + L"Help"));
    ASSERT_TRUE(Utillity::MakeFolderPath(setup.data));
    WriteFileBytes(setup.Bin() + L"VessasQuorin.Exe", std::string(1500, 'x'));
    WriteFileBytes(setup.Bin() + L"Help\\Help.chm", std::string(500, 'x'));
    WriteFileBytes(setup.program + L"\\VQUninstall.Exe", std::string(49, 'x'));
    WriteFileBytes(setup.data + L"\\Household.qvbak", std::string(9000, 'x'));

    SYSTEMTIME before{}, after{};
    ::GetLocalTime(&before);
    WriteRegistry(setup.choices);
    ::GetLocalTime(&after);

    const std::map<std::wstring, Value> uninstall = {
        {L"UserDir", Sz(L"C:\\Programme\\VessasQuorin")},
        {L"DisplayName", Sz(L"Vessas Quorin 9.9")},
        {L"DisplayIcon", Sz(setup.Bin() + L"VQ_Icon.Ico")},
        {L"DisplayVersion", Sz(L"9.9")},
        // Quoted, so that a folder with blanks cannot start "C:\\Program.exe".
        {L"UninstallString", Sz(L"\"" + setup.program + L"\\VQUninstall.Exe\"")},
        // The unattended form, where deployment tools look for it.
        {L"QuietUninstallString", Sz(L"\"" + setup.program + L"\\VQUninstall.Exe\" silent")},
        {L"NoModify", Dword(1)},
        {L"NoRepair", Dword(1)},
        {L"InstallLocation", Sz(setup.program + L"\\")},
        {L"Publisher", Values(sandbox.Machine(), kUninstall)[L"Publisher"]},
        {L"EstimatedSize", Dword(3)},
    };
    EXPECT_EQ(Values(sandbox.Machine(), kUninstall), uninstall);
    EXPECT_FALSE(uninstall.at(L"Publisher").Text.empty());

    auto settings = Values(sandbox.User(), kSettings);
    const std::wstring time = settings[L"InstallTime"].Text;
    EXPECT_TRUE(time == InstallTime(before) || time == InstallTime(after)) << Narrow(time);
    settings.erase(L"InstallTime");
    const std::map<std::wstring, Value> expected = {
        // Crossed: each folder under the other one's name, as the form holds it.
        {L"DataFolder", Sz(setup.choices.ProgramFolder)},
        {L"ProgramFolder", Sz(setup.choices.DataFolder)},
        {L"RemoveableDataFolder", Sz(L"E:\\VessasQuorin\\Prog")},
        {L"RemoveableProgramFolder", Sz(L"E:\\VessasQuorin\\Data")},
        {L"Language", Sz(L"en-US")},
        {L"InstallOption_MakeStartMenuEntry", Sz(L"Y")},
        {L"InstallOption_MakeDesktopLink", Sz(L"N")},
        {L"InstallOption_CheckUpdates", Sz(L"Y")},
        {L"InstallOption_UseRemoveable", Sz(L"N")},
        {L"InstallOption_DateFormat", Sz(L"MM/DD/YY")},
    };
    EXPECT_EQ(settings, expected);

    const struct { const wchar_t* key; std::wstring value; } classes[] = {
        {L".qvbak", L"VessasQuorin"},
        {L"VessasQuorin", L"Vessa's Quorin Backup"},
        {L"VessasQuorin\\DefaultIcon", setup.Bin() + L"VQ_Icon.Ico"},
        {L"VessasQuorin\\shell\\open\\command", L"\"" + setup.Bin() + L"VessasQuorin.Exe\" \"%1\""},
        {L".qvcalc", L"VessasQuorinGS"},
        {L"VessasQuorinGS", L"Vessa's Quorin Backup"},
        {L"VessasQuorinGS\\DefaultIcon", setup.Bin() + L"VQ_Icon_Calc.Ico"},
        {L"VessasQuorinGS\\shell\\open\\command", L"\"" + setup.Bin() + L"VessasQuorin.Exe\" \"%1\""},
    };
    for (const auto& c : classes) {
        const std::map<std::wstring, Value> only = {{L"", Sz(c.value)}};
        EXPECT_EQ(Values(sandbox.User(), std::wstring(L"Software\\Classes\\") + c.key), only) << Narrow(c.key);
    }
}

// Without the right to write below HKEY_LOCAL_MACHINE the uninstall entry is left out silently;
// the user's own keys are written all the same.
TEST(WriteRegistry, MachineKeyThatCannotBeCreatedIsSkippedSilently) {
    // Started on the real machine: the closed sandbox has none of the shell's folders, and a setup
    // that cannot find the public folder says so at its start.
    Installed setup;
    RegistrySandbox sandbox(Machine::Closed);
    DialogRecorder dialogs;
    WriteRegistry(setup.choices);
    EXPECT_TRUE(dialogs.Dialogs().empty());
    EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, kUninstall));
    EXPECT_EQ(Values(sandbox.User(), kSettings)[L"DataFolder"], Sz(setup.choices.ProgramFolder));
    EXPECT_EQ(Values(sandbox.User(), L"Software\\Classes\\.qvcalc")[L""], Sz(L"VessasQuorinGS"));
}

// A hotfix keeps the earlier choices for the next setup, and points the uninstall entry and the
// file types at the folders it refreshed.
TEST(WriteRegistry, HotfixKeepsTheSettingsKey) {
    RegistrySandbox sandbox;
    WriteValues(sandbox.User(), kSettings, kEarlierSettings);
    Installed setup(L"de-CH", L"C:\\x\\VQSetup_HF.exe");
    ASSERT_TRUE(setup.choices.IsHotfix);
    WriteRegistry(setup.choices);
    EXPECT_EQ(Values(sandbox.User(), kSettings), kEarlierSettings);
    EXPECT_EQ(Values(sandbox.Machine(), kUninstall)[L"DisplayIcon"], Sz(setup.Bin() + L"VQ_Icon.Ico"));
    EXPECT_EQ(Values(sandbox.User(), L"Software\\Classes\\VessasQuorin\\DefaultIcon")[L""],
              Sz(setup.Bin() + L"VQ_Icon.Ico"));
}

// Only "Y" is yes; an unset option keeps the setup's own start value.
TEST(ReadRegistry, OptionValues) {
    const struct { const wchar_t* stored; bool startMenu, desktop, updates, removable; } cases[] = {
        {L"Y", true, true, true, true},     {L"y", false, false, false, false},
        {L"N", false, false, false, false}, {L"YES", false, false, false, false},
        {L"", true, true, true, false},     {nullptr, true, true, true, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.stored ? Narrow(c.stored) : "missing");
        RegistrySandbox sandbox(Machine::Real);
        std::map<std::wstring, Value> values = {{L"InstallTime", Sz(L"2001,2,3,4,5,6")}};
        if (c.stored)
            for (const wchar_t* name : {L"InstallOption_MakeStartMenuEntry", L"InstallOption_MakeDesktopLink",
                                        L"InstallOption_CheckUpdates", L"InstallOption_UseRemoveable"})
                values[name] = Sz(c.stored);
        WriteValues(sandbox.User(), kSettings, values);
        const auto form = SecondStart();
        EXPECT_EQ(form->Choices.MakeStartMenuEntry, c.startMenu);
        EXPECT_EQ(form->Choices.MakeDesktopLink, c.desktop);
        EXPECT_EQ(form->Choices.CheckUpdates, c.updates);
        EXPECT_EQ(form->Choices.UseRemoveable, c.removable);
        // Folders never written fall back to the defaults.
        EXPECT_TRUE(HasDefaultFolders(*form));
    }
}

TEST(ReadRegistry, StoredLanguageAndDateFormatAreSelected) {
    const struct { const wchar_t* stored; const wchar_t* dateFormat; int dateChoice; const wchar_t* language; } cases[] = {
        {L"fr-FR", L"", 0, L"fr-FR"},
        {L"en-US", L"MM/DD/YY", 1, L"en-US"},
        {L"EN-us", L"MM/DD/YY", 1, L"en-US"},
        // A language this setup does not speak is passed over: the system's language stays.
        {L"xx-YY", L"MM/DD/YY", 0, L"en-US"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(Narrow(c.stored) + " " + Narrow(c.dateFormat));
        RegistrySandbox sandbox(Machine::Real);
        WriteValues(sandbox.User(), kSettings,
                    {{L"Language", Sz(c.stored)}, {L"InstallOption_DateFormat", Sz(c.dateFormat)}});
        const auto form = SecondStart();
        EXPECT_EQ(CurrentLanguage, c.language);
        const int index = ctl::ComboIndex(form->LanguageComboBox);
        ASSERT_GE(index, 0);
        EXPECT_EQ(reinterpret_cast<const TString*>(ctl::ComboData(form->LanguageComboBox, index))->Value, c.language);
        EXPECT_EQ(ctl::ComboIndex(form->DateFormatComboBox), c.dateChoice);
    }
}

// A machine without an earlier installation keeps no trace of the setup's start.
TEST(ReadRegistry, MissingKeyGivesTheDefaultsAndIsNotCreated) {
    RegistrySandbox sandbox(Machine::Real);
    const auto form = SecondStart();
    EXPECT_FALSE(KeyExists(sandbox.User(), kSettings));
    EXPECT_FALSE(KeyExists(sandbox.User(), L"SOFTWARE")) << "not even the parent";
    EXPECT_TRUE(HasDefaultFolders(*form));
    EXPECT_TRUE(form->Choices.RemoveableProgramFolder.empty());
    EXPECT_TRUE(form->Choices.MakeStartMenuEntry && form->Choices.MakeDesktopLink && form->Choices.CheckUpdates && !form->Choices.UseRemoveable);
}

// A settings key this program did not write (a value of another type) is passed over without a
// word; none of its folders is taken.
TEST(ReadRegistry, UnreadableKeyFallsBackToTheDefaultFolders) {
    RegistrySandbox sandbox(Machine::Real);
    WriteValues(sandbox.User(), kSettings,
                {{L"DataFolder", Sz(L"C:\\Earlier\\Prog")},
                 {L"RemoveableDataFolder", Sz(L"E:\\VessasQuorin\\Prog")},
                 {L"ProgramFolder", Dword(7)}});
    DialogRecorder dialogs;
    const auto form = SecondStart();
    EXPECT_TRUE(dialogs.Dialogs().empty());
    EXPECT_TRUE(HasDefaultFolders(*form));
    EXPECT_TRUE(form->Choices.RemoveableProgramFolder.empty());
}

// A complete installation, then the setup started again: the earlier choices are back in their
// own fields, although the key stores each folder under the other one's name.
TEST(RoundTrip, SecondStartShowsTheChoicesOfTheInstallation) {
    RegistrySandbox sandbox;
    Installed setup(L"en-US");
    setup.choices.RemoveableProgramFolder = L"E:\\VessasQuorin\\Prog";
    setup.choices.RemoveableDataFolder = L"E:\\VessasQuorin\\Data";
    setup.choices.CheckUpdates = false;
    // Options off, so that the round trip shows stored "N" coming back as false.
    setup.choices.MakeDesktopLink = false;
    setup.choices.MakeStartMenuEntry = false;
    setup.choices.DateFormat = L"MM/DD/YY";
    ASSERT_EQ(setup.Run(), 1);
    const auto stored = Values(sandbox.User(), kSettings);
    EXPECT_EQ(stored.at(L"DataFolder"), Sz(setup.choices.ProgramFolder));
    EXPECT_EQ(stored.at(L"ProgramFolder"), Sz(setup.choices.DataFolder));
    ASSERT_NE(setup.choices.ProgramFolder, setup.choices.DataFolder);
    EXPECT_EQ(Values(sandbox.Machine(), kUninstall).at(L"UninstallString"), Sz(L"\"" + setup.program + L"\\VQUninstall.Exe\""));
    EXPECT_GT(Values(sandbox.Machine(), kUninstall).at(L"EstimatedSize").Number, 10u) << "the placed program";

    CurrentLanguage = L"de-DE";
    const auto second = SecondStart();
    EXPECT_EQ(second->Choices.ProgramFolder, setup.choices.ProgramFolder);
    EXPECT_EQ(second->Choices.DataFolder, setup.choices.DataFolder);
    EXPECT_EQ(second->Choices.RemoveableProgramFolder, L"E:\\VessasQuorin\\Prog");
    EXPECT_EQ(second->Choices.RemoveableDataFolder, L"E:\\VessasQuorin\\Data");
    EXPECT_FALSE(second->Choices.CheckUpdates);
    EXPECT_FALSE(second->Choices.MakeDesktopLink);
    EXPECT_FALSE(second->Choices.MakeStartMenuEntry);
    EXPECT_FALSE(second->Choices.UseRemoveable);
    EXPECT_EQ(CurrentLanguage, L"en-US");
    EXPECT_EQ(ctl::ComboIndex(second->DateFormatComboBox), 1);
}
