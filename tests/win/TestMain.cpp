// Entry point of the Windows test programs: COM on the test thread (as the setup has it), the log
// name the setup uses, and no window or viewer opened by an error report.
#include <gtest/gtest.h>

#include "services/Handles.h"
#include "services/UtillityUnit.h"
#include "texts/ErrorUnit.h"

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    ComApartment com;
    LogFileName = L"VQ_Setup_Log.Txt";
    Utillity::SetShellOpener([](const std::wstring&) {});
    return RUN_ALL_TESTS();
}
