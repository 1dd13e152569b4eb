// Program body: harden the DLL search, name the log, initialise COM, create the form, run the loop.
#include <windows.h>

#include "services/Handles.h"
#include "services/IEDriveInfo.h"
#include "texts/ErrorUnit.h"
#include "wizard/VQSetupUnit.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    // First of all: a setup is often started from a downloads folder, where anyone may have
    // dropped a DLL. From here on only System32 is searched for DLLs loaded by name.
    ::SetDefaultDllDirectories(LOAD_LIBRARY_SEARCH_SYSTEM32);

    LogFileName = L"VQ_Setup_Log.Txt";
    DriveInfo();  // the drive table exists from the start, before the form asks for it
    ComApartment com;  // shell links need COM on the GUI thread

    int exitCode = 0;
    {
        TVQSetupForm form(StartupArgs::FromProcess());
        form.QuitOnClose = true;
        if (!form.Closed()) {
            form.Show();
            MSG msg;
            while (::GetMessageW(&msg, nullptr, 0, 0) > 0) {
                if (!form.Closed() && ::IsDialogMessageW(form.Handle(), &msg)) continue;
                ::TranslateMessage(&msg);
                ::DispatchMessageW(&msg);
            }
            exitCode = static_cast<int>(msg.wParam);
        }
    }
    LogFileName.clear();
    return exitCode;
}
