#pragma once
// What the user chose in the wizard and what the setup found out at its start: everything an
// installation depends on, as a plain value. The wizard fills it; the install run only reads it.
#include <string>

#include "texts/Languages.h"

struct SetupChoices {
    // --- the language
    std::wstring Language;                  // the locale code in force: its texts, files and settings
    bool LanguageChosen = false;            // an entry of the language list is selected
    FileLanguageMarker FileLanguage = flNone;  // the list the user saw, fixed by the file name
    std::wstring DateFormat;                // the English date-format choice as listed, or empty

    // --- the components
    bool MakeStartMenuEntry = true;
    bool MakeDesktopLink = true;
    bool CheckUpdates = true;
    bool UseRemoveable = false;

    // --- the folders as chosen; the rules that derive the others are in engine/Folders.h
    std::wstring ProgramFolder;
    std::wstring DataFolder;
    std::wstring RemoveableProgramFolder;
    std::wstring RemoveableDataFolder;
    std::wstring PublicFolder;  // the parent of the all-users desktop, with a trailing backslash

    // --- the start-up facts
    std::wstring SetupFileName;  // the setup file's own path (a fixed one in test mode)
    bool IsHotfix = false;
    bool IsSilent = false;
    bool IsTestMode = false;

    bool operator==(const SetupChoices&) const = default;
};
