#pragma once
// What the install run needs of the wizard: the user's choices, the folder operations, the log,
// the input lock and the progress display. The form implements it; the engine knows nothing else
// of the wizard.
#include <string>

class InstallHost {
public:
    virtual ~InstallHost() = default;

    // --- choices and start-up facts
    virtual std::wstring SetupFile() const = 0;
    virtual bool Hotfix() const = 0;
    virtual bool Silent() const = 0;
    virtual bool StartMenuEntry() const = 0;
    virtual bool DesktopLink() const = 0;
    virtual bool UpdateCheck() const = 0;
    virtual bool Removeable() const = 0;
    virtual std::wstring DateFormatText() const = 0;
    virtual int LanguageIndex() const = 0;        // -1 when no language is selected
    virtual std::wstring DataFolderText() const = 0;  // as the folder page shows it
    virtual std::wstring Public() const = 0;      // the parent of the all-users desktop
    virtual std::wstring ProgramFolderField() const = 0;
    virtual std::wstring DataFolderField() const = 0;
    virtual std::wstring RemoveableProgramFolderField() const = 0;
    virtual std::wstring RemoveableDataFolderField() const = 0;

    // --- folder operations and checks
    virtual bool IsRunning() = 0;
    virtual bool GetIsHotfix() = 0;
    virtual std::wstring GetProgramFolder(bool withBin) const = 0;
    virtual std::wstring GetDataFolder() const = 0;
    virtual std::wstring GetUninstallFolder() const = 0;
    virtual std::wstring GetDesktopFolder() const = 0;
    virtual std::wstring GetCommonDesktopFolder() const = 0;
    virtual std::wstring GetStartMenuFolder() const = 0;

    // --- log, input lock, progress display
    virtual void WriteLog(const std::wstring& text) = 0;
    virtual void EnableInputs(bool enabled) = 0;
    virtual void ShowLabelProgress(bool visible) = 0;
    virtual void SetLabelProgress(const std::wstring& text) = 0;  // repainted at once
    virtual int ProgressPosition() const = 0;
    virtual void SetProgressPosition(int percent) = 0;           // repaints and services the UI
    virtual void SetProgressFile(const std::wstring& text) = 0;   // repainted at once
    // The user asked to leave while the run works; the run stops at its next progress report.
    virtual bool CancelRequested() const = 0;
};
