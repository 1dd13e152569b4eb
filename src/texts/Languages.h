#pragma once
// The languages the setup speaks: the six entries of its language list, the locale codes, and the
// rules that pick one from the system's language or the setup file's name. No Windows here, so
// the rules are tested natively.
#include <cstdint>
#include <string>
#include <vector>

// The language a marker in the setup file's name fixes ("-DE.", "-EN.", "-FR.", "-ES.").
enum FileLanguageMarker : int { flNone = 0, flGerman, flEnglish, flFrench, flSpanish };

struct LanguageEntry {
    const wchar_t* DisplayName;
    const wchar_t* Code;
};

// The language list as the setup shows it for a file-name marker: all six entries without one,
// the three German ones for "-DE.", and the single entry of English, French or Spanish.
std::vector<LanguageEntry> LanguageList(FileLanguageMarker marker);
// Position of a locale code in that list, or -1.
int LanguagePosition(FileLanguageMarker marker, const std::wstring& code);

// One of the six locale codes, as the setup spells it, for a code given in any case; empty for a
// code the setup does not speak.
std::wstring CanonicalLanguageCode(const std::wstring& code);
// All three German locales share the German texts.
bool IsGermanLocale(const std::wstring& code);
// The setup's language for a system default language identifier (LANGID); English for a
// language it does not speak.
std::wstring LanguageOfSystem(std::uint16_t languageId);
// The marker in a setup file's name (the name without its folder); the last of "-DE.", "-EN.",
// "-FR.", "-ES." found, in that order, wins.
FileLanguageMarker FileLanguageOf(const std::wstring& fileName);
// A hotfix setup has "HF" in its name, in any case.
bool IsHotfixFileName(const std::wstring& fileName);
// The locale a file-name marker forces, whatever was asked for; German keeps a German country.
std::wstring LanguageForcedBy(FileLanguageMarker marker, const std::wstring& requested);
