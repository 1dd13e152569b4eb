#pragma once
// The install run. Its answer is a dialog result: 1 OK, 2 Cancel, 3 Abort, 4 Retry.
#include "engine/InstallHost.h"

int RunInstallation(InstallHost& host);
