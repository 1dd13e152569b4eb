// Start-up: what FormCreate reads and decides, the command line, the two facts taken from the
// setup file's name, the running-instance query and the folder operations.
#include <windows.h>
#include <commctrl.h>
#include <shlobj.h>
#include "VQVersion.h"
#include "engine/ProductNames.h"

#include <algorithm>
#include <vector>

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

namespace {
constexpr UINT kRunningQuery = WM_APP + 1;  // 0x8001
constexpr WPARAM kRunningQueryWord = 9876;
constexpr LPARAM kRunningQueryLong = 1234;

std::wstring FileNamePart(const std::wstring& path) {
    const size_t slash = path.find_last_of(L"\\/:");
    return slash == std::wstring::npos ? path : path.substr(slash + 1);
}
}  // namespace

void TVQSetupForm::FormCreate() {
    Guarded([&] {
        // 1
        WriteLog(L"CurrentUserName " + Utillity::GetCurrentUserName());
        // 2
        LanguageParameter.clear();
        UseRemoveable = false;
        MakeStartMenuEntry = MakeDesktopLink = CheckUpdates = true;
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
        // 4
        DefaultProgramFolder = Utillity::GetProgramFilesFolder() + kProductFolder;
        // 5: the parent of the all-users desktop, C:\Users\Public\Desktop -> C:\Users\Public\ .
        std::wstring common = Utillity::AddBackslash(Utillity::GetSpecialFolder(Handle(), CSIDL_COMMON_DESKTOPDIRECTORY));
        if (!common.empty() && common.back() == L'\\') common.pop_back();
        const size_t lastSlash = common.rfind(L'\\');
        PublicFolder = Utillity::AddBackslash(lastSlash == std::wstring::npos ? L"" : common.substr(0, lastSlash + 1));
        // Without it the default data folder would be a bare relative name.
        if (!Utillity::IsAbsolutePath(PublicFolder))
            throw EVQError(L"Cannot find the all-users desktop folder (CSIDL_COMMON_DESKTOPDIRECTORY)");
        // 6
        OptionEventsEnabled = true;
        ctl::SetVisible(LabelProgress, false);
        // 7
        const std::vector<std::wstring>& params = Args_.Params;
        SetupFileName = Args_.ProgramPath;
        if (!params.empty() && params[0] == L"Test") {
            IsTestMode = true;
            SetupFileName = VQ_TEST_SETUP_FILE;
        } else if (params.size() == 3) {
            // Folders that are no full paths would land below the current folder: such a command
            // line is ignored as a whole. A language the setup does not speak is ignored alone.
            if (Utillity::IsAbsolutePath(params[1]) && Utillity::IsAbsolutePath(params[2])) {
                LanguageParameter = CanonicalLanguageCode(params[0]);
                ProgramFolder = params[1];
                DataFolder = params[2];
            }
        } else if (params.size() == 1 && UpperCase(params[0]) == L"SILENT") {
            LanguageParameter = L"de-DE";
            ProgramFolder = DefaultProgramFolder;
            DataFolder = PublicFolder + kProductFolder;
            IsSilent = true;
        }
        // 8
        WriteLog(L"FileName " + SetupFileName);
        // 9
        FileLanguage = GetLanguage();
        IsHotfix = GetIsHotfix();
        // 10
        ctl::ComboSelect(DateFormatComboBox, 0);
        ctl::SetVisible(DateFormatComboBox, false);
        PageIndex = pgLanguage;
        // 11
        FillLanguageList();
        // 12
        if (!LanguageParameter.empty()) {
            SelectLanguage(LanguageParameter, L"");
        } else {
            const std::wstring language = GetDefaultLanguage();
            SelectLanguage(language, L"");
            // German speakers pick their country variant themselves.
            if (language == L"de-DE" || language == L"de-AT" || language == L"de-CH")
                ctl::ComboSelect(LanguageComboBox, -1);
        }
        // 13
        if (ProgramFolder.empty() && DataFolder.empty()) {
            ReadRegistry();
            if (ProgramFolder.empty()) ProgramFolder = DefaultProgramFolder;
            if (DataFolder.empty()) DataFolder = PublicFolder + kProductFolder;
        }
        // 14
        ctl::SetVisible(LicenceLabel, !IsHotfix);
        ctl::SetVisible(TermsAndConditionsRichEdit, !IsHotfix);
        ctl::SetVisible(LabelHotfix, IsHotfix);
        ctl::SetVisible(LabelUpdate, false);
        // 15
        ctl::SetText(Handle(), L"VESSA'S QUORIN " VQ_VERSION_WIDE);
        // 16
        FillDriveList();
        // 17
        if (!LanguageParameter.empty()) {
            // By its code within the list shown: a list fixed by the file name holds one entry, and
            // Windows clears the selection for a position outside the list.
            const int position = LanguagePosition(LanguageParameter);
            if (position >= 0) ctl::ComboSelect(LanguageComboBox, position);
            if (IsSilent) {
                TimerInstallEnabled = true;
                ::SetTimer(Handle(), kTimerInstallId, 10, nullptr);
                PageIndex = pgProgress;
            }
        }
        // 18
        ShowPage();
    });
}

FileLanguageMarker TVQSetupForm::GetLanguage() {
    WriteLog(L"GetLanguage");
    const std::wstring name = UpperCase(FileNamePart(SetupFileName));
    // Each later marker overrides an earlier one.
    FileLanguageMarker result = flNone;
    if (name.find(L"-DE.") != std::wstring::npos) result = flGerman;
    if (name.find(L"-EN.") != std::wstring::npos) result = flEnglish;
    if (name.find(L"-FR.") != std::wstring::npos) result = flFrench;
    if (name.find(L"-ES.") != std::wstring::npos) result = flSpanish;
    return result;
}

bool TVQSetupForm::GetIsHotfix() {
    WriteLog(L"GetIsHotfix");
    return UpperCase(FileNamePart(SetupFileName)).find(L"HF") != std::wstring::npos;
}

bool TVQSetupForm::IsRunning() {
    bool running = false;
    auto inspect = [&](HWND window) {
        wchar_t caption[256] = {};
        ::GetWindowTextW(window, caption, 256);
        const std::wstring upper = UpperCase(caption);
        WriteLog(L"Running(0):" + upper + L"  h=" + std::to_wstring(reinterpret_cast<UINT_PTR>(window)));
        if (upper.find(L"VESSA") == std::wstring::npos || upper.find(L"QUORIN") == std::wstring::npos) return;
        // A hung window must not hang the setup with it: it counts as not answering.
        DWORD_PTR reply = 0;
        if (::SendMessageTimeoutW(window, kRunningQuery, kRunningQueryWord, kRunningQueryLong,
                                  SMTO_ABORTIFHUNG | SMTO_NORMAL, 5000, &reply) &&
            reply == static_cast<DWORD_PTR>(kRunningQueryLong))
            running = true;
    };
    // The walk goes forward and then backward through the window order from the setup's own window.
    // It runs over a snapshot of that order: windows that other programs open or close meanwhile
    // must not cut the walk short.
    std::vector<HWND> order;
    ::EnumWindows(
        [](HWND w, LPARAM list) {
            return CallbackGuard<BOOL>(FALSE, [&] {
                reinterpret_cast<std::vector<HWND>*>(list)->push_back(w);
                return TRUE;
            });
        },
        reinterpret_cast<LPARAM>(&order));
    const auto self = std::find(order.begin(), order.end(), Handle());
    if (self == order.end()) return false;
    for (auto it = self; it != order.end(); ++it) inspect(*it);
    for (auto it = self;; --it) {
        inspect(*it);
        if (it == order.begin()) break;
    }
    return running;
}

std::wstring ProgramFolderOf(const std::wstring& folder) {
    const std::wstring base = Utillity::AddBackslash(folder);
    // A folder chosen inside an earlier installation's Bin folder means that installation's folder.
    // Only a folder named exactly "Bin" counts (C:\Bindings\ is no Bin folder), and the cut never
    // leaves a drive's root: the uninstaller and the size of the installation would take it all.
    if (base.size() <= 3) return base;
    for (size_t at = base.find(L"\\Bin\\"); at != std::wstring::npos; at = base.find(L"\\Bin\\", at + 1)) {
        const std::wstring parent = base.substr(0, at + 1);
        if (!Utillity::IsRootFolder(parent)) return parent;
    }
    return base;
}

std::wstring TVQSetupForm::GetProgramFolder(bool withBin) const {
    const std::wstring base = ProgramFolderOf(UseRemoveable ? RemoveableProgramFolder : ProgramFolder);
    return withBin ? base + L"Bin\\" : base;
}

std::wstring TVQSetupForm::GetDataFolder() const {
    return Utillity::AddBackslash(UseRemoveable ? RemoveableDataFolder : DataFolder);
}

std::wstring TVQSetupForm::GetUninstallFolder() const {
    return Utillity::AddBackslash(UseRemoveable ? RemoveableProgramFolder : ProgramFolder);
}

std::wstring TVQSetupForm::GetDesktopFolder() const { return Utillity::GetSpecialFolder(Handle(), CSIDL_DESKTOP); }

std::wstring TVQSetupForm::GetCommonDesktopFolder() const {
    return Utillity::GetSpecialFolder(Handle(), CSIDL_COMMON_DESKTOPDIRECTORY);
}

std::wstring TVQSetupForm::GetStartMenuFolder() const {
    // A Programs menu the shell cannot name gives no folder, not the relative "Vessas Quorin\".
    const std::wstring programs = Utillity::GetSpecialFolder(Handle(), CSIDL_PROGRAMS);
    return Utillity::IsAbsolutePath(programs) ? programs + L"Vessas Quorin\\" : L"";
}

wchar_t TVQSetupForm::FirstLetter(const std::wstring& text) {
    if (text.empty()) return L'\0';
    return UpperCase(text.substr(0, 1))[0];
}
