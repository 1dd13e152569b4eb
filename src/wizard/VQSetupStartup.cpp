// Start-up: what FormCreate reads and decides, the command line, the two facts taken from the
// setup file's name; the running-instance query is engine/RunningCheck.h.
#include <windows.h>
#include <commctrl.h>
#include <shlobj.h>

#include <algorithm>
#include <vector>

#include "VQVersion.h"
#include "engine/Folders.h"
#include "engine/RunningCheck.h"
#include "engine/SettingsUnit.h"
#include "services/UtillityUnit.h"
#include "services/VQError.h"
#include "texts/ErrorUnit.h"
#include "wizard/Controls.h"
#include "wizard/VQSetupUnit.h"

#ifndef VQ_TEST_SETUP_FILE
// Test mode pretends to run as this file, so a developer can try the file-name markers
// without renaming the program.
#define VQ_TEST_SETUP_FILE L"C:\\VQSetupTest\\VessasQuorinSetup-" VQ_VERSION_WIDE L".exe"
#endif

void TVQSetupForm::FormCreate() {
    Guarded([&] {
        WriteLog(L"CurrentUserName " + Utillity::GetCurrentUserName());
        LanguageParameter.clear();
        Choices.UseRemoveable = false;
        Choices.MakeStartMenuEntry = Choices.MakeDesktopLink = Choices.CheckUpdates = true;
        // The list's own changes while it is filled must not reach its handler.
        OptionEventsEnabled = false;
        LanguageEventsEnabled = true;
        // The component items; their captions come with the language.
        ListView_DeleteAllItems(OptionsListView);
        for (int i = 0; i < oiCount; ++i) {
            LVITEMW item{};
            item.mask = LVIF_TEXT;
            item.iItem = i;
            item.pszText = const_cast<wchar_t*>(L"");
            ListView_InsertItem(OptionsListView, &item);
        }
        DefaultProgramFolder = ::DefaultProgramFolder(Utillity::GetProgramFilesFolder());
        Choices.PublicFolder = PublicFolderOf(Utillity::GetSpecialFolder(Handle(), CSIDL_COMMON_DESKTOPDIRECTORY));
        // Without it the default data folder would be a bare relative name.
        if (!Utillity::IsAbsolutePath(Choices.PublicFolder))
            throw EVQError(L"Cannot find the all-users desktop folder (CSIDL_COMMON_DESKTOPDIRECTORY)");
        OptionEventsEnabled = true;
        ctl::SetVisible(LabelProgress, false);

        // The command line: "Test" first, three parameters, or "silent" alone; anything else is ignored.
        const std::vector<std::wstring>& params = Args_.Params;
        Choices.SetupFileName = Args_.ProgramPath;
        if (!params.empty() && params[0] == L"Test") {
            Choices.IsTestMode = true;
            Choices.SetupFileName = VQ_TEST_SETUP_FILE;
        } else if (params.size() == 3) {
            // Folders that are no full paths would land below the current folder: such a command
            // line is ignored as a whole. A language the setup does not speak is ignored alone.
            if (Utillity::IsAbsolutePath(params[1]) && Utillity::IsAbsolutePath(params[2])) {
                LanguageParameter = CanonicalLanguageCode(params[0]);
                Choices.ProgramFolder = params[1];
                Choices.DataFolder = params[2];
            }
        } else if (params.size() == 1 && UpperCase(params[0]) == L"SILENT") {
            LanguageParameter = L"de-DE";
            Choices.ProgramFolder = DefaultProgramFolder;
            Choices.DataFolder = DefaultDataFolder(Choices.PublicFolder);
            Choices.IsSilent = true;
        }
        WriteLog(L"FileName " + Choices.SetupFileName);
        Choices.FileLanguage = GetLanguage();
        Choices.IsHotfix = GetIsHotfix();
        ctl::ComboSelect(DateFormatComboBox, 0);
        ctl::SetVisible(DateFormatComboBox, false);
        PageIndex = pgLanguage;

        FillLanguageList();
        if (!LanguageParameter.empty()) {
            SelectLanguage(LanguageParameter, L"");
        } else {
            const std::wstring language = GetDefaultLanguage();
            SelectLanguage(language, L"");
            // German speakers pick their country variant themselves.
            if (IsGermanLocale(language)) ctl::ComboSelect(LanguageComboBox, -1);
        }
        // Folders from the command line win over those of the previous installation.
        if (Choices.ProgramFolder.empty() && Choices.DataFolder.empty()) {
            ReadRegistry();
            if (Choices.ProgramFolder.empty()) Choices.ProgramFolder = DefaultProgramFolder;
            if (Choices.DataFolder.empty()) Choices.DataFolder = DefaultDataFolder(Choices.PublicFolder);
        }
        // A hotfix has no licence to agree to: it refreshes an installation that was agreed to.
        ctl::SetVisible(LicenceLabel, !Choices.IsHotfix);
        ctl::SetVisible(TermsAndConditionsRichEdit, !Choices.IsHotfix);
        ctl::SetVisible(LabelHotfix, Choices.IsHotfix);
        ctl::SetVisible(LabelUpdate, false);
        ctl::SetText(Handle(), L"VESSA'S QUORIN " VQ_VERSION_WIDE);
        if (!DeferPageContents_) FillDriveList();
        if (!LanguageParameter.empty()) {
            // The earlier installation's language does not override the command line's. By its
            // code within the list shown: a list fixed by the file name holds one entry, and
            // Windows clears the selection for a position outside the list.
            const int position = LanguagePosition(Choices.FileLanguage, LanguageParameter);
            if (position >= 0) ctl::ComboSelect(LanguageComboBox, position);
            if (Choices.IsSilent) {
                TimerInstallEnabled = true;
                ::SetTimer(Handle(), kTimerInstallId, 10, nullptr);
                PageIndex = pgProgress;
            }
        }
        ShowPage();
    });
}

void TVQSetupForm::ReadRegistry() {
    Choices.ProgramFolder.clear();
    Choices.DataFolder.clear();
    Choices.RemoveableProgramFolder.clear();
    Choices.RemoveableDataFolder.clear();
    StoredSettings stored;
    try {
        if (!ReadStoredSettings(stored)) return;
    } catch (const EVQError&) {
        // Earlier settings are a convenience: when they cannot be read the setup starts from its
        // defaults, without bothering the user, and takes none of them.
        return;
    }
    TakeStoredFolders(stored, Choices);
    Choices.MakeStartMenuEntry = stored.MakeStartMenuEntry;
    Choices.MakeDesktopLink = stored.MakeDesktopLink;
    Choices.CheckUpdates = stored.CheckUpdates;
    if (!stored.Language.empty()) SelectLanguage(stored.Language, stored.DateFormat);
}

FileLanguageMarker TVQSetupForm::GetLanguage() {
    WriteLog(L"GetLanguage");
    return FileLanguageOf(Choices.SetupFileName);
}

bool TVQSetupForm::GetIsHotfix() {
    WriteLog(L"GetIsHotfix");
    return IsHotfixFileName(Choices.SetupFileName);
}

bool TVQSetupForm::IsRunning() { return IsApplicationRunning(Handle()); }

wchar_t TVQSetupForm::FirstLetter(const std::wstring& text) {
    if (text.empty()) return L'\0';
    return UpperCase(text.substr(0, 1))[0];
}
