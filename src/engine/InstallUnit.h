#pragma once
// The install run. Its answer is a dialog result: 1 OK, 2 Cancel, 3 Abort, 4 Retry.
#include <cstdint>
#include <string>

#include "engine/InstallHost.h"

class TPackFiles;

int RunInstallation(InstallHost& host);

// Raised by the progress report of a run the user cancelled, and caught by the run itself.
// Deliberately no std::exception: no guard on the way may take it for an error and report it.
struct TRunCancelled {};

// The run's own message: fatal (information icon, OK, always 2) or not (question icon,
// Repeat answering 4 and Cancel answering 2).
int ShowSetupError(const std::wstring& message, bool fatal);

// The reader's progress handler: the bar and its log line move only when the percentage changes.
void ShowProgress(InstallHost& host, const std::wstring& group, const std::wstring& message, std::int32_t done,
                  std::int32_t total);

void DeleteObsoleteFile(const std::wstring& path);
// Size of a file in bytes: 0 when it does not exist, -1 when it cannot be opened.
std::int64_t FileSizeOf(const std::wstring& path);

// --- version checks
bool CheckActualize(InstallHost& host);
bool GetInstalledVersion(InstallHost& host, std::wstring& version);
// True when the installed version name is newer than the archive's: ordinal comparison of the
// Windows-1252 bytes, done only when both names are known.
bool IsNewerVersion(const std::wstring& installed, const std::wstring& archive);

// --- file placement
void ExtractFiles(InstallHost& host, TPackFiles& reader);
// The folder of a root word; EVQError for a word the setup does not know.
std::wstring GetTargetFolder(InstallHost& host, const std::wstring& root);
// Whether an entry of this language group belongs to an installation in language.
bool IsEntrySelected(const std::wstring& group, const std::wstring& language);

// What the folder page shows in place of the public folder: text 74 and a backslash; empty when
// the current language has no text for it.
std::wstring PublicFolderToken();
// The data folder as typed on the folder page, with the public-folder token (text 74 + "\", in any
// case) turned back into the public folder, with a trailing backslash.
std::wstring GetDataRootFolder(const std::wstring& folderText, const std::wstring& publicFolder);

// --- the application's files, links and registry (each reports its own errors)
void CreateLinks(InstallHost& host);
void MakeIniFile(InstallHost& host, const std::wstring& versionName);
void WriteRegistry(InstallHost& host);

constexpr wchar_t kIniFileName[] = L"VessasQuorin.Ini";
