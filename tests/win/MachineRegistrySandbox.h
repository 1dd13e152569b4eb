#pragma once
// HKEY_CURRENT_USER and HKEY_LOCAL_MACHINE of this process redirected to fresh keys of its own for
// the life of the object, so that a test installs and removes the real keys by their real names
// without touching what other test programs of the same prefix read or write meanwhile.
#include <windows.h>

#include <string>

#include "services/Handles.h"

namespace testsupport {

class MachineRegistrySandbox {
public:
    MachineRegistrySandbox() {
        static int counter = 0;
        path_ = L"Software\\VQMachineSandbox\\" + std::to_wstring(::GetCurrentProcessId()) + L"_" + std::to_wstring(++counter);
        ::RegCreateKeyExW(HKEY_CURRENT_USER, (path_ + L"\\User").c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                          user_.put(), nullptr);
        ::RegCreateKeyExW(HKEY_CURRENT_USER, (path_ + L"\\Machine").c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                          machine_.put(), nullptr);
        ::RegOverridePredefKey(HKEY_CURRENT_USER, user_.get());
        ::RegOverridePredefKey(HKEY_LOCAL_MACHINE, machine_.get());
    }
    ~MachineRegistrySandbox() {
        ::RegOverridePredefKey(HKEY_CURRENT_USER, nullptr);
        ::RegOverridePredefKey(HKEY_LOCAL_MACHINE, nullptr);
        user_.reset();
        machine_.reset();
        ::RegDeleteTreeW(HKEY_CURRENT_USER, path_.c_str());
        ::RegDeleteKeyW(HKEY_CURRENT_USER, L"Software\\VQMachineSandbox");  // fails while another sandbox is open
    }
    MachineRegistrySandbox(const MachineRegistrySandbox&) = delete;
    MachineRegistrySandbox& operator=(const MachineRegistrySandbox&) = delete;

private:
    std::wstring path_;
    RegKey user_, machine_;
};

// A string value, or "<missing>".
inline std::wstring RegText(HKEY root, const std::wstring& key, const wchar_t* name) {
    wchar_t data[2048] = {};
    DWORD size = sizeof(data);
    if (::RegGetValueW(root, key.c_str(), name, RRF_RT_REG_SZ, nullptr, data, &size) != ERROR_SUCCESS) return L"<missing>";
    return data;
}

inline bool RegKeyExists(HKEY root, const std::wstring& key) {
    RegKey opened;
    return ::RegOpenKeyExW(root, key.c_str(), 0, KEY_READ, opened.put()) == ERROR_SUCCESS;
}

}  // namespace testsupport
