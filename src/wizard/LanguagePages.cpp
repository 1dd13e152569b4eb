// The language choice and the licence page: the list of languages, the default language, applying
// a language to every caption, and the licence document of the locale.
#include <windows.h>
#include <commctrl.h>
#include <richedit.h>

#include "services/UtillityUnit.h"
#include "texts/ErrorUnit.h"
#include "texts/LanguageUnit.h"
#include "wizard/Controls.h"
#include "wizard/VQSetupUnit.h"

namespace {
struct LanguageEntry {
    const wchar_t* DisplayName;
    const wchar_t* Code;
};
// Positions 0 to 5 of the full list; the command line's language selects by these positions.
constexpr LanguageEntry kLanguages[6] = {
    {L"Deutsch (Deutschland)", L"de-DE"}, {L"Deutsch (\u00d6sterreich)", L"de-AT"}, {L"Deutsch (Schweiz)", L"de-CH"},
    {L"English", L"en-US"},               {L"Fran\u00e7ais", L"fr-FR"},             {L"Espa\u00f1ol", L"es-ES"},
};


bool IsGerman(const std::wstring& code) { return code == L"de-DE" || code == L"de-AT" || code == L"de-CH"; }

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
}  // namespace

std::wstring LanguageOfSystem(LANGID language) {
    switch (language) {
        case 0x0403: return L"es-ES";  // Catalan
        case 0x080C: case 0x0C0C: case 0x040C: case 0x140C: case 0x180C: case 0x100C: return L"fr-FR";
        case 0x0C07: return L"de-AT";
        case 0x0407: case 0x1407: case 0x1007: return L"de-DE";
        case 0x0807: return L"de-CH";
        case 0x2C0A: case 0x400A: case 0x340A: case 0x240A: case 0x140A: case 0x1C0A: case 0x300A:
        case 0x440A: case 0x100A: case 0x480A: case 0x080A: case 0x4C0A: case 0x180A: case 0x3C0A:
        case 0x280A: case 0x500A: case 0x0C0A: case 0x040A: case 0x380A: case 0x200A:
            return L"es-ES";
        default: return L"en-US";
    }
}

std::wstring CanonicalLanguageCode(const std::wstring& code) {
    // Codes compare without regard to case, as Windows writes them in either form.
    const std::wstring upper = UpperCase(code);
    for (const LanguageEntry& entry : kLanguages)
        if (upper == UpperCase(entry.Code)) return entry.Code;
    return L"";
}

std::wstring ReplaceChar(const std::wstring& text, wchar_t from, wchar_t to) {
    std::wstring result = text;
    for (auto& c : result)
        if (c == from) c = to;
    return result;
}

void TVQSetupForm::FillLanguageList() {
    ctl::ComboClear(LanguageComboBox);
    LanguageCodes_.clear();
    auto add = [&](int position) {
        LanguageCodes_.push_back(std::make_unique<TString>(kLanguages[position].Code));
        ctl::ComboAdd(LanguageComboBox, kLanguages[position].DisplayName,
                      reinterpret_cast<LPARAM>(LanguageCodes_.back().get()));
    };
    if (FileLanguage == flNone || FileLanguage == flGerman) {
        for (int i = 0; i < 3; ++i) add(i);
        ctl::SetVisible(LanguageComboBox, true);
    } else {
        // The language is fixed by the file name: the date format takes the list's place.
        ctl::SetVisible(LanguageComboBox, false);
        ctl::SetVisible(LanguageLabel, false);
        const RECT label = ctl::Bounds(LanguageLabel), list = ctl::Bounds(LanguageComboBox);
        ctl::Move(DateFormatLabel, label.left, label.top);
        ctl::Move(DateFormatComboBox, list.left, list.top);
    }
    if (FileLanguage == flNone || FileLanguage == flEnglish) add(3);
    if (FileLanguage == flNone || FileLanguage == flFrench) add(4);
    if (FileLanguage == flNone || FileLanguage == flSpanish) add(5);
}

std::wstring TVQSetupForm::GetDefaultLanguage() {
    std::wstring result;
    Guarded([&] {
        switch (FileLanguage) {
            case flGerman: result = L"de-DE"; return;
            case flEnglish: result = L"en-US"; return;
            case flFrench: result = L"fr-FR"; return;
            case flSpanish: result = L"es-ES"; return;
            case flNone: break;
        }
        result = LanguageOfSystem(Utillity::GetSystemLanguage());
    });
    return result;
}

void TVQSetupForm::SelectLanguage(const std::wstring& requested, const std::wstring& dateFormat) {
    Guarded([&] {
        std::wstring code = requested;
        if (FileLanguage == flGerman && !IsGerman(code)) code = L"de-DE";
        if (FileLanguage == flEnglish) code = L"en-US";
        if (FileLanguage == flFrench) code = L"fr-FR";
        if (FileLanguage == flSpanish) code = L"es-ES";
        LanguageEventsEnabled = false;
        const int position = LanguagePosition(code);
        if (position >= 0) ctl::ComboSelect(LanguageComboBox, position);
        if (code == L"en-US") {
            for (int i = 0; i < ctl::ComboCount(DateFormatComboBox); ++i)
                if (ctl::ComboItemText(DateFormatComboBox, i) == dateFormat) { ctl::ComboSelect(DateFormatComboBox, i); break; }
        }
        ApplyLanguage(code);
        LanguageEventsEnabled = true;
    });
}

int TVQSetupForm::LanguagePosition(const std::wstring& code) const {
    for (int i = 0; i < ctl::ComboCount(LanguageComboBox); ++i) {
        const auto* entry = reinterpret_cast<const TString*>(ctl::ComboData(LanguageComboBox, i));
        if (entry && entry->Value == code) return i;
    }
    return -1;
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
        CurrentLanguage = code;
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
            {InstallButton, IsHotfix ? txInstall : txAgreeAndInstall},
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

        LoadLicence(L"TERMSANDCONDITIONS_" + ReplaceChar(UpperCase(code), L'-', L'_'));
    });
}

void TVQSetupForm::LoadLicence(const std::wstring& resourceName) {
    HMODULE module = ::GetModuleHandleW(nullptr);
    HRSRC resource = ::FindResourceW(module, resourceName.c_str(), RT_RCDATA);
    HGLOBAL loaded = resource ? ::LoadResource(module, resource) : nullptr;
    const char* data = loaded ? static_cast<const char*>(::LockResource(loaded)) : nullptr;
    if (!data) throw EVQError(L"Resource " + resourceName + L" not found");
    ::SendMessageW(TermsAndConditionsRichEdit, EM_SETTEXTMODE, TM_RICHTEXT, 0);
    StreamCursor cursor{data, ::SizeofResource(module, resource)};
    EDITSTREAM stream{reinterpret_cast<DWORD_PTR>(&cursor), 0, StreamOut};
    ::SendMessageW(TermsAndConditionsRichEdit, EM_STREAMIN, SF_RTF, reinterpret_cast<LPARAM>(&stream));
    // Lines wrap at the window's width even with the horizontal scroll bar present.
    ::SendMessageW(TermsAndConditionsRichEdit, EM_SETTARGETDEVICE, 0, 0);
    // The 15-pixel left margin as a formatting rectangle, which every rich edit version honours.
    RECT area{};
    ::GetClientRect(TermsAndConditionsRichEdit, &area);
    area.left += 15;
    ::SendMessageW(TermsAndConditionsRichEdit, EM_SETRECT, 0, reinterpret_cast<LPARAM>(&area));
    if (stream.dwError != 0)
        throw EVQError(L"Cannot show " + resourceName + L" (" + std::to_wstring(stream.dwError) + L")");
}
