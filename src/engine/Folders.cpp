#include "engine/Folders.h"

#include <windows.h>
#include <shlobj.h>

#include "engine/ProductNames.h"
#include "services/UtillityUnit.h"
#include "texts/LanguageUnit.h"

std::wstring ProgramFolderOf(const std::wstring& folder) {
    const std::wstring base = Utillity::AddBackslash(folder);
    // Only a folder named exactly "Bin" counts (C:\Bindings\ is no Bin folder), and the cut never
    // leaves a drive's root: the uninstaller and the size of the installation would take it all.
    if (base.size() <= 3) return base;
    for (size_t at = base.find(L"\\Bin\\"); at != std::wstring::npos; at = base.find(L"\\Bin\\", at + 1)) {
        const std::wstring parent = base.substr(0, at + 1);
        if (!Utillity::IsRootFolder(parent)) return parent;
    }
    return base;
}

std::wstring GetProgramFolder(const SetupChoices& choices, bool withBin) {
    const std::wstring base =
        ProgramFolderOf(choices.UseRemoveable ? choices.RemoveableProgramFolder : choices.ProgramFolder);
    return withBin ? base + L"Bin\\" : base;
}

std::wstring GetDataFolder(const SetupChoices& choices) {
    return Utillity::AddBackslash(choices.UseRemoveable ? choices.RemoveableDataFolder : choices.DataFolder);
}

std::wstring GetUninstallFolder(const SetupChoices& choices) {
    return Utillity::AddBackslash(choices.UseRemoveable ? choices.RemoveableProgramFolder : choices.ProgramFolder);
}

std::wstring PublicFolderToken(const std::wstring& language) {
    const std::wstring text = Language::LocalizedText(txAppDataFolder, language);
    return text.empty() ? L"" : text + L"\\";
}

std::wstring DataFolderShown(const SetupChoices& choices) {
    const std::wstring token = PublicFolderToken(choices.Language);
    if (token.empty()) return GetDataFolder(choices);  // the path itself rather than a part of it
    return ReplaceTextIgnoreCase(GetDataFolder(choices), choices.PublicFolder, token);
}

std::wstring GetDataRootFolder(const std::wstring& folderText, const std::wstring& publicFolder,
                               const std::wstring& language) {
    return Utillity::AddBackslash(ReplaceTextIgnoreCase(folderText, PublicFolderToken(language), publicFolder));
}

std::wstring AppendProductFolder(const std::wstring& folder) {
    if (UpperCase(folder).find(UpperCase(kProductFolder)) != std::wstring::npos) return folder;
    return Utillity::AddBackslash(folder) + kProductFolder;
}

bool IsInProgramFiles(const std::wstring& dataFolder, const std::wstring& programFiles) {
    // The program-files folder ends with a backslash, so C:\Program Files (x86)\ is not inside it.
    return UpperCase(Trim(dataFolder)).find(UpperCase(Trim(programFiles))) != std::wstring::npos;
}

std::wstring PublicFolderOf(const std::wstring& commonDesktop) {
    std::wstring folder = Utillity::AddBackslash(commonDesktop);
    if (!folder.empty()) folder.pop_back();
    const size_t lastSlash = folder.rfind(L'\\');
    return Utillity::AddBackslash(lastSlash == std::wstring::npos ? L"" : folder.substr(0, lastSlash + 1));
}

std::wstring DefaultProgramFolder(const std::wstring& programFiles) {
    return Utillity::AddBackslash(programFiles) + kProductFolder;
}

std::wstring DefaultDataFolder(const std::wstring& publicFolder) {
    return Utillity::AddBackslash(publicFolder) + kProductFolder;
}

std::wstring RemoveableProgramFolderOf(wchar_t letter) {
    return std::wstring(1, letter) + L":\\" + kProductFolder + L"\\Prog";
}

std::wstring RemoveableDataFolderOf(wchar_t letter) {
    return std::wstring(1, letter) + L":\\" + kProductFolder + L"\\Data";
}

ShellFolders ShellFolders::OfThisUser() {
    return {Utillity::GetSpecialFolder(nullptr, CSIDL_DESKTOP),
            Utillity::GetSpecialFolder(nullptr, CSIDL_COMMON_DESKTOPDIRECTORY),
            StartMenuFolderOf(Utillity::GetSpecialFolder(nullptr, CSIDL_PROGRAMS)),
            Utillity::GetSpecialFolder(nullptr, CSIDL_COMMON_APPDATA)};
}

std::wstring GetUninstallerFolder(const SetupChoices& choices, const ShellFolders& shell) {
    if (choices.UseRemoveable && Utillity::IsAbsolutePath(shell.CommonAppData))
        return Utillity::AddBackslash(shell.CommonAppData) + kProductFolder + L"\\Uninstall\\";
    return GetUninstallFolder(choices);
}

std::wstring StartMenuFolderOf(const std::wstring& programsMenu) {
    return Utillity::IsAbsolutePath(programsMenu) ? Utillity::AddBackslash(programsMenu) + L"Vessas Quorin\\" : L"";
}

std::wstring ProductFolderInRoot(const std::wstring& bin) {
    // The name must be the whole folder name: X:\VessasQuorinOld\ is no product folder and gets
    // no link in the root.
    const std::wstring name = kProductFolder;
    if (bin.find(name) != 3) return L"";
    const size_t end = 3 + name.size();
    if (bin.size() <= end || bin[end] != L'\\') return L"";
    return bin.substr(0, end + 1);
}
