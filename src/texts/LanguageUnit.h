#pragma once
#include <string>
// Locale code in force ("de-DE", "de-AT", "de-CH", "en-US", "fr-FR", "es-ES"); empty until the wizard sets it.
extern std::wstring CurrentLanguage;
class Language {
public:
    Language() = delete;
    static std::wstring LocalizedText(int number);
};
