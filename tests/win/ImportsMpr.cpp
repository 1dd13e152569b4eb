// A program that imports mpr.dll, as the setup once did for the remote path of network drives:
// the import check must refuse it, since mpr.dll is no known DLL of the system and Windows would
// look for it beside the program first.
#include <windows.h>
#include <winnetwk.h>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    wchar_t remote[MAX_PATH] = {};
    DWORD length = MAX_PATH;
    return static_cast<int>(::WNetGetConnectionW(L"Z:", remote, &length));
}
