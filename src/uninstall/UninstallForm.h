#pragma once
// TVQUninstallForm: the uninstaller's small window. The first page asks whether to remove the
// product, with "Remove data" off; Remove refuses while the application runs (Repeat or Cancel),
// then removes; the last page says how it went, and Finish closes the window.
#include <windows.h>

#include <memory>
#include <string>

#include "services/Handles.h"
#include "uninstall/Installation.h"
#include "uninstall/Removal.h"

enum UninstallControlId : int {
    idUninstallIcon = 2001, idQuestionLabel, idRemoveDataCheckBox, idRemoveDataInfoLabel, idResultLabel,
    idRemoveButton, idUninstallCancelButton, idFinishButton,
};

enum UninstallPage : int { upQuestion = 0, upFinished };

class TVQUninstallForm {
public:
    // Creates the window hidden; Show() makes it visible. Raises EVQError when it cannot be made.
    TVQUninstallForm(std::wstring language, Installation installation, std::wstring original);
    ~TVQUninstallForm();
    TVQUninstallForm(const TVQUninstallForm&) = delete;
    TVQUninstallForm& operator=(const TVQUninstallForm&) = delete;

    HWND Handle() const { return Handle_.get(); }
    void Show();
    bool Closed() const { return !Handle_; }
    // The program body ends the message loop when the form closes; in-process tests do not.
    bool QuitOnClose = false;

    int PageIndex = upQuestion;
    // The removal's result, once Remove has run.
    const RemovalResult* Result() const { return Removed_ ? &Result_ : nullptr; }
    const Installation& TheInstallation() const { return Installation_; }
    // 2 until the removal ran, then the removal's exit code.
    int ExitCode() const;

    // ---- Handlers
    void RemoveButtonClick();
    void CancelButtonClick();
    void FinishButtonClick();

    // ---- Controls, by role and type
    HWND UninstallIcon{}, QuestionLabel{}, RemoveDataCheckBox{}, RemoveDataInfoLabel{}, ResultLabel{};
    HWND RemoveButton{}, CancelButton{}, FinishButton{};

private:
    static LRESULT CALLBACK WindowProc(HWND, UINT, WPARAM, LPARAM);
    LRESULT HandleMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    void CreateControls();
    // Fonts and the icon for the window's DPI.
    void ApplyScale();
    // The window moved to a monitor of another scale: take the suggested rectangle, scale again.
    void OnDpiChanged(int dpi, const RECT& suggested);
    void ShowPage();
    void Close();

    std::wstring Language_;
    Installation Installation_;
    std::wstring Original_;
    RemovalResult Result_;
    bool Removed_ = false;
    bool Working_ = false;
    WindowHandle Handle_;
    int Dpi_ = 96;  // the DPI the controls are laid out for
    GdiObject Font_;
    IconHandle Icon_;
};
