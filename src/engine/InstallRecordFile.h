#pragma once
// The install record on disk: read whole or not at all, and replaced only by a complete new copy.
#include <optional>
#include <string>
#include <vector>

#include "engine/InstallRecord.h"
#include "engine/SetupChoices.h"

// The record in a file; nothing when there is no such file. Raises EVQError naming the file and
// what is wrong with it for a record that cannot be read or is damaged.
std::optional<InstallRecord> ReadInstallRecordFile(const std::wstring& path);
// Writes the record beside path and moves it into place when it is complete, so that a crash
// leaves either the earlier record or the new one. Raises EVQError naming the file.
void WriteInstallRecordFile(const std::wstring& path, const InstallRecord& record);

// The installation's language, kind and folders, as the folder rules give them for choices.
void NoteInstallationFolders(InstallRecord& record, const SetupChoices& choices);

// The folders of a path that do not exist yet, the outermost first: what creating it will create.
std::vector<std::wstring> MissingFolders(const std::wstring& folder);
