#pragma once
// The install run. Its answer is a dialog result: 1 OK, 2 Cancel, 3 Abort, 4 Retry.
#include "engine/InstallHost.h"

int RunInstallation(InstallHost& host);

#include <string>

// The data folder as typed on the folder page, with the public-folder token (text 74 + "\\", in any
// case) turned back into the public folder, with a trailing backslash.
std::wstring GetDataRootFolder(const std::wstring& folderText, const std::wstring& publicFolder);
