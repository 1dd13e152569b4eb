#pragma once
// The install run and its steps. A run reads the user's choices, resolves the folders by the rules
// of engine/Folders.h, and talks to its window only through an InstallView. Its answer is a dialog
// result: mrOk (1) installed, mrCancel (2) cancelled or fatal, mrAbort (3) stopped, mrRetry (4).
#include <cstdint>
#include <string>
#include <vector>

#include "engine/Folders.h"
#include "engine/InstallView.h"
#include "engine/ProductNames.h"
#include "engine/SetupChoices.h"

class TPackFiles;
struct InstallRecord;

// The run: preconditions, the archive, placement, links, INI file, registry, obsolete files. The
// shell's folders are those of the user running the setup unless a caller names others.
int RunInstallation(const SetupChoices& choices, InstallView& view,
                    const ShellFolders& shell = ShellFolders::OfThisUser());

// Raised by the progress report of a run the user cancelled, and caught by the run itself.
// Deliberately no std::exception: no guard on the way may take it for an error and report it.
struct TRunCancelled {};

// The run's own message, in the run's language: fatal (information icon, OK, always 2) or not
// (question icon, Repeat answering 4 and Cancel answering 2).
int ShowSetupError(InstallView& view, const std::wstring& language, const std::wstring& message, bool fatal);

// The reader's progress handler: the bar and its log line move only when the percentage changes.
void ShowProgress(InstallView& view, const std::wstring& language, const std::wstring& message, std::int32_t done,
                  std::int32_t total);

void DeleteObsoleteFile(const std::wstring& path);
// Size of a file in bytes: 0 when it does not exist, -1 when it cannot be opened.
std::int64_t FileSizeOf(const std::wstring& path);

// --- version checks
bool CheckActualize(const SetupChoices& choices, InstallView& view);
bool GetInstalledVersion(const SetupChoices& choices, std::wstring& version);
// True when the installed version name is newer than the archive's: ordinal comparison of the
// Windows-1252 bytes, done only when both names are known.
bool IsNewerVersion(const std::wstring& installed, const std::wstring& archive);

// --- file placement
// With a record, every file written, every file a delete entry removed and every folder made goes
// into it; so do the links, the INI file and the registry entries of the steps below.
void ExtractFiles(const SetupChoices& choices, InstallView& view, TPackFiles& reader, InstallRecord* record = nullptr);
// The folder of a root word; EVQError for a word the setup does not know or a sub-path that
// would leave the data folder.
std::wstring GetTargetFolder(const SetupChoices& choices, const std::wstring& root);
// Whether an entry of this language group belongs to an installation in language.
bool IsEntrySelected(const std::wstring& group, const std::wstring& language);

// --- the application's files, links and registry (each reports its own errors)
void CreateLinks(const SetupChoices& choices, const ShellFolders& shell, InstallRecord* record = nullptr);
void MakeIniFile(const SetupChoices& choices, const ShellFolders& shell, const std::wstring& versionName,
                 InstallRecord* record = nullptr);
// The uninstall entry starts the record's uninstaller; without a record, the one in the uninstall folder.
void WriteRegistry(const SetupChoices& choices, InstallRecord* record = nullptr);

// --- the install record (engine/RunRecord.cpp); each step reports its own errors
// The record of this run, holding what an earlier record of the same installation holds: a hotfix
// and a new run into the same folders add to the installation the uninstaller will remove.
InstallRecord BeginInstallRecord(const SetupChoices& choices, const ShellFolders& shell, const std::wstring& versionName);
// The folders of a list made by MissingFolders that exist now: the ones the run created.
void NoteCreatedFolders(InstallRecord* record, const std::vector<std::wstring>& missing);
// A removable installation's uninstaller is copied to the record's folder on the machine.
void PlaceUninstaller(const SetupChoices& choices, InstallRecord& record);
// Writes the record beside its uninstaller.
void SaveInstallRecord(InstallRecord& record);

