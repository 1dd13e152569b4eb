// Shortcuts of the installation: the all-users desktop, the start-menu folder, and the link a
// removable-drive user finds beside the application's folders.
#include "engine/InstallUnit.h"
#include "engine/ProductNames.h"
#include "services/UtillityUnit.h"
#include "texts/ErrorUnit.h"

namespace {
constexpr wchar_t kLinkName[] = L"Vessas Quorin.lnk";
constexpr wchar_t kStarterFile[] = L"VessasQuorinStart.Exe";

// A shell folder the system could not tell us comes back empty; the link name alone would then
// be taken relative to the current folder, where this setup must neither delete nor create.
bool IsAbsolute(const std::wstring& folder) { return Utillity::IsAbsolutePath(folder); }

// The product folder directly in a drive's root (X:\VessasQuorin\...), where the removable layout
// puts it, including its trailing backslash; empty for any other Bin folder. The name must be the
// whole folder name: X:\VessasQuorinOld\ is no product folder and gets no link in the root.
std::wstring ProductFolderInRoot(const std::wstring& bin) {
    const std::wstring name = kProductFolder;
    if (bin.find(name) != 3) return L"";
    const size_t end = 3 + name.size();
    if (bin.size() <= end || bin[end] != L'\\') return L"";
    return bin.substr(0, end + 1);
}
}  // namespace

void CreateLinks(InstallHost& host) {
    // One guard for the whole step: once the shell has failed, the steps after it are skipped
    // rather than each reporting the same failure again. Single results are deliberately ignored:
    // a link that cannot be saved is no reason to stop the installation.
    Guarded([&] {
        const std::wstring bin = host.GetProgramFolder(true);
        const std::wstring program = bin + kProgramFile;

        // An earlier setup put the desktop link on the user's own desktop; it lives on the
        // all-users desktop now, so the old one goes in any case.
        const std::wstring userDesktop = host.GetDesktopFolder();
        if (IsAbsolute(userDesktop) && Utillity::FileExists(userDesktop + kLinkName))
            Utillity::RemoveFile(userDesktop + kLinkName);
        const std::wstring commonDesktop = host.GetCommonDesktopFolder();
        if (IsAbsolute(commonDesktop)) {
            if (Utillity::FileExists(commonDesktop + kLinkName)) Utillity::RemoveFile(commonDesktop + kLinkName);
            if (host.DesktopLink()) Utillity::CreateShortcut(program, bin, commonDesktop + kLinkName);
        }

        const std::wstring startMenu = host.GetStartMenuFolder();
        if (host.StartMenuEntry()) {
            if (IsAbsolute(startMenu)) {
                if (!Utillity::DirExists(startMenu)) Utillity::MakeFolderPath(startMenu);
                if (Utillity::FileExists(startMenu + kLinkName)) Utillity::RemoveFile(startMenu + kLinkName);
                if (Utillity::DirExists(startMenu)) Utillity::CreateShortcut(program, bin, startMenu + kLinkName);
            }
            // A removable drive carries no start menu to another machine; this link is the one a
            // user of the drive finds next to the application's folders, and it runs the starter.
            const std::wstring root = ProductFolderInRoot(bin);
            if (!root.empty()) Utillity::CreateShortcut(bin + kStarterFile, bin, root + kLinkName);
        } else if (IsAbsolute(startMenu) && Utillity::DirExists(startMenu)) {
            // The whole folder, with whatever the user put into it: the option says no start-menu entry.
            Utillity::RemoveFolder(startMenu);
        }
    });
}
