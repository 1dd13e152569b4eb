// Shortcuts of the installation: the all-users desktop, the start-menu folder, and the link a
// removable-drive user finds beside the application's folders.
#include "engine/InstallRecord.h"
#include "engine/InstallRecordFile.h"
#include "engine/InstallUnit.h"
#include "engine/ProductNames.h"
#include "services/UtillityUnit.h"
#include "texts/ErrorUnit.h"

namespace {
constexpr wchar_t kStarterFile[] = L"VessasQuorinStart.Exe";
}  // namespace

void CreateLinks(const SetupChoices& choices, const ShellFolders& shell, InstallRecord* record) {
    // One guard for the whole step: once the shell has failed, the steps after it are skipped
    // rather than each reporting the same failure again. Single results are deliberately ignored:
    // a link that cannot be saved is no reason to stop the installation. A shell folder the
    // system could not name is empty; the link name alone would then be taken relative to the
    // current folder, where this setup must neither delete nor create.
    Guarded([&] {
        const std::wstring bin = GetProgramFolder(choices, true);
        const std::wstring program = bin + kProgramFile;
        // Only a link that was saved is the setup's.
        const auto link = [&](const std::wstring& target, const std::wstring& file) {
            if (Utillity::CreateShortcut(target, bin, file) && record) record->AddLink(file);
        };

        // An earlier setup put the desktop link on the user's own desktop; it lives on the
        // all-users desktop now, so the old one goes in any case.
        if (Utillity::IsAbsolutePath(shell.Desktop) && Utillity::FileExists(shell.Desktop + kLinkName))
            Utillity::RemoveFile(shell.Desktop + kLinkName);
        if (Utillity::IsAbsolutePath(shell.CommonDesktop)) {
            const std::wstring desktopLink = shell.CommonDesktop + kLinkName;
            if (Utillity::FileExists(desktopLink)) Utillity::RemoveFile(desktopLink);
            if (choices.MakeDesktopLink) link(program, desktopLink);
        }

        const std::wstring& startMenu = shell.StartMenu;
        if (choices.MakeStartMenuEntry) {
            if (Utillity::IsAbsolutePath(startMenu)) {
                const std::vector<std::wstring> missing = MissingFolders(startMenu);
                if (!Utillity::DirExists(startMenu)) Utillity::MakeFolderPath(startMenu);
                NoteCreatedFolders(record, missing);
                if (Utillity::FileExists(startMenu + kLinkName)) Utillity::RemoveFile(startMenu + kLinkName);
                if (Utillity::DirExists(startMenu)) link(program, startMenu + kLinkName);
            }
            // A removable drive carries no start menu to another machine; this link is the one a
            // user of the drive finds next to the application's folders, and it runs the starter.
            const std::wstring root = ProductFolderInRoot(bin);
            if (!root.empty()) link(bin + kStarterFile, root + kLinkName);
        } else if (Utillity::IsAbsolutePath(startMenu) && Utillity::DirExists(startMenu)) {
            // The whole folder, with whatever the user put into it: the option says no start-menu entry.
            Utillity::RemoveFolder(startMenu);
        }
    });
}
