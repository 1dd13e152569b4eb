// A user whose folders and temp folder hold letters the ANSI code page cannot spell (Polish ones
// on a system of code page 1252, as Wine's is): the real VQSetup.exe, started with the three
// parameters, installs every file there, writes an INI file from which the application reads its
// data folder back exactly, and leaves no temporary file behind.
#include <gtest/gtest.h>
#include <windows.h>

#include <set>
#include <string>

#include "Driver.h"
#include "ScenarioSupport.h"
#include "services/UtillityUnit.h"
#include "wizard/VQSetupUnit.h"

using namespace e2e;

namespace {

const std::wstring kCity = L"\u0141\u00f3d\u017a";  // Łódź
const std::wstring kProgram = L"C:\\" + kCity + L"\\Programy\\";
const std::wstring kData = L"C:\\Dane \u017b\u00f3\u0142\u0107\\";  // Dane Żółć

class WidePathScenario : public Scenario {
protected:
    void SetUp() override {
        Scenario::SetUp();
        RemoveFolders();
        ASSERT_TRUE(::CreateDirectoryW(temp_.c_str(), nullptr)) << "error " << ::GetLastError();
    }
    void TearDown() override {
        Scenario::TearDown();
        RemoveFolders();
    }
    void RemoveFolders() {
        DeleteTree(L"C:\\" + kCity + L"\\");
        DeleteTree(kData);
        DeleteTree(temp_);
    }
    const std::wstring temp_ = TempFolder() + kCity + L"\\";
};

TEST_F(WidePathScenario, ThreeParametersInstallIntoFoldersAndATempFolderOutsideTheAnsiCodePage) {
    for (const std::wstring& path : {kProgram, kData, temp_})
        ASSERT_FALSE(ToCodePage(path, CP_ACP)) << "the ANSI code page " << ::GetACP() << " spells " << Narrow(path);
    {
        // Without the trailing backslashes, which would escape the closing quotes. GetTempPathW
        // reads TMP before TEMP.
        const auto quoted = [](const std::wstring& folder) { return L"\"" + folder.substr(0, folder.size() - 1) + L"\""; };
        SetupProcess setup(SetupExe(), L"en-US " + quoted(kProgram) + L" " + quoted(kData), L"widepaths",
                           {L"TMP=" + temp_, L"TEMP=" + temp_});
        NextToConfirmation(setup);
        setup.Click(idNextButton);
        setup.WaitPage(pgFinish, 60000);
        setup.Click(idCancelButton);
        EXPECT_EQ(setup.WaitExit(), 0u);
    }
    ExpectInstalled(L"en-US", kProgram, kData);
    EXPECT_EQ(Ini(L"FOLDERS", L"DATA", kProgram + L"Bin\\"), kData);
    EXPECT_EQ(Ini(L"SETTINGS", L"LANGUAGE", kProgram + L"Bin\\"), L"en-US");
    // The setup's temp folder holds its log, which tells the run to its end, and nothing else.
    std::set<std::wstring> left;
    CollectFiles(temp_, left);
    EXPECT_EQ(left, std::set<std::wstring>{Lower(temp_ + L"VQ_Setup_Log.Txt")});
    EXPECT_NE(ReadBytes(temp_ + L"VQ_Setup_Log.Txt").find(" Finish\r\n"), std::string::npos);
}

}  // namespace
