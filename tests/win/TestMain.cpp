// Entry point of the Windows test programs: COM on the test thread (as the setup has it), the log
// name the setup uses, and no window or viewer opened by an error report.
#include <gtest/gtest.h>

#include "TestSupport.h"
#include "services/Handles.h"
#include "services/UtillityUnit.h"
#include "texts/ErrorUnit.h"

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    ComApartment com;
    // A log of its own per test run: CTest runs the programs side by side, and some programs
    // several times at once (the language test once per system locale).
    wchar_t self[MAX_PATH] = {};
    ::GetModuleFileNameW(nullptr, self, MAX_PATH);
    std::wstring name = self;
    name = name.substr(name.find_last_of(L'\\') + 1);
    LogFileName = L"VQ_Setup_Log_" + name.substr(0, name.find(L'.')) + L"_" + std::to_wstring(::GetCurrentProcessId()) +
                  L".Txt";
    Utillity::SetShellOpener([](const std::wstring&) {});
    testsupport::AnswerUnexpectedDialogs();
    return RUN_ALL_TESTS();
}
