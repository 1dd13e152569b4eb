#pragma once
#include <string>
// Names the installation, the next setup and the uninstaller must agree on: the product folder, the
// program and uninstaller files, the link, the settings key with its value names, the uninstall entry
// and the file types. Each reads what the install run writes, so all take the names from here.

constexpr wchar_t kProductFolder[] = L"VessasQuorin";
constexpr wchar_t kProgramFile[] = L"VessasQuorin.Exe";
constexpr wchar_t kUninstallerFile[] = L"VQUninstall.Exe";
// The application's INI file, in the Bin folder.
constexpr wchar_t kIniFileName[] = L"VessasQuorin.Ini";
constexpr wchar_t kLinkName[] = L"Vessas Quorin.lnk";

// The machine's uninstall entry, below HKEY_LOCAL_MACHINE.
constexpr wchar_t kUninstallKey[] = L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\VessasQuorin";
// The current user's file types, below HKEY_CURRENT_USER.
constexpr wchar_t kClassesKey[] = L"Software\\Classes\\";
struct FileTypeNames {
    const wchar_t* Extension;
    const wchar_t* TypeName;
    const wchar_t* IconFile;  // in the Bin folder
};
constexpr FileTypeNames kFileTypes[] = {
    {L".qvbak", L"VessasQuorin", L"VQ_Icon.Ico"},
    {L".qvcalc", L"VessasQuorinGS", L"VQ_Icon_Calc.Ico"},
};
// The open command of both types. Both paths quoted: an unquoted program path with blanks lets the
// shell start whatever program sits at its first blank (on a removable drive anyone may put one there).
inline std::wstring OpenCommandOf(const std::wstring& binFolder) {
    return L"\"" + binFolder + kProgramFile + L"\" \"%1\"";
}

// The current user's settings key.
constexpr wchar_t kSettingsKey[] = L"SOFTWARE\\VessasQuorin";
// The folder values are stored crosswise (the program folder under "DataFolder"), as every
// earlier setup wrote them; the names below say which field each one holds.
constexpr wchar_t kValueOfProgramFolder[] = L"DataFolder";
constexpr wchar_t kValueOfDataFolder[] = L"ProgramFolder";
constexpr wchar_t kValueOfRemoveableProgramFolder[] = L"RemoveableDataFolder";
constexpr wchar_t kValueOfRemoveableDataFolder[] = L"RemoveableProgramFolder";
constexpr wchar_t kValueLanguage[] = L"Language";
constexpr wchar_t kValueStartMenuEntry[] = L"InstallOption_MakeStartMenuEntry";
constexpr wchar_t kValueDesktopLink[] = L"InstallOption_MakeDesktopLink";
constexpr wchar_t kValueCheckUpdates[] = L"InstallOption_CheckUpdates";
constexpr wchar_t kValueUseRemoveable[] = L"InstallOption_UseRemoveable";
constexpr wchar_t kValueDateFormat[] = L"InstallOption_DateFormat";
