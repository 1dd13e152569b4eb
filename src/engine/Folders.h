#pragma once
// The folder rules of an installation, as functions of the user's choices: which folders the
// choices stand for, how the folder page shows them, and the shell's folders the links and the
// INI file name. Every folder returned ends with a backslash unless it is empty.
#include <string>

#include "engine/SetupChoices.h"

// --- the folders the run writes to
// The program folder proper of a chosen folder: one chosen inside an installation's Bin folder
// stands for that installation's folder (never cut down to a drive's or a share's root).
std::wstring ProgramFolderOf(const std::wstring& folder);
// The program folder (removable or fixed, by UseRemoveable), or its Bin sub-folder.
std::wstring GetProgramFolder(const SetupChoices& choices, bool withBin);
std::wstring GetDataFolder(const SetupChoices& choices);
// Where the uninstaller goes: the chosen program folder itself, without the Bin rule.
std::wstring GetUninstallFolder(const SetupChoices& choices);

// --- the folder page
// Text 74 and a backslash, which the page shows in place of the public folder; empty when the
// language has no text for it (then nothing is replaced, in either direction).
std::wstring PublicFolderToken(const std::wstring& language);
// The data folder as the page shows it.
std::wstring DataFolderShown(const SetupChoices& choices);
// A data folder typed on the page, with the token (in any case) turned back into the public
// folder, with a trailing backslash.
std::wstring GetDataRootFolder(const std::wstring& folderText, const std::wstring& publicFolder,
                               const std::wstring& language);
// A folder chosen with the folder picker, with the product folder appended unless it names the
// product already (in any case).
std::wstring AppendProductFolder(const std::wstring& folder);
// Whether a data folder lies in the program-files folder, where the application cannot write.
bool IsInProgramFiles(const std::wstring& dataFolder, const std::wstring& programFiles);

// --- defaults and the removable layout
// The parent of the all-users desktop: C:\Users\Public\Desktop gives C:\Users\Public\ .
std::wstring PublicFolderOf(const std::wstring& commonDesktop);
std::wstring DefaultProgramFolder(const std::wstring& programFiles);  // without a trailing backslash
std::wstring DefaultDataFolder(const std::wstring& publicFolder);     // without a trailing backslash
// X:\VessasQuorin\Prog and X:\VessasQuorin\Data of a removable drive.
std::wstring RemoveableProgramFolderOf(wchar_t letter);
std::wstring RemoveableDataFolderOf(wchar_t letter);

// --- the shell's folders
struct ShellFolders {
    std::wstring Desktop;        // the user's own desktop
    std::wstring CommonDesktop;  // the all-users desktop
    std::wstring StartMenu;      // the user's Programs menu + "Vessas Quorin"; empty when unknown
    std::wstring CommonAppData;  // the machine's application data; empty when unknown
    // As the shell names them for the user running the setup.
    static ShellFolders OfThisUser();
};
// Where the uninstaller that the uninstall entry starts lies, with the install record beside it: the
// uninstall folder; for an installation onto a removable drive a folder of the machine's application
// data, so that the entry still works while the drive is away (the uninstall folder when that is unknown).
std::wstring GetUninstallerFolder(const SetupChoices& choices, const ShellFolders& shell);
// The product's start-menu folder in a Programs menu; empty when the menu is not known, so that
// nothing lands in a relative "Vessas Quorin\".
std::wstring StartMenuFolderOf(const std::wstring& programsMenu);
// The product folder directly in a drive's root (X:\VessasQuorin\), where the removable layout puts
// it, for a Bin folder below it; empty for any other Bin folder.
std::wstring ProductFolderInRoot(const std::wstring& bin);
