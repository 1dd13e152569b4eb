// The language choice and the licence page: the list of languages, the default language, applying
// a language to every caption, and the licence document of the locale.
#include <windows.h>
#include <commctrl.h>
#include <richedit.h>

#include "services/UtillityUnit.h"
#include "texts/ErrorUnit.h"
#include "texts/LanguageUnit.h"
#include "texts/Languages.h"
#include "wizard/Controls.h"
#include "wizard/VQSetupUnit.h"

namespace {
// Streams the RTF bytes of a resource into a rich edit, replacing its content.
struct StreamCursor {
    const char* Data;
    size_t Left;
};
DWORD CALLBACK StreamOut(DWORD_PTR cookie, LPBYTE buffer, LONG wanted, LONG* given) {
    auto* cursor = reinterpret_cast<StreamCursor*>(cookie);
    const size_t n = std::min<size_t>(cursor->Left, static_cast<size_t>(wanted));
    memcpy(buffer, cursor->Data, n);
    cursor->Data += n;
    cursor->Left -= n;
    *given = static_cast<LONG>(n);
    return 0;
}
HRSRC FindLicence(const std::wstring& resourceName) {
    HRSRC resource = ::FindResourceW(::GetModuleHandleW(nullptr), resourceName.c_str(), RT_RCDATA);
    if (!resource) throw EVQError(L"Resource " + resourceName + L" not found");
    return resource;
}
}  // namespace

std::wstring ReplaceChar(const std::wstring& text, wchar_t from, wchar_t to) {
    std::wstring result = text;
    for (auto& c : result)
        if (c == from) c = to;
    return result;
}

void TVQSetupForm::FillLanguageList() {
    ctl::ComboClear(LanguageComboBox);
    LanguageCodes_.clear();
    if (Choices.FileLanguage != flNone && Choices.FileLanguage != flGerman) {
        // The language is fixed by the file name: the date format takes the list's place.
        ctl::SetVisible(LanguageComboBox, false);
        ctl::SetVisible(LanguageLabel, false);
        PlaceAt(DateFormatLabel, LanguageLabel);
        PlaceAt(DateFormatComboBox, LanguageComboBox);
    } else {
        ctl::SetVisible(LanguageComboBox, true);
    }
    for (const LanguageEntry& entry : LanguageList(Choices.FileLanguage)) {
        LanguageCodes_.push_back(std::make_unique<TString>(entry.Code));
        ctl::ComboAdd(LanguageComboBox, entry.DisplayName, reinterpret_cast<LPARAM>(LanguageCodes_.back().get()));
    }
}

std::wstring TVQSetupForm::GetDefaultLanguage() {
    std::wstring result;
    Guarded([&] {
        // A language fixed by the file name wins over the system's.
        result = Choices.FileLanguage == flNone ? LanguageOfSystem(Utillity::GetSystemLanguage())
                                                : LanguageForcedBy(Choices.FileLanguage, L"");
    });
    return result;
}

void TVQSetupForm::SelectLanguage(const std::wstring& requested, const std::wstring& dateFormat) {
    Guarded([&] {
        const std::wstring code = LanguageForcedBy(Choices.FileLanguage, requested);
        LanguageEventsEnabled = false;
        const int position = LanguagePosition(Choices.FileLanguage, code);
        if (position >= 0) ctl::ComboSelect(LanguageComboBox, position);
        if (code == L"en-US") {
            for (int i = 0; i < ctl::ComboCount(DateFormatComboBox); ++i)
                if (ctl::ComboItemText(DateFormatComboBox, i) == dateFormat) { ctl::ComboSelect(DateFormatComboBox, i); break; }
        }
        ApplyLanguage(code);
        LanguageEventsEnabled = true;
    });
}

void TVQSetupForm::LanguageComboBoxChange() {
    Guarded([&] {
        const int index = ctl::ComboIndex(LanguageComboBox);
        if (!LanguageEventsEnabled || index < 0) return;
        const auto* entry = reinterpret_cast<const TString*>(ctl::ComboData(LanguageComboBox, index));
        if (entry) ApplyLanguage(entry->Value);
    });
}

void TVQSetupForm::ApplyLanguage(const std::wstring& code) {
    Guarded([&] {
        // The captions follow the text unit's language; the choices carry it to the install run.
        CurrentLanguage = code;
        Choices.Language = code;
        ctl::SetVisible(DateFormatLabel, code == L"en-US");
        ctl::SetVisible(DateFormatComboBox, code == L"en-US");

        const struct { HWND Control; TextId Number; } captions[] = {
            {WellcomeLabel, txWelcome}, {WellcomeInfoLabel, txWelcomeInfo}, {LanguageInfoLabel, txLanguageInfo},
            {DriveLabel, txDrive}, {ProgramFolderLabel, txProgramFolder}, {DataFolderLabel, txDataFolder},
            {SearchProgramFolderButton, txSearch}, {SearchDataFolderButton, txSearch},
            {ResetFoldersButton, txSetDefaults}, {NextButton, txNext}, {CancelButton, txCancel},
            {LanguageLabel, txLanguage}, {LicenceLabel, txLicenceAgreement}, {LicenceTextLabel, txLicenceInfo},
            {OptionsLabel, txSelectComponents}, {OptionsTextLabel, txComponentsInfo},
            {RemoveableLabel, txRemovableTitle}, {RemoveableInfo1Label, txRemovableInfo},
            {RemoveableInfo2Label, txSelectDriveInfo}, {FolderLabel, txSelectDestination},
            {FolderInfo1Label, txFolderInfo}, {FolderInfo2Label, txBrowseInfo},
            {ConfirmLabel, txCarryOutInstallation}, {ConfirmInfoLabel, txConfirmInfo},
            {ProgressLabel, txInstalling}, {ProgressInfoLabel, txPleaseWait},
            {ProgressFile1Label, txFilesUnpacked}, {FinishLabel, txFinishTitle},
            {FinishInfo1Label, txFinishInfo}, {FinishInfo3Label, txFinishHint},
            {InstallButton, Choices.IsHotfix ? txInstall : txAgreeAndInstall},
        };
        for (const auto& c : captions) ctl::SetText(c.Control, Text(c.Number));
        ctl::SetText(ProgressFile2Label, L"");

        const int setupType = ctl::ComboIndex(OptionsComboBox);
        ctl::ComboSetItemText(OptionsComboBox, stStandard, Text(txStandardInstallation));
        ctl::ComboSetItemText(OptionsComboBox, stCustom, Text(txCustomInstallation));
        ctl::ComboSelect(OptionsComboBox, setupType);

        const TextId components[oiCount] = {txProgramFiles, txStartMenuEntry, txDesktopLink, txUpdateNotification,
                                            txRemovableInstallation};
        for (int i = 0; i < oiCount && i < ListView_GetItemCount(OptionsListView); ++i) {
            std::wstring caption = Text(components[i]);
            ListView_SetItemText(OptionsListView, i, 0, caption.data());
        }

        const std::wstring licence = L"TERMSANDCONDITIONS_" + ReplaceChar(UpperCase(code), L'-', L'_');
        if (DeferPageContents_ && PageIndex != pgLicence) {
            FindLicence(licence);
            PendingLicence_ = licence;
        } else {
            PendingLicence_.clear();
            LoadLicence(licence);
        }
    });
}

void TVQSetupForm::LoadLicence(const std::wstring& resourceName) {
    HMODULE module = ::GetModuleHandleW(nullptr);
    HRSRC resource = FindLicence(resourceName);
    HGLOBAL loaded = ::LoadResource(module, resource);
    const char* data = loaded ? static_cast<const char*>(::LockResource(loaded)) : nullptr;
    if (!data) throw EVQError(L"Resource " + resourceName + L" not found");
    ::SendMessageW(TermsAndConditionsRichEdit, EM_SETTEXTMODE, TM_RICHTEXT, 0);
    StreamCursor cursor{data, ::SizeofResource(module, resource)};
    EDITSTREAM stream{reinterpret_cast<DWORD_PTR>(&cursor), 0, StreamOut};
    ::SendMessageW(TermsAndConditionsRichEdit, EM_STREAMIN, SF_RTF, reinterpret_cast<LPARAM>(&stream));
    // Lines wrap at the window's width even with the horizontal scroll bar present.
    ::SendMessageW(TermsAndConditionsRichEdit, EM_SETTARGETDEVICE, 0, 0);
    SetLicenceMargin();
    if (stream.dwError != 0)
        throw EVQError(L"Cannot show " + resourceName + L" (" + std::to_wstring(stream.dwError) + L")");
}
