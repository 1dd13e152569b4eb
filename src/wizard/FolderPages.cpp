// The removable-drive page and the folder page: the drive list, the removable layout, browsing
// for folders and the reset to the default folders. The folder rules are in engine/Folders.h.
#include <windows.h>
#include <shlobj.h>

#include "engine/Folders.h"
#include "services/IEDriveInfo.h"
#include "services/UtillityUnit.h"
#include "texts/ErrorUnit.h"
#include "texts/LanguageUnit.h"
#include "wizard/Controls.h"
#include "wizard/VQSetupUnit.h"

void TVQSetupForm::FillDriveList() {
    DriveListRead_ = true;
    Guarded([&] {
        const wchar_t wanted = FirstLetter(Choices.RemoveableProgramFolder);
        ctl::ComboClear(DriveComboBox);
        DriveLetters.clear();
        int select = -1;
        for (wchar_t letter = L'C'; letter <= L'Z'; ++letter) {
            if (!DriveInfo_.ReadDriveInfo(letter, RequestNames)) continue;
            const TDriveInfoRec drive = DriveInfo_.GetDriveInfo(letter);
            // Removable, network and RAM drives; never a fixed disk or a CD-ROM drive.
            if (drive.DriveType == DRIVE_FIXED || drive.DriveType == DRIVE_CDROM) continue;
            const int position = ctl::ComboAdd(DriveComboBox, drive.DisplayName);
            DriveLetters += letter;
            if (letter == wanted) select = position;
        }
        ctl::ComboSelect(DriveComboBox, select);
    });
}

void TVQSetupForm::DriveComboBoxChange() {
    const int index = ctl::ComboIndex(DriveComboBox);
    if (index < 0 || index >= static_cast<int>(DriveLetters.size())) return;
    const wchar_t letter = DriveLetters[static_cast<size_t>(index)];
    Choices.RemoveableProgramFolder = RemoveableProgramFolderOf(letter);
    Choices.RemoveableDataFolder = RemoveableDataFolderOf(letter);
}

void TVQSetupForm::SearchProgramFolderButtonClick() {
    Guarded([&] {
        std::wstring folder = Utillity::GetProgramFilesFolder();
        if (Utillity::BrowseForFolder(Handle(), folder, Text(txProgramFolder), L""))
            ctl::SetText(ProgramFolderEdit, AppendProductFolder(folder));
    });
}

void TVQSetupForm::SearchDataFolderButtonClick() {
    Guarded([&] {
        std::wstring folder = Utillity::GetSpecialFolder(Handle(), CSIDL_APPDATA);
        if (Utillity::BrowseForFolder(Handle(), folder, Text(txDataFolder), L""))
            ctl::SetText(DataFolderEdit, AppendProductFolder(folder));
    });
}

void TVQSetupForm::ResetFoldersButtonClick() {
    Choices.ProgramFolder = DefaultProgramFolder;
    Choices.DataFolder = DefaultDataFolder(Choices.PublicFolder);
    ShowPage();
}
