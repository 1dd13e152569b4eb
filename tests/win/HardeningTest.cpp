// The start-up hardening: once the DLL search is restricted to System32, a DLL planted beside the
// program is no longer found by its bare name. The same call finds it before, which shows that
// the test's DLL is really there to be found.
#include <gtest/gtest.h>
#include <windows.h>

TEST(DllSearch, APlantedDllIsNotLoadedAfterTheHardening) {
    HMODULE before = ::LoadLibraryW(L"vqplanted.dll");
    ASSERT_NE(before, nullptr) << "the planted DLL beside the test program is found without the hardening";
    ::FreeLibrary(before);

    ASSERT_TRUE(::SetDefaultDllDirectories(LOAD_LIBRARY_SEARCH_SYSTEM32));
    HMODULE after = ::LoadLibraryW(L"vqplanted.dll");
    EXPECT_EQ(after, nullptr);
    if (after) ::FreeLibrary(after);
    // System DLLs are still found by name.
    HMODULE system = ::LoadLibraryW(L"version.dll");
    EXPECT_NE(system, nullptr);
    if (system) ::FreeLibrary(system);
}
