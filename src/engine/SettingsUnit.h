#pragma once
// The previous installation's choices, as the install run stored them in the current user's
// settings key (engine/RegistryUnit.cpp writes them, with the names of engine/ProductNames.h).
#include <string>

#include "engine/SetupChoices.h"

struct StoredSettings {
    std::wstring ProgramFolder, DataFolder, RemoveableProgramFolder, RemoveableDataFolder;
    std::wstring Language;    // one of the six codes, or empty when none (or an unknown one) was stored
    std::wstring DateFormat;  // the English date-format choice, as listed
    bool MakeStartMenuEntry = true, MakeDesktopLink = true, CheckUpdates = true, UseRemoveable = false;
};

// False when there is no settings key (the key is not created). Raises EVQError for a key this
// program did not write (a value of another type) or cannot read.
bool ReadStoredSettings(StoredSettings& settings);
// Takes the stored folders of both kinds of installation, and which kind was made, into choices.
void TakeStoredFolders(const StoredSettings& stored, SetupChoices& choices);
