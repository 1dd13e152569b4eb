#include "texts/Languages.h"

namespace {
// Positions 0 to 5 of the full list.
constexpr LanguageEntry kLanguages[6] = {
    {L"Deutsch (Deutschland)", L"de-DE"}, {L"Deutsch (\u00d6sterreich)", L"de-AT"}, {L"Deutsch (Schweiz)", L"de-CH"},
    {L"English", L"en-US"},               {L"Fran\u00e7ais", L"fr-FR"},             {L"Espa\u00f1ol", L"es-ES"},
};

// The codes and markers are ASCII; folding ASCII letters is all their comparison needs.
std::wstring AsciiUpper(std::wstring text) {
    for (auto& c : text)
        if (c >= L'a' && c <= L'z') c = static_cast<wchar_t>(c - L'a' + L'A');
    return text;
}

std::wstring NamePart(const std::wstring& path) {
    const size_t slash = path.find_last_of(L"\\/:");
    return slash == std::wstring::npos ? path : path.substr(slash + 1);
}
}  // namespace

std::vector<LanguageEntry> LanguageList(FileLanguageMarker marker) {
    // The marker of each position's language; the German ones share theirs.
    constexpr FileLanguageMarker kMarkers[6] = {flGerman, flGerman, flGerman, flEnglish, flFrench, flSpanish};
    std::vector<LanguageEntry> list;
    for (int i = 0; i < 6; ++i)
        if (marker == flNone || marker == kMarkers[i]) list.push_back(kLanguages[i]);
    return list;
}

int LanguagePosition(FileLanguageMarker marker, const std::wstring& code) {
    const std::vector<LanguageEntry> list = LanguageList(marker);
    for (size_t i = 0; i < list.size(); ++i)
        if (code == list[i].Code) return static_cast<int>(i);
    return -1;
}

std::wstring CanonicalLanguageCode(const std::wstring& code) {
    // Codes compare without regard to case, as people and tools write them in either form.
    const std::wstring upper = AsciiUpper(code);
    for (const LanguageEntry& entry : kLanguages)
        if (upper == AsciiUpper(entry.Code)) return entry.Code;
    return L"";
}

bool IsGermanLocale(const std::wstring& code) { return code == L"de-DE" || code == L"de-AT" || code == L"de-CH"; }

std::wstring LanguageOfSystem(std::uint16_t languageId) {
    switch (languageId) {
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

FileLanguageMarker FileLanguageOf(const std::wstring& fileName) {
    const std::wstring name = AsciiUpper(NamePart(fileName));
    FileLanguageMarker result = flNone;
    if (name.find(L"-DE.") != std::wstring::npos) result = flGerman;
    if (name.find(L"-EN.") != std::wstring::npos) result = flEnglish;
    if (name.find(L"-FR.") != std::wstring::npos) result = flFrench;
    if (name.find(L"-ES.") != std::wstring::npos) result = flSpanish;
    return result;
}

bool IsHotfixFileName(const std::wstring& fileName) {
    return AsciiUpper(NamePart(fileName)).find(L"HF") != std::wstring::npos;
}

std::wstring LanguageForcedBy(FileLanguageMarker marker, const std::wstring& requested) {
    switch (marker) {
        case flGerman: return IsGermanLocale(requested) ? requested : L"de-DE";
        case flEnglish: return L"en-US";
        case flFrench: return L"fr-FR";
        case flSpanish: return L"es-ES";
        case flNone: break;
    }
    return requested;
}
