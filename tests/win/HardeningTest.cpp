// The start-up hardening of the real VQSetup.exe: a DLL planted beside the setup (as in a downloads
// folder) must not be found by name inside the running setup. The test asks the running process
// itself to load the DLL by its bare name, through a thread started in it at LoadLibraryW; the same
// request made of a program without the hardening (the stand-in application) loads the planted
// copy, which shows the request would find it.
#include <gtest/gtest.h>
#include <windows.h>
#include <tlhelp32.h>

#include <string>

#include "TestSupport.h"
#include "services/UtillityUnit.h"
#include "services/Handles.h"

using namespace testsupport;

namespace {
std::wstring ModuleFolder() {
    wchar_t path[MAX_PATH] = {};
    ::GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring folder = path;
    return folder.substr(0, folder.find_last_of(L'\\') + 1);
}

// Where kernel32 lies in another process: LoadLibraryW is at the same offset from it there.
BYTE* RemoteKernel32(DWORD process) {
    KernelHandle snapshot(::CreateToolhelp32Snapshot(TH32CS_SNAPMODULE | TH32CS_SNAPMODULE32, process));
    if (!snapshot || snapshot.get() == INVALID_HANDLE_VALUE) return nullptr;
    MODULEENTRY32W module{};
    module.dwSize = sizeof module;
    for (BOOL more = ::Module32FirstW(snapshot.get(), &module); more; more = ::Module32NextW(snapshot.get(), &module))
        if (::lstrcmpiW(module.szModule, L"kernel32.dll") == 0) return module.modBaseAddr;
    return nullptr;
}

// Has a running process load "vqplanted.dll" by its bare name, through a thread started in it at
// LoadLibraryW. True when a copy was loaded.
bool LoadsByName(HANDLE process, DWORD id) {
    bool loaded = false;
    const std::wstring name = L"vqplanted.dll";
    const SIZE_T bytes = (name.size() + 1) * sizeof(wchar_t);
    void* remoteName = ::VirtualAllocEx(process, nullptr, bytes, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
    BYTE* localKernel = reinterpret_cast<BYTE*>(::GetModuleHandleW(L"kernel32.dll"));
    BYTE* remoteKernel = RemoteKernel32(id);
    auto* loadLibrary = reinterpret_cast<BYTE*>(::GetProcAddress(::GetModuleHandleW(L"kernel32.dll"), "LoadLibraryW"));
    if (remoteName && remoteKernel && loadLibrary && ::WriteProcessMemory(process, remoteName, name.c_str(), bytes, nullptr)) {
        const auto start = reinterpret_cast<LPTHREAD_START_ROUTINE>(remoteKernel + (loadLibrary - localKernel));
        KernelHandle thread(::CreateRemoteThread(process, nullptr, 0, start, remoteName, 0, nullptr));
        EXPECT_TRUE(thread) << "cannot start a thread in the program (" << ::GetLastError() << ")";
        if (thread && ::WaitForSingleObject(thread.get(), 20000) == WAIT_OBJECT_0) {
            DWORD module = 0;  // the low half of the HMODULE: zero when nothing was loaded
            ::GetExitCodeThread(thread.get(), &module);
            loaded = module != 0;
        }
    } else {
        ADD_FAILURE() << "cannot prepare the request in the program";
    }
    return loaded;
}

// Starts program (copied beside the planted DLL), waits until it runs its message loop, and has
// it load "vqplanted.dll" by name. True when the planted copy was loaded.
bool LoadsThePlantedDll(const std::wstring& program, const std::wstring& arguments) {
    ScratchFolder folder(L"planted");
    const std::wstring exe = folder.Path() + program.substr(program.find_last_of(L'\\') + 1);
    EXPECT_TRUE(::CopyFileW(program.c_str(), exe.c_str(), FALSE));
    EXPECT_TRUE(::CopyFileW((ModuleFolder() + L"vqplanted.dll").c_str(), (folder.Path() + L"vqplanted.dll").c_str(), FALSE));

    std::wstring command = L"\"" + exe + L"\" " + arguments;
    STARTUPINFOW si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    if (!::CreateProcessW(exe.c_str(), command.data(), nullptr, nullptr, FALSE, 0, nullptr, folder.Path().c_str(), &si,
                          &pi)) {
        ADD_FAILURE() << "cannot start the program (" << ::GetLastError() << ")";
        return false;
    }
    KernelHandle process(pi.hProcess), mainThread(pi.hThread);
    ::WaitForInputIdle(process.get(), 20000);

    const bool loaded = LoadsByName(process.get(), pi.dwProcessId);
    ::TerminateProcess(process.get(), 0);
    ::WaitForSingleObject(process.get(), 10000);
    return loaded;
}
}  // namespace

TEST(DllSearch, ThePlantedDllIsNotLoadedByTheRunningSetup) {
    ASSERT_TRUE(LoadsThePlantedDll(ModuleFolder() + L"VessasQuorin.Exe", L"60"))
        << "a program without the hardening finds the DLL beside it: the request is sound";
    EXPECT_FALSE(LoadsThePlantedDll(ModuleFolder() + L"VQSetup.exe", L""));
}

// The uninstaller runs twice: as started, from wherever the user found it, and as its copy in the
// temporary folder, where the user's other programs may write. Neither finds a DLL planted beside it.
TEST(DllSearch, ThePlantedDllIsNotLoadedByTheUninstallerNorByItsCopy) {
    ScratchFolder folder(L"planted-uninstaller");
    const std::wstring planted = ModuleFolder() + L"vqplanted.dll";
    const std::wstring exe = folder.Path() + L"VQUninstall.Exe";
    ASSERT_TRUE(::CopyFileW((ModuleFolder() + L"VQUninstall.Exe").c_str(), exe.c_str(), FALSE));
    ASSERT_TRUE(::CopyFileW(planted.c_str(), (folder.Path() + L"vqplanted.dll").c_str(), FALSE));
    const std::wstring inTemp = Utillity::GetTempFolder() + L"vqplanted.dll";
    ASSERT_TRUE(::CopyFileW(planted.c_str(), inTemp.c_str(), FALSE));
    struct Remove {
        std::wstring path;
        ~Remove() { ::DeleteFileW(path.c_str()); }
    } removeFromTemp{inTemp};

    std::wstring command = L"\"" + exe + L"\"";
    STARTUPINFOW si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    ASSERT_TRUE(::CreateProcessW(exe.c_str(), command.data(), nullptr, nullptr, FALSE, 0, nullptr, folder.Path().c_str(),
                                 &si, &pi));
    KernelHandle original(pi.hProcess), mainThread(pi.hThread);
    // The copy shows its window or its message once it runs; by then the original has long hardened itself.
    DWORD copyId = 0;
    for (int i = 0; i < 400 && !copyId; ++i) {
        ::Sleep(50);
        ::EnumWindows(
            [](HWND w, LPARAM found) {
                wchar_t name[64] = {};
                ::GetClassNameW(w, name, 64);
                DWORD id = 0;
                ::GetWindowThreadProcessId(w, &id);
                if (::IsWindowVisible(w) && (std::wstring(name) == L"TVQUninstallForm" || std::wstring(name) == L"#32770") &&
                    id != ::GetCurrentProcessId())
                    *reinterpret_cast<DWORD*>(found) = id;
                return TRUE;
            },
            reinterpret_cast<LPARAM>(&copyId));
    }
    ASSERT_NE(copyId, 0u) << "the uninstaller's copy shows nothing";
    ASSERT_NE(copyId, pi.dwProcessId) << "the window is the copy's, not the original's";
    KernelHandle copy(::OpenProcess(PROCESS_ALL_ACCESS, FALSE, copyId));
    ASSERT_TRUE(copy);
    EXPECT_FALSE(LoadsByName(original.get(), pi.dwProcessId)) << "the uninstaller as started";
    EXPECT_FALSE(LoadsByName(copy.get(), copyId)) << "its copy in the temporary folder";
    ::TerminateProcess(copy.get(), 0);
    ::TerminateProcess(original.get(), 0);
    ::WaitForSingleObject(copy.get(), 10000);
    ::WaitForSingleObject(original.get(), 10000);
}

// Both programs ask Windows for administrator rights before they start: the setup writes below
// Program Files and into HKEY_LOCAL_MACHINE, the uninstaller removes from both.
TEST(Manifest, BothProgramsRequireAdministratorRights) {
    for (const wchar_t* program : {L"VQSetup.exe", L"VQUninstall.Exe"}) {
        ModuleHandle module(::LoadLibraryExW((ModuleFolder() + program).c_str(), nullptr,
                                             LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE));
        ASSERT_TRUE(module) << "cannot read " << std::string(program, program + wcslen(program));
        HRSRC resource = ::FindResourceW(module.get(), MAKEINTRESOURCEW(1), RT_MANIFEST);
        ASSERT_NE(resource, nullptr) << "no manifest";
        const char* text = static_cast<const char*>(::LockResource(::LoadResource(module.get(), resource)));
        const std::string manifest(text, ::SizeofResource(module.get(), resource));
        EXPECT_NE(manifest.find("<requestedExecutionLevel level=\"requireAdministrator\""), std::string::npos)
            << std::string(program, program + wcslen(program));
        EXPECT_NE(manifest.find("Microsoft.Windows.Common-Controls"), std::string::npos);
    }
}
