// A DLL that someone might drop beside the setup; the hardening test makes sure it is not loaded.
#include <windows.h>

BOOL WINAPI DllMain(HINSTANCE, DWORD, LPVOID) { return TRUE; }
