#pragma once
// What the install run needs of a window, and nothing else: the input lock, the progress
// display, the run's questions to the user, and whether the user asked to leave. The wizard's
// form is one such view; a test implements it in a few lines.
#include <string>
#include <vector>

#include "services/UtillityUnit.h"

class InstallView {
public:
    virtual ~InstallView() = default;

    // The wizard's inputs are locked while the run works, and unlocked at its end.
    virtual void EnableInputs(bool enabled) = 0;

    // The progress bar: its position tells the run whether a percentage is new; setting it
    // repaints the bar and lets the window handle what is pending.
    virtual int ProgressPosition() const = 0;
    virtual void SetProgressPosition(int percent) = 0;
    // The file being placed.
    virtual void SetProgressFile(const std::wstring& text) = 0;
    // The label with the amounts, shown only while the archive is placed.
    virtual void ShowLabelProgress(bool visible) = 0;
    virtual void SetLabelProgress(const std::wstring& text) = 0;

    // A question of the run (Repeat or Cancel, a refusal to confirm), answered with a dialog result.
    virtual int Ask(const std::wstring& caption, const std::wstring& message, DialogKind kind, unsigned buttons,
                    const std::vector<std::wstring>& captions, const std::vector<int>& results) = 0;
    // The user asked to leave while the run works; the run stops at its next progress report.
    virtual bool CancelRequested() const = 0;

    // Whether a copy of the installed application runs: asked from the window's place among the
    // desktop's windows.
    virtual bool IsRunning() = 0;
};
