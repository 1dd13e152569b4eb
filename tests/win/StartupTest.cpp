// The form's start-up: command line, file-name markers, default folders, the start-up log lines,
// the folder operations and the running-instance query. The form is created hidden in-process.
#include <gtest/gtest.h>

#include <algorithm>

#include "TestSupport.h"
#include "services/Handles.h"
#include "texts/ErrorUnit.h"
#include "texts/LanguageUnit.h"
#include "wizard/Controls.h"
#include "wizard/VQSetupUnit.h"

using namespace testsupport;

namespace {
const std::wstring kSetup = L"C:\\Downloads\\VQSetup.exe";

std::unique_ptr<TVQSetupForm> MakeForm(std::vector<std::wstring> params, std::wstring path = kSetup) {
    return std::make_unique<TVQSetupForm>(StartupArgs{std::move(path), std::move(params)});
}
}  // namespace

TEST(CommandLine, Table) {
    const std::wstring defaultProgram = L"C:\\Program Files\\VessasQuorin";
    const std::wstring defaultData = L"C:\\users\\Public\\VessasQuorin";
    struct Case {
        std::vector<std::wstring> params;
        bool test, silent;
        std::wstring language, program, data;
    };
    const Case cases[] = {
        {{}, false, false, L"", defaultProgram, defaultData},
        {{L"Test"}, true, false, L"", defaultProgram, defaultData},
        {{L"Test", L"en-US", L"D:\\A", L"D:\\B"}, true, false, L"", defaultProgram, defaultData},
        {{L"test"}, false, false, L"", defaultProgram, defaultData},
        {{L"en-US", L"D:\\Apps\\VQ", L"D:\\VQData"}, false, false, L"en-US", L"D:\\Apps\\VQ", L"D:\\VQData"},
        // A code in another case is the code; one the setup does not speak is ignored alone.
        {{L"en-us", L"D:\\Apps\\VQ", L"D:\\VQData"}, false, false, L"en-US", L"D:\\Apps\\VQ", L"D:\\VQData"},
        {{L"FR-fr", L"D:\\P", L"\\\\srv\\share\\D"}, false, false, L"fr-FR", L"D:\\P", L"\\\\srv\\share\\D"},
        {{L"xx-XX", L"D:\\P", L"D:\\D"}, false, false, L"", L"D:\\P", L"D:\\D"},
        {{L"", L"D:\\P", L"D:\\D"}, false, false, L"", L"D:\\P", L"D:\\D"},
        // Folders that are no full paths would be made below the current folder: all three ignored.
        {{L"en-US", L"Apps\\VQ", L"D:\\D"}, false, false, L"", defaultProgram, defaultData},
        {{L"en-US", L"D:\\P", L""}, false, false, L"", defaultProgram, defaultData},
        {{L"en-US", L"D:P", L"D:\\D"}, false, false, L"", defaultProgram, defaultData},
        {{L"silent"}, false, true, L"de-DE", defaultProgram, defaultData},
        {{L"SILENT"}, false, true, L"de-DE", defaultProgram, defaultData},
        {{L"SiLeNt"}, false, true, L"de-DE", defaultProgram, defaultData},
        {{L"silent", L"x"}, false, false, L"", defaultProgram, defaultData},
        {{L"a", L"b"}, false, false, L"", defaultProgram, defaultData},
        {{L"a", L"b", L"c", L"d"}, false, false, L"", defaultProgram, defaultData},
    };
    for (const Case& c : cases) {
        std::wstring joined;
        for (const auto& p : c.params) joined += p + L" ";
        SCOPED_TRACE(std::string(joined.begin(), joined.end()));
        auto form = MakeForm(c.params);
        EXPECT_EQ(form->Choices.IsTestMode, c.test);
        EXPECT_EQ(form->Choices.IsSilent, c.silent);
        EXPECT_EQ(form->LanguageParameter, c.language);
        // The folder page's edits store the folders back in their folder form.
        EXPECT_EQ(form->Choices.ProgramFolder, Utillity::AddBackslash(c.program));
        EXPECT_EQ(form->Choices.DataFolder, Utillity::AddBackslash(c.data));
        EXPECT_EQ(form->Choices.SetupFileName, c.test ? std::wstring(L"C:\\VQSetupTest\\VessasQuorinSetup-9.9.exe") : kSetup);
        EXPECT_EQ(form->PageIndex, c.silent ? 6 : 0);
        EXPECT_EQ(form->TimerInstallEnabled, c.silent);
        EXPECT_EQ(ctl::GetText(form->Handle()), L"VESSA'S QUORIN 9.9");
        // Whatever was given, the texts are those of a language the setup speaks.
        EXPECT_TRUE(Text(txAppDataFolder) == L"AppData - Folder" || Text(txAppDataFolder) == L"AppData - Ordner");
        EXPECT_EQ(ctl::GetText(form->DataFolderEdit).find(L"C:\\users"), std::wstring::npos)
            << "the public folder shows as its token, and only it";
    }
}

TEST(FileNameMarkers, LanguageAndHotfix) {
    const struct { const wchar_t* path; int language; bool hotfix; } cases[] = {
        {L"C:\\x\\VQSetup.exe", 0, false},
        {L"C:\\x\\VESSASQUORINSETUP-9.9-FR.EXE", 3, false},
        {L"C:\\x\\vqsetup-de.exe", 1, false},
        {L"C:\\x\\VQSetup-EN.exe", 2, false},
        {L"C:\\x\\VQSetup-ES.exe", 4, false},
        {L"C:\\x\\VQSetup-DE.-ES.exe", 4, false},   // the later test overrides the earlier
        {L"C:\\x\\VQSetup-ES.-DE.exe", 4, false},
        {L"C:\\x\\VQSetup-DE.exe.-EN.x", 2, false},
        {L"C:\\x\\VQSetupDE.exe", 0, false},
        {L"C:\\x\\VQSetup_hf20220909.exe", 0, true},
        {L"C:\\x\\VQHotFixSetup-FR.exe", 3, false},  // "HotFix": no "HF" next to each other
        {L"C:\\HF\\VQSetup.exe", 0, false},          // the folder does not count
        {L"C:\\x\\vqsetup-hf-fr.exe", 3, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.path, c.path + wcslen(c.path)));
        auto form = MakeForm({}, c.path);
        EXPECT_EQ(form->Choices.FileLanguage, c.language);
        EXPECT_EQ(form->Choices.IsHotfix, c.hotfix);
    }
}

TEST(FormCreate, DefaultsAndStartUpLogLines) {
    const size_t before = LogLines().size();
    auto form = MakeForm({});
    EXPECT_EQ(form->DefaultProgramFolder, L"C:\\Program Files\\VessasQuorin");
    EXPECT_EQ(form->Choices.PublicFolder, L"C:\\users\\Public\\");
    EXPECT_TRUE(form->Choices.MakeStartMenuEntry && form->Choices.MakeDesktopLink && form->Choices.CheckUpdates);
    EXPECT_FALSE(form->Choices.UseRemoveable);
    EXPECT_TRUE(form->OptionEventsEnabled);
    EXPECT_TRUE(form->LanguageEventsEnabled);
    EXPECT_EQ(ListView_GetItemCount(form->OptionsListView), 5);
    EXPECT_FALSE(ctl::IsShown(form->LabelHotfix));
    EXPECT_FALSE(ctl::IsShown(form->LabelUpdate));
    EXPECT_FALSE(ctl::IsShown(form->LabelProgress));

    std::vector<std::string> lines = LogLines();
    lines.erase(lines.begin(), lines.begin() + static_cast<long>(before));
    std::vector<std::string> texts;
    for (const auto& l : lines) texts.push_back(LogText(l));
    ASSERT_GE(texts.size(), 4u);
    const std::wstring user = Utillity::GetCurrentUserName();
    EXPECT_EQ(texts[0], "CurrentUserName " + std::string(user.begin(), user.end()));
    EXPECT_EQ(texts[1], "FileName C:\\Downloads\\VQSetup.exe");
    EXPECT_EQ(texts[2], "GetLanguage");
    EXPECT_EQ(texts[3], "GetIsHotfix");
}

TEST(FormCreate, HotfixShowsTheHotfixLabelAndHidesTheLicence) {
    auto form = MakeForm({}, L"C:\\x\\VQSetupHF.exe");
    EXPECT_TRUE(ctl::IsShown(form->LabelHotfix));
    EXPECT_FALSE(ctl::IsShown(form->LicenceLabel));
    EXPECT_FALSE(ctl::IsShown(form->TermsAndConditionsRichEdit));
}

TEST(FirstLetter, UpperCaseOrNothing) {
    EXPECT_EQ(TVQSetupForm::FirstLetter(L"e:\\x"), L'E');
    EXPECT_EQ(TVQSetupForm::FirstLetter(L"\u00e9t\u00e9"), L'\u00c9');
    EXPECT_EQ(TVQSetupForm::FirstLetter(L""), L'\0');
}

namespace {
std::vector<std::string> NewLogTexts(size_t before) {
    std::vector<std::string> texts;
    const auto lines = LogLines();
    for (size_t i = before; i < lines.size(); ++i) texts.push_back(LogText(lines[i]));
    return texts;
}
}  // namespace

TEST(IsRunning, AsksEveryProductWindowAndLogsEachWindow) {
    auto form = MakeForm({});
    size_t before = LogLines().size();
    // The setup's own caption names the product too; it must not answer.
    EXPECT_FALSE(form->IsRunning());
    auto texts = NewLogTexts(before);
    const std::string own = "Running(0):VESSA'S QUORIN 9.9  h=" + std::to_string(reinterpret_cast<UINT_PTR>(form->Handle()));
    EXPECT_EQ(std::count(texts.begin(), texts.end(), own), 2) << "visited once in each direction";
    for (const auto& t : texts) EXPECT_EQ(t.rfind("Running(0):", 0), 0u) << t;

    StandIn app;
    ASSERT_NE(app.Window(), nullptr) << "stand-in application did not start";
    before = LogLines().size();
    EXPECT_TRUE(form->IsRunning());
    texts = NewLogTexts(before);
    const std::string standIn = "Running(0):VESSA'S QUORIN 9.9  h=" + std::to_string(reinterpret_cast<UINT_PTR>(app.Window()));
    EXPECT_EQ(std::count(texts.begin(), texts.end(), standIn), 1) << [&] {
        std::string all;
        for (const auto& t : texts) all += t + "\n";
        return standIn + " not in\n" + all;
    }();
}

TEST(FormCreate, FailingStepIsReportedAndEndsFormCreate) {
    // Without the program-files key FormCreate stops at step 4: reported once, nothing after it done.
    RegKey root;
    ::RegCreateKeyExW(HKEY_CURRENT_USER, L"Software\\VQTestStartup\\EmptyMachine", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                      root.put(), nullptr);
    ::RegOverridePredefKey(HKEY_LOCAL_MACHINE, root.get());
    DialogRecorder dialogs;
    auto form = MakeForm({L"silent"});
    ::RegOverridePredefKey(HKEY_LOCAL_MACHINE, nullptr);
    ::RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\VQTestStartup");

    ASSERT_EQ(dialogs.Dialogs().size(), 1u);
    EXPECT_EQ(dialogs.Dialogs()[0].Message, L"Cannot open \\Software\\Microsoft\\Windows\\CurrentVersion\r\n");
    EXPECT_TRUE(form->Choices.PublicFolder.empty());
    EXPECT_FALSE(form->Choices.IsSilent);
    EXPECT_TRUE(form->Choices.ProgramFolder.empty());
    EXPECT_EQ(ctl::GetText(form->Handle()), L"");
}

// A window that cannot be made (refused here by a hook, as a desktop out of resources would) must
// not end the program as if it had installed: reported, logged, exit code 3.
TEST(RunSetup, AWindowThatCannotBeMadeIsReportedAndAnswersThree) {
    HHOOK hook = ::SetWindowsHookExW(
        WH_CBT,
        [](int code, WPARAM wParam, LPARAM lParam) -> LRESULT {
            if (code == HCBT_CREATEWND) {
                const LPCWSTR name = reinterpret_cast<const CBT_CREATEWNDW*>(lParam)->lpcs->lpszClass;
                if (!IS_INTRESOURCE(name) && wcscmp(name, L"TVQSetupForm") == 0) return 1;
            }
            return ::CallNextHookEx(nullptr, code, wParam, lParam);
        },
        nullptr, ::GetCurrentThreadId());
    ASSERT_NE(hook, nullptr);
    DialogRecorder dialogs;
    const size_t before = LogLines().size();
    const int code = RunSetup(StartupArgs{kSetup, {L"silent"}});
    ::UnhookWindowsHookEx(hook);
    EXPECT_EQ(code, 3);
    ASSERT_EQ(dialogs.Dialogs().size(), 1u);
    EXPECT_EQ(dialogs.Dialogs()[0].Message.rfind(L"Cannot create the setup window (error ", 0), 0u);
    const auto texts = NewLogTexts(before);
    EXPECT_TRUE(std::any_of(texts.begin(), texts.end(),
                            [](const std::string& t) { return t.rfind("Cannot create the setup window", 0) == 0; }));
}
