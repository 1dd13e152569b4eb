// The registry entries of the installation.
#include "engine/InstallUnit.h"
#include "texts/ErrorUnit.h"

void WriteRegistry(InstallHost&) {
    Guarded(L"HKEY_CURRENT_USER Setup", [&] {
        // The settings key, the uninstall entry and the file types come with their own step.
    });
}
