// Program body: harden the DLL search, name the log, initialise COM, run the setup.
#include <windows.h>

#include "services/Handles.h"
#include "texts/ErrorUnit.h"
#include "wizard/VQSetupUnit.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    // First of all: a setup is often started from a downloads folder, where anyone may have
    // dropped a DLL. From here on only System32 is searched for DLLs loaded by name.
    ::SetDefaultDllDirectories(LOAD_LIBRARY_SEARCH_SYSTEM32);

    LogFileName = L"VQ_Setup_Log.Txt";
    ComApartment com;  // shell links need COM on the GUI thread
    const int exitCode = RunSetup(StartupArgs::FromProcess());
    LogFileName.clear();
    return exitCode;
}
