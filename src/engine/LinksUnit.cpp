// Shortcuts of the installation.
#include "engine/InstallUnit.h"
#include "texts/ErrorUnit.h"

void CreateLinks(InstallHost&) {
    Guarded([&] {
        // The desktop and start-menu shortcuts come with their own step of the run.
    });
}
