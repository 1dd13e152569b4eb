// The uninstaller's window at the scale this process runs at: its client area and icon scaled
// from the 96-DPI layout, and no text of either page cut off in any of its four languages.
#include <gtest/gtest.h>

#include <string>

#include "ScaleSupport.h"
#include "services/Dpi.h"
#include "texts/LanguageUnit.h"
#include "uninstall/UninstallForm.h"

using namespace testsupport;

namespace {
std::string ControlName(HWND w) { return "control " + std::to_string(::GetDlgCtrlID(w)); }

SIZE ClientSize(HWND window) {
    RECT client{};
    ::GetClientRect(window, &client);
    return {client.right, client.bottom};
}

// What Windows sends when the window has been dragged onto a monitor of dpi: its client area
// scaled by the change, the frame as it is (Wine draws it at the session's DPI everywhere).
void SendDpiChange(HWND window, int from, int dpi) {
    RECT frame{};
    ::GetWindowRect(window, &frame);
    const SIZE client = ClientSize(window);
    const int extraWidth = (frame.right - frame.left) - client.cx, extraHeight = (frame.bottom - frame.top) - client.cy;
    RECT suggested{frame.left, frame.top, frame.left + ::MulDiv(client.cx, dpi, from) + extraWidth,
                   frame.top + ::MulDiv(client.cy, dpi, from) + extraHeight};
    ::SendMessageW(window, WM_DPICHANGED, MAKEWPARAM(dpi, dpi), reinterpret_cast<LPARAM>(&suggested));
}
}  // namespace

TEST(UninstallFormAtScale, ScalesItsLayoutAndCutsOffNoText) {
    const int dpi = ExpectedDpi();
    for (const wchar_t* language : {L"de-DE", L"en-US", L"fr-FR", L"es-ES"}) {
        SCOPED_TRACE(Narrow(language));
        TVQUninstallForm form(language, Installation{}, L"");
        form.Show();
        RECT client{};
        ::GetClientRect(form.Handle(), &client);
        EXPECT_NEAR(client.right, Dpi::Scale(440, dpi), 1);
        EXPECT_NEAR(client.bottom, Dpi::Scale(210, dpi), 1);
        const HICON icon = reinterpret_cast<HICON>(::SendMessageW(form.UninstallIcon, STM_GETICON, 0, 0));
        EXPECT_EQ(IconSize(icon).cx, Dpi::Scale(32, dpi));
        for (const auto& f : CutOffTexts(form.Handle(), dpi, ControlName))
            ADD_FAILURE() << "question page, " << dpi << " DPI: " << f;

        // The last page with its longest text: a removal that left something, of a stick that is away.
        for (HWND w : {form.QuestionLabel, form.RemoveDataCheckBox, form.RemoveDataInfoLabel, form.RemoveButton,
                       form.CancelButton})
            ::ShowWindow(w, SW_HIDE);
        const std::wstring result =
            Text(txNotEverythingRemoved, language) + L"\r\n\r\n" + Text(txRemovableDiskAbsent, language);
        ::SetWindowTextW(form.ResultLabel, result.c_str());
        for (HWND w : {form.ResultLabel, form.FinishButton}) ::ShowWindow(w, SW_SHOWNA);
        for (const auto& f : CutOffTexts(form.Handle(), dpi, ControlName))
            ADD_FAILURE() << "last page, " << dpi << " DPI: " << f;
    }
}

TEST(UninstallFormAtScale, MovesToAMonitorOfAnotherScaleAndBack) {
    const int dpi = ExpectedDpi(), other = dpi == 96 ? 144 : 96;
    TVQUninstallForm form(L"fr-FR", Installation{}, L"");
    form.Show();
    for (const int to : {other, dpi}) {
        SendDpiChange(form.Handle(), to == other ? dpi : other, to);
        const SIZE client = ClientSize(form.Handle());
        EXPECT_NEAR(client.cx, Dpi::Scale(440, to), 1) << to << " DPI";
        EXPECT_NEAR(client.cy, Dpi::Scale(210, to), 1) << to << " DPI";
        RECT button{};
        ::GetWindowRect(form.RemoveButton, &button);
        EXPECT_EQ(button.right - button.left, Dpi::Scale(90, to)) << to << " DPI";
        const HICON icon = reinterpret_cast<HICON>(::SendMessageW(form.UninstallIcon, STM_GETICON, 0, 0));
        EXPECT_EQ(IconSize(icon).cx, Dpi::Scale(32, to)) << to << " DPI";
        for (const auto& f : CutOffTexts(form.Handle(), to, ControlName)) ADD_FAILURE() << to << " DPI: " << f;
    }
}
