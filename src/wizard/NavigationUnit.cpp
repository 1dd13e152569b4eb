// The page sequence: what every page change shows, the checks made when a page is left, the
// summary, the start of the install run and the question before the setup is left.
#include <windows.h>
#include <commctrl.h>

#include <utility>

#include "engine/Folders.h"
#include "services/UtillityUnit.h"
#include "texts/ErrorUnit.h"
#include "texts/LanguageUnit.h"
#include "wizard/Controls.h"
#include "wizard/VQSetupUnit.h"

namespace {
void ShowInformation(const std::wstring& message) {
    Utillity::ShowDialog(L"Information", message, DialogKind::Information, ButtonSet({dbOK}), {}, {});
}
}  // namespace

void TVQSetupForm::PreparePage(int page) {
    if (page == pgLicence && !PendingLicence_.empty()) {
        const std::wstring licence = std::exchange(PendingLicence_, {});
        Guarded([&] { LoadLicence(licence); });
    }
    if (page == pgRemoveable && !DriveListRead_) FillDriveList();
}

void TVQSetupForm::ShowPage() {
    // Filled before the page shows, so that it never shows empty.
    PreparePage(PageIndex);
    // The page control has no tabs: exactly the page of PageIndex shows.
    for (int page = 0; page < pgCount; ++page) ctl::SetVisible(TabSheet(page), page == PageIndex);
    for (HWND w : {NextButton, BackButton, CancelButton}) ctl::SetVisible(w, true);
    // The welcome screen lies over the whole form on page 0.
    if (PageIndex == pgLanguage) {
        const RECT image = ctl::Bounds(SetupImage);
        const int height = image.bottom - image.top, width = image.right - image.left;
        RECT client{};
        ::GetClientRect(Handle(), &client);
        ::SetWindowPos(SetupImagePanel, HWND_TOP, 0, 0, width, height, SWP_SHOWWINDOW | SWP_NOACTIVATE);
        ::SetWindowPos(LanguagePanel, HWND_TOP, width, 0, client.right - width, height, SWP_SHOWWINDOW | SWP_NOACTIVATE);
        ctl::SetVisible(BackButton, false);
    } else {
        ctl::SetVisible(SetupImagePanel, false);
        ctl::SetVisible(LanguagePanel, false);
        ctl::SetVisible(BackButton, true);
    }
    if (PageIndex == pgConfirm) {
        ctl::SetText(NextButton, Text(txInstall));
    } else if (PageIndex == pgProgress) {
        ctl::SetVisible(NextButton, false);
        ctl::SetVisible(BackButton, false);
    } else if (PageIndex == pgFinish) {
        ctl::SetText(CancelButton, Text(txFinish));
        ctl::SetVisible(NextButton, false);
        ctl::SetVisible(BackButton, false);
    } else {
        ctl::SetText(NextButton, Text(txNext));
    }
    // The options page shows the stored choices again: what was not confirmed with Next is dropped.
    const struct { OptionItem Item; bool Checked; } checks[] = {
        {oiStartMenuEntry, Choices.MakeStartMenuEntry}, {oiDesktopLink, Choices.MakeDesktopLink},
        {oiCheckUpdates, Choices.CheckUpdates}, {oiUseRemoveable, Choices.UseRemoveable}};
    for (const auto& c : checks) ListView_SetCheckState(OptionsListView, c.Item, c.Checked ? TRUE : FALSE);
    ctl::SetVisible(ResetFoldersButton, PageIndex == pgFolder && !Choices.UseRemoveable);
    // The edits' change handlers store the texts back, so the choices always hold what they show.
    ctl::SetText(ProgramFolderEdit, GetProgramFolder(Choices, false));
    ctl::SetText(DataFolderEdit, DataFolderShown(Choices));
    ctl::SetText(SumaryRichEdit, BuildSummary());
    if (Choices.IsSilent)
        for (HWND w : {NextButton, BackButton, CancelButton}) ctl::SetVisible(w, false);
}

std::wstring TVQSetupForm::BuildSummary() const {
    const std::wstring indent = L"    ", eol = L"\r\n";
    std::wstring setupType = L"Hotfix";
    if (!Choices.IsHotfix) {
        const int index = ctl::ComboIndex(OptionsComboBox);
        setupType = index >= 0 ? ctl::ComboItemText(OptionsComboBox, index) : L"";
    }
    std::wstring summary = Text(txProgramFolder) + L":" + eol + indent + GetProgramFolder(Choices, false) + eol +
                           Text(txDataFolder) + L":" + eol + indent + GetDataFolder(Choices) + eol +
                           Text(txSetupType) + L":" + eol + indent + setupType + eol +
                           Text(txSelectedComponents) + L":" + eol + indent + Text(txProgramFiles) + eol;
    if (!Choices.IsHotfix) {
        if (Choices.MakeStartMenuEntry) summary += indent + Text(txStartMenuEntry) + eol;
        if (Choices.MakeDesktopLink) summary += indent + Text(txDesktopLink) + eol;
        if (Choices.CheckUpdates) summary += indent + Text(txUpdateNotification) + eol;
        if (Choices.UseRemoveable) summary += indent + Text(txRemovableInstallation) + eol;
    }
    return summary;
}

void TVQSetupForm::NextButtonClick() {
    switch (PageIndex) {
        case pgLanguage:
            if (ctl::ComboIndex(LanguageComboBox) < 0) return ShowInformation(Text(txSelectLanguage));
            PageIndex = Choices.IsHotfix ? pgFolder : pgLicence;
            break;
        case pgLicence:
            PageIndex = pgOptions;
            break;
        case pgOptions:
            Choices.MakeStartMenuEntry = ListView_GetCheckState(OptionsListView, oiStartMenuEntry) != 0;
            Choices.MakeDesktopLink = ListView_GetCheckState(OptionsListView, oiDesktopLink) != 0;
            Choices.CheckUpdates = ListView_GetCheckState(OptionsListView, oiCheckUpdates) != 0;
            Choices.UseRemoveable = ListView_GetCheckState(OptionsListView, oiUseRemoveable) != 0;
            PageIndex = Choices.UseRemoveable ? pgRemoveable : pgFolder;
            break;
        case pgRemoveable:
            if (ctl::ComboIndex(DriveComboBox) < 0) return ShowInformation(Text(txSelectDisk));
            PageIndex = pgFolder;
            break;
        case pgFolder: {
            // Program Files is not writable for the application; its data must live elsewhere.
            const std::wstring programFiles = Utillity::GetProgramFilesFolder();
            if (IsInProgramFiles(GetDataFolder(Choices), programFiles))
                return ShowInformation(Text(txDataInProgramFiles) + L"\r\n\"" + programFiles + L"\"");
            // A folder without drive or server would be made below the current folder.
            for (const std::wstring& folder : {GetProgramFolder(Choices, false), GetDataFolder(Choices)})
                if (!Utillity::IsAbsolutePath(folder))
                    return ShowInformation(Text(txFolderNotFullPath) + L"\r\n\"" + folder + L"\"");
            PageIndex = pgConfirm;
            break;
        }
        case pgConfirm:
            PageIndex = pgProgress;
            break;
        case pgProgress:
            PageIndex = pgFinish;
            break;
        default:
            Close();
            return;
    }
    ShowPage();
    if (PageIndex != pgProgress) return;

    int answer;
    do {
        answer = Run();
    } while (answer == mrRetry && !CancelRequested_);
    LastRunAnswer = answer;
    if (answer == mrOk) {
        PageIndex = pgFinish;
        ShowPage();
        // A run that completed before it could be cancelled is an installation all the same.
        if (CancelRequested_) CloseAfterCancel();
    } else if (CancelRequested_) {
        CloseAfterCancel();
    } else if (answer == mrCancel) {
        PageIndex = pgConfirm;
        ShowPage();
        Close();
    }
}

void TVQSetupForm::BackButtonClick() {
    PageIndex -= (PageIndex == pgFolder && !Choices.UseRemoveable) ? 2 : 1;
    if (PageIndex < 0) PageIndex = 0;
    ShowPage();
}

void TVQSetupForm::CancelButtonClick() { Close(); }

bool TVQSetupForm::FormCloseQuery() { return CanCloseSetup(); }

bool TVQSetupForm::CanCloseSetup() {
    if (Choices.IsSilent || PageIndex == pgFinish) return true;
    return Utillity::ShowDialog(Text(txExitSetup), Text(txExitQuestion), DialogKind::Confirmation, ButtonSet({dbYes, dbNo}),
                                {Text(txYes), Text(txNo)}, {mrYes, mrNo}) == mrYes;
}

// ---- Folder edits: the choices always hold what the edits show.

void TVQSetupForm::ProgramFolderEditChange() {
    Guarded([&] {
        (Choices.UseRemoveable ? Choices.RemoveableProgramFolder : Choices.ProgramFolder) = ctl::GetText(ProgramFolderEdit);
    });
}

void TVQSetupForm::DataFolderEditChange() {
    Guarded([&] {
        // The edit shows the public folder as its token in both cases; the choices hold the path.
        (Choices.UseRemoveable ? Choices.RemoveableDataFolder : Choices.DataFolder) =
            GetDataRootFolder(ctl::GetText(DataFolderEdit), Choices.PublicFolder, Choices.Language);
    });
}
