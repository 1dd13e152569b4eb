// Linked into test programs that run complete installations. An installation writes the current
// user's settings key, and every setup form that another test program of the same prefix creates
// reads that key at its start and takes over its language and folders. So such a program gets a
// current-user registry of its own for its whole run, removed at its end.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "services/Handles.h"

namespace {
class UserRegistrySandbox : public testing::Environment {
public:
    void SetUp() override {
        path_ = L"Software\\VQUserSandbox\\" + std::to_wstring(::GetCurrentProcessId());
        ASSERT_EQ(::RegCreateKeyExW(HKEY_CURRENT_USER, path_.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                                    KEY_ALL_ACCESS, nullptr, key_.put(), nullptr),
                  ERROR_SUCCESS);
        ASSERT_EQ(::RegOverridePredefKey(HKEY_CURRENT_USER, key_.get()), ERROR_SUCCESS);
    }
    void TearDown() override {
        ::RegOverridePredefKey(HKEY_CURRENT_USER, nullptr);
        key_.reset();
        ::RegDeleteTreeW(HKEY_CURRENT_USER, path_.c_str());
        ::RegDeleteKeyW(HKEY_CURRENT_USER, L"Software\\VQUserSandbox");  // fails while another program uses it
    }

private:
    std::wstring path_;
    RegKey key_;
};

// gtest owns and runs registered environments around all tests of the program.
[[maybe_unused]] testing::Environment* const kSandbox = testing::AddGlobalTestEnvironment(new UserRegistrySandbox);
}  // namespace
