// The removable-drive page and the folder page: the drive list, the removable layout, browsing
// for folders, the product folder rule and the reset to the default folders.
#include <windows.h>
#include <shlobj.h>

#include "services/IEDriveInfo.h"
#include "engine/ProductNames.h"
#include "services/UtillityUnit.h"
#include "texts/ErrorUnit.h"
#include "texts/LanguageUnit.h"
#include "wizard/Controls.h"
#include "wizard/VQSetupUnit.h"

namespace {

std::wstring RemoveableLayout(wchar_t letter, const wchar_t* part) {
    return std::wstring(1, letter) + L":\\" + kProductFolder + part;
}
}  // namespace

std::wstring AppendProductFolder(const std::wstring& folder) {
    if (UpperCase(folder).find(L"VESSASQUORIN") != std::wstring::npos) return folder;
    return Utillity::AddBackslash(folder) + kProductFolder;
}

void TVQSetupForm::FillDriveList() {
    Guarded([&] {
        const wchar_t wanted = FirstLetter(RemoveableProgramFolder);
        ctl::ComboClear(DriveComboBox);
        DriveLetters.clear();
        int select = -1;
        for (wchar_t letter = L'C'; letter <= L'Z'; ++letter) {
            if (!DriveInfo().ReadDriveInfo(letter, RequestNames)) continue;
            const TDriveInfoRec drive = DriveInfo().GetDriveInfo(letter);
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
    RemoveableProgramFolder = RemoveableLayout(letter, L"\\Prog");
    RemoveableDataFolder = RemoveableLayout(letter, L"\\Data");
}

void TVQSetupForm::SearchProgramFolderButtonClick() {
    Guarded([&] {
        std::wstring folder = Utillity::GetProgramFilesFolder();
        if (Utillity::BrowseForFolder(Handle(), folder, Language::LocalizedText(txProgramFolder), L""))
            ctl::SetText(ProgramFolderEdit, AppendProductFolder(folder));
    });
}

void TVQSetupForm::SearchDataFolderButtonClick() {
    Guarded([&] {
        std::wstring folder = Utillity::GetSpecialFolder(Handle(), CSIDL_APPDATA);
        if (Utillity::BrowseForFolder(Handle(), folder, Language::LocalizedText(txDataFolder), L""))
            ctl::SetText(DataFolderEdit, AppendProductFolder(folder));
    });
}

void TVQSetupForm::ResetFoldersButtonClick() {
    ProgramFolder = DefaultProgramFolder;
    DataFolder = PublicFolder + kProductFolder;
    ShowPage();
}
