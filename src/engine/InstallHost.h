#pragma once
// What the install run needs of the wizard: the user's choices, the folder operations, the log
// and the input lock. The form implements it; the engine knows nothing else of the wizard.
#include <string>

class InstallHost {
public:
    virtual ~InstallHost() = default;
    virtual bool IsRunning() = 0;
    virtual bool GetIsHotfix() = 0;
    virtual std::wstring GetProgramFolder(bool withBin) const = 0;
    virtual std::wstring GetDataFolder() const = 0;
    virtual std::wstring GetUninstallFolder() const = 0;
    virtual std::wstring GetDesktopFolder() const = 0;
    virtual std::wstring GetCommonDesktopFolder() const = 0;
    virtual std::wstring GetStartMenuFolder() const = 0;
    virtual void EnableInputs(bool enabled) = 0;
    virtual void WriteLog(const std::wstring& text) = 0;
};
