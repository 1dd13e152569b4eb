#pragma once
// Which installation the uninstaller removes, and what it knows of it: the install record beside
// the uninstaller (or beside the uninstaller the settings key names), or, for an installation made
// before the record existed, what the setup's entry list and the settings key tell.
#include <cstdint>
#include <string>
#include <vector>

#include "engine/Folders.h"
#include "engine/InstallRecord.h"
#include "engine/SettingsUnit.h"

// One file of the payload the setup carries, as this uninstaller was built with it.
struct PayloadEntry {
    std::wstring Root;    // PROGRAM, UNINST, DATA, USER or USER\sub
    std::wstring Folder;  // below the root, without backslashes at its ends
    std::wstring FileName;
    std::int64_t Size = -1;  // the installed file's size; -1 where the build could not know it
    bool operator==(const PayloadEntry&) const = default;
};

// The entry list "VQPayloadEntries 1", then "root TAB folder TAB name TAB size" (or "-") per line,
// UTF-8, as vqpack writes it. Raises EVQError for a list of another form.
std::vector<PayloadEntry> ParsePayloadEntries(const std::string& text);
// The list built into this program (resource PAYLOADENTRIES); empty when it has none.
std::vector<PayloadEntry> BuiltInPayloadEntries();

enum class InstallationKind { None, Recorded, Unrecorded };

struct Installation {
    InstallationKind Kind = InstallationKind::None;
    InstallRecord Record;
    std::wstring RecordFile;  // empty for an installation without a record
};

// The installation of the uninstaller at uninstallerPath. Raises EVQError when a record is there
// but cannot be read: then nothing may be removed.
Installation FindInstallation(const std::wstring& uninstallerPath, const ShellFolders& shell,
                              const std::vector<PayloadEntry>& entries);

// What stands in for the record of an installation made before the record existed: the entries of
// the Bin and uninstall folders that the settings key names, each with its size (or, for a file
// that is the listed one with an Authenticode signature appended, its size on disk: a release
// signs its programs after the list was made from them), a file of unknown size only when it is
// the running uninstaller itself; the links that point into that Bin folder,
// the INI file, the file types, the settings key and the uninstall entry. Never the data folder.
InstallRecord RecordWithoutARecord(const StoredSettings& settings, const ShellFolders& shell,
                                   const std::vector<PayloadEntry>& entries, const std::wstring& runningUninstaller);

// The length of the file before its Authenticode signature, padding included: the offset of the
// certificate table of a PE file whose signature ends it; -1 for any other file.
std::int64_t SizeBeforeSignature(const std::wstring& path);

// The language the uninstaller speaks: the settings key's, else the system's as the setup picks it.
std::wstring UninstallLanguage();

// The target of a shortcut; empty when it cannot be read.
std::wstring ShortcutTarget(const std::wstring& link);
