// The shortcuts an installation leaves: which are made, which go, and what they start. The run
// reads the choices and the shell's folders as values, so the folders lie below a scratch folder
// and keep these cases off the desktop and start menu that other test programs install into.
#include <gtest/gtest.h>

#include <shlobj.h>

#include "EngineFixtures.h"
#include "TestSupport.h"
#include "engine/InstallUnit.h"
#include "services/Handles.h"

using namespace testsupport;

namespace {
constexpr wchar_t kLink[] = L"Vessas Quorin.lnk";

// An installation whose Bin folder, desktops and start menu lie below a scratch folder, with the
// start menu's parent folders not yet made.
struct LinkPlaces {
    explicit LinkPlaces(const std::wstring& name)
        : scratch(name),
          choices(ChoicesFor(scratch.Path() + L"Prog", scratch.Path() + L"Data")),
          shell(ShellBelow(scratch.Path())) {}
    std::wstring Bin() const { return GetProgramFolder(choices, true); }
    ScratchFolder scratch;
    SetupChoices choices;
    ShellFolders shell;
};

struct LinkTarget {
    std::wstring Target, WorkingFolder;
};
// What a link file starts, read back through the shell's own link object; nullopt-like empty
// target when the file is no readable link.
LinkTarget ReadLink(const std::wstring& file) {
    ComPtr<IShellLinkW> link;
    ComPtr<IPersistFile> persist;
    if (FAILED(::CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW, link.put_void())) ||
        FAILED(link->QueryInterface(IID_IPersistFile, persist.put_void())) ||
        FAILED(persist->Load(file.c_str(), STGM_READ)))
        return {};
    wchar_t target[MAX_PATH] = {}, folder[MAX_PATH] = {};
    link->GetPath(target, MAX_PATH, nullptr, SLGP_RAWPATH);
    link->GetWorkingDirectory(folder, MAX_PATH);
    return {target, folder};
}

void MakeLink(const std::wstring& file, const std::wstring& target) {
    ASSERT_TRUE(Utillity::CreateShortcut(target, L"C:\\", file)) << std::string(file.begin(), file.end());
}

std::string Narrow(const std::wstring& s) { return std::string(s.begin(), s.end()); }

// A folder a case needs on the real C: drive; removed afterwards only when the case made it.
class MadeFolder {
public:
    explicit MadeFolder(std::wstring path) : path_(std::move(path)), made_(!Utillity::DirExists(path_)) {
        Utillity::MakeFolderPath(path_);
    }
    ~MadeFolder() {
        if (made_) DeleteTree(path_);
    }
    MadeFolder(const MadeFolder&) = delete;
    MadeFolder& operator=(const MadeFolder&) = delete;

private:
    std::wstring path_;
    bool made_;
};
}  // namespace

// An earlier installation left links on both desktops and a start-menu folder with a file of the
// user's own; the options decide what stays.
TEST(Links, OptionsDecideWhatIsMadeAndWhatGoes) {
    const struct { bool desktop, startMenu; } cases[] = {{true, true}, {false, false}, {true, false}, {false, true}};
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "desktop " << c.desktop << ", start menu " << c.startMenu);
        LinkPlaces places(L"links");
        const ShellFolders& shell = places.shell;
        places.choices.MakeDesktopLink = c.desktop;
        places.choices.MakeStartMenuEntry = c.startMenu;
        ASSERT_TRUE(Utillity::MakeFolderPath(shell.StartMenu));
        MakeLink(shell.Desktop + kLink, L"C:\\Old\\VessasQuorin.Exe");
        MakeLink(shell.CommonDesktop + kLink, L"C:\\Old\\VessasQuorin.Exe");
        MakeLink(shell.StartMenu + kLink, L"C:\\Old\\VessasQuorin.Exe");
        WriteFileBytes(shell.StartMenu + L"Notes.txt", "the user's own file");

        CreateLinks(places.choices, shell);

        EXPECT_FALSE(Utillity::FileExists(shell.Desktop + kLink)) << "the user's own desktop never keeps a link";
        const std::wstring program = places.Bin() + L"VessasQuorin.Exe";
        EXPECT_EQ(Utillity::FileExists(shell.CommonDesktop + kLink), c.desktop);
        if (c.desktop) {
            const LinkTarget link = ReadLink(shell.CommonDesktop + kLink);
            EXPECT_EQ(link.Target, program);
            EXPECT_EQ(link.WorkingFolder, places.Bin());
        }
        EXPECT_EQ(Utillity::DirExists(shell.StartMenu), c.startMenu);
        EXPECT_EQ(Utillity::FileExists(shell.StartMenu + L"Notes.txt"), c.startMenu);
        if (c.startMenu) {
            const LinkTarget link = ReadLink(shell.StartMenu + kLink);
            EXPECT_EQ(link.Target, program);
            EXPECT_EQ(link.WorkingFolder, places.Bin());
        }
    }
}

TEST(Links, MissingFolders) {
    LinkPlaces places(L"missing");
    ShellFolders& shell = places.shell;
    // A desktop that cannot take the link: the link is left out without a word and the start menu
    // still gets its own, in a folder made together with its missing parents.
    DeleteTree(shell.CommonDesktop);
    CreateLinks(places.choices, shell);
    EXPECT_FALSE(Utillity::FileExists(shell.CommonDesktop + kLink));
    EXPECT_EQ(ReadLink(shell.StartMenu + kLink).Target, places.Bin() + L"VessasQuorin.Exe");

    // A shell folder the system does not name comes back empty: nothing may land in, or vanish
    // from, the current folder instead.
    wchar_t current[MAX_PATH] = {};
    ::GetCurrentDirectoryW(MAX_PATH, current);
    ::SetCurrentDirectoryW(places.scratch.Path().c_str());
    WriteFileBytes(places.scratch.Path() + kLink, "not ours");
    shell.Desktop.clear();
    shell.CommonDesktop.clear();
    shell.StartMenu = L"Vessas Quorin\\";
    CreateLinks(places.choices, shell);
    places.choices.MakeStartMenuEntry = false;
    ASSERT_TRUE(Utillity::MakeFolderPath(places.scratch.Path() + L"Vessas Quorin"));
    CreateLinks(places.choices, shell);
    ::SetCurrentDirectoryW(current);
    EXPECT_EQ(ReadFileBytes(places.scratch.Path() + kLink), "not ours");
    EXPECT_TRUE(Utillity::DirExists(places.scratch.Path() + L"Vessas Quorin"));
    EXPECT_FALSE(Utillity::FileExists(places.scratch.Path() + L"Vessas Quorin\\" + kLink));
}

// The third link goes into the product folder of a drive's root, as the removable layout has it
// (X:\VessasQuorin\Prog); the test prefix has no removable drive, and the rule looks at the path
// alone, so C: stands in for it.
TEST(Links, ProductFolderInADriveRootGetsTheStarterLink) {
    const struct { const wchar_t* bin; bool startMenu; const wchar_t* link; } cases[] = {
        {L"C:\\VessasQuorin\\Bin\\", true, L"C:\\VessasQuorin\\"},
        {L"C:\\VessasQuorin\\Prog\\Bin\\", true, L"C:\\VessasQuorin\\"},
        {L"C:\\VessasQuorin\\Prog\\Bin\\", false, nullptr},
        {L"C:\\Program Files\\VessasQuorin\\Bin\\", true, nullptr},
        // Only a folder of exactly that name: no link is cut out of a longer one into the root.
        {L"C:\\VessasQuorinOld\\Bin\\", true, nullptr},
    };
    const wchar_t* const places[] = {L"C:\\VessasQuorin\\", L"C:\\Program Files\\VessasQuorin\\",
                                     L"C:\\VessasQuorinOld\\", L"C:\\VessasQuorinO"};
    MadeFolder root(L"C:\\VessasQuorin\\"), programFiles(L"C:\\Program Files\\VessasQuorin\\"),
        old(L"C:\\VessasQuorinOld\\");
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << Narrow(c.bin) << ", start menu " << c.startMenu);
        LinkPlaces scratch(L"root");
        // The program folder whose Bin folder the case names.
        scratch.choices.ProgramFolder = std::wstring(c.bin).substr(0, wcslen(c.bin) - 4);
        ASSERT_EQ(scratch.Bin(), c.bin);
        scratch.choices.MakeStartMenuEntry = c.startMenu;
        CreateLinks(scratch.choices, scratch.shell);
        for (const wchar_t* place : places) {
            const std::wstring file = std::wstring(place) + kLink;
            const bool expected = c.link && file == std::wstring(c.link) + kLink;
            EXPECT_EQ(Utillity::FileExists(file), expected) << Narrow(file);
            if (expected) {
                const LinkTarget link = ReadLink(file);
                EXPECT_EQ(link.Target, std::wstring(c.bin) + L"VessasQuorinStart.Exe");
                EXPECT_EQ(link.WorkingFolder, c.bin);
            }
            ::DeleteFileW(file.c_str());
        }
    }
}

// A failure of the shell itself is reported once, and the steps after it are left out.
TEST(Links, ShellFailureEndsTheStepWithOneReport) {
    LinkPlaces places(L"nocom");
    DialogRecorder dialogs;
    // Without COM on the thread the shell's link object cannot be made at all.
    ::CoUninitialize();
    CreateLinks(places.choices, places.shell);
    ::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE);
    ASSERT_EQ(dialogs.Dialogs().size(), 1u);
    EXPECT_EQ(dialogs.Dialogs()[0].Caption, L"Error");
    EXPECT_EQ(dialogs.Dialogs()[0].Message.substr(dialogs.Dialogs()[0].Message.size() - 2), L"\r\n")
        << "reported without a context";
    EXPECT_FALSE(Utillity::DirExists(places.shell.StartMenu)) << "the start-menu step never ran";
}
