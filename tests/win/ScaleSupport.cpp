#include "ScaleSupport.h"

#include <commctrl.h>

#include <cstdlib>
#include <sstream>

#include "services/Dpi.h"
#include "services/Handles.h"
#include "texts/ErrorUnit.h"
#include "wizard/Controls.h"

namespace testsupport {

int ExpectedDpi() {
    const char* value = std::getenv("VQ_EXPECTED_DPI");
    return value && *value ? std::atoi(value) : Dpi::kLayout;
}

std::unique_ptr<TVQSetupForm> MakeScaleForm(const std::wstring& file) {
    auto form = std::make_unique<TVQSetupForm>(StartupArgs{file, {}});
    form->InstallRunner = [] { return mrAbort; };
    return form;
}

const std::vector<FormControl>& FormControls() {
#define M(name) FormControl{#name, &TVQSetupForm::name}
    static const std::vector<FormControl> controls = {
        M(PanelTop), M(ImageTop), M(LabelHotfix), M(LabelUpdate), M(BorderTopImage), M(Image2), M(HidePanel),
        M(PageControl), M(TabSheetLanguage), M(TabSheetLicence), M(TabSheetOptions), M(TabSheetRemoveable),
        M(TabSheetFolder), M(TabSheetConfirm), M(TabSheetProgress), M(TabSheetFinish),
        M(LicenceLabel), M(LicenceTextLabel), M(TermsAndConditionsRichEdit),
        M(OptionsLabel), M(OptionsTextLabel), M(OptionsComboBox), M(OptionListPanel), M(OptionsListView),
        M(RemoveableLabel), M(RemoveableInfo1Label), M(DriveLabel), M(DriveComboBox), M(RemoveableInfo2Label),
        M(FolderLabel), M(FolderInfo1Label), M(ProgramFolderLabel), M(ProgramFolderEdit),
        M(SearchProgramFolderButton), M(DataFolderLabel), M(DataFolderEdit), M(SearchDataFolderButton),
        M(FolderInfo2Label), M(ConfirmLabel), M(ConfirmInfoLabel), M(SumaryPanel), M(SumaryRichEdit),
        M(ProgressLabel), M(ProgressInfoLabel), M(ProgressFile1Label), M(ProgressBar), M(ProgressFile2Label),
        M(FinishLabel), M(FinishInfo1Label), M(Image1), M(FinishInfo3Label),
        M(PanelButtons), M(ResetFoldersButton), M(BackButton), M(NextButton), M(CancelButton),
        M(SetupImagePanel), M(SetupImage), M(LanguagePanel), M(WellcomeLabel), M(WellcomeInfoLabel),
        M(SetupIconImage), M(LanguageInfoLabel), M(LanguageLabel), M(LanguageComboBox), M(DateFormatLabel),
        M(DateFormatComboBox), M(Panel12), M(LabelProgress), M(InstallButton),
    };
#undef M
    return controls;
}

std::string NameOf(const TVQSetupForm& form, HWND control) {
    for (const FormControl& c : FormControls())
        if (form.*c.Field == control) return c.Name;
    return "control " + std::to_string(reinterpret_cast<UINT_PTR>(control));
}

std::string Narrow(const std::wstring& text) {
    if (text.empty()) return {};
    const int n = ::WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<size_t>(n), '\0');
    ::WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()), out.data(), n, nullptr, nullptr);
    return out;
}

SIZE IconSize(HICON icon) {
    ICONINFO info{};
    if (!icon || !::GetIconInfo(icon, &info)) return SIZE{0, 0};
    const GdiObject colour(info.hbmColor), mask(info.hbmMask);
    BITMAP bitmap{};
    ::GetObjectW(info.hbmColor ? info.hbmColor : info.hbmMask, sizeof(bitmap), &bitmap);
    // A monochrome icon keeps its AND and XOR masks one above the other.
    return SIZE{bitmap.bmWidth, info.hbmColor ? bitmap.bmHeight : bitmap.bmHeight / 2};
}

std::vector<unsigned> BitmapPixels(HBITMAP bitmap, SIZE& size) {
    size = SIZE{0, 0};
    BITMAP header{};
    if (!bitmap || !::GetObjectW(bitmap, sizeof(header), &header)) return {};
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = header.bmWidth;
    info.bmiHeader.biHeight = -header.bmHeight;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    std::vector<unsigned> pixels(static_cast<size_t>(header.bmWidth) * static_cast<size_t>(header.bmHeight));
    const WindowDC screen(nullptr);
    ::GetDIBits(screen.get(), bitmap, 0, static_cast<UINT>(header.bmHeight), pixels.data(), &info, DIB_RGB_COLORS);
    for (auto& p : pixels) p &= 0x00FFFFFF;
    size = SIZE{header.bmWidth, header.bmHeight};
    return pixels;
}

namespace {
std::vector<HWND> Descendants(HWND top) {
    std::vector<HWND> found;
    ::EnumChildWindows(
        top,
        [](HWND w, LPARAM list) {
            return CallbackGuard<BOOL>(FALSE, [&] {
                reinterpret_cast<std::vector<HWND>*>(list)->push_back(w);
                return TRUE;
            });
        },
        reinterpret_cast<LPARAM>(&found));
    return found;
}

std::wstring ClassOf(HWND w) {
    wchar_t name[64] = {};
    ::GetClassNameW(w, name, 64);
    return name;
}

// The part of the control's window the user can see: clipped by the client area of every window
// it lies in, up to top. Empty for a control placed outside them all (the form's hidden panel).
RECT VisiblePart(HWND control, HWND top) {
    RECT visible{};
    ::GetWindowRect(control, &visible);
    for (HWND parent = ::GetParent(control); parent; parent = ::GetParent(parent)) {
        RECT client{};
        ::GetClientRect(parent, &client);
        ::MapWindowPoints(parent, HWND_DESKTOP, reinterpret_cast<POINT*>(&client), 2);
        ::IntersectRect(&visible, &visible, &client);
        if (parent == top) break;
    }
    return visible;
}

// Measures texts in one control's font, the way the control itself lays them out.
class Measure {
public:
    explicit Measure(HWND control)
        : dc_(control),
          font_(dc_.get(), reinterpret_cast<HGDIOBJ>(::SendMessageW(control, WM_GETFONT, 0, 0))) {
        ::GetTextMetricsW(dc_.get(), &metrics_);
    }
    // The rectangle the text takes when broken into lines at width.
    SIZE Wrapped(const std::wstring& text, int width, UINT flags) const {
        RECT r{0, 0, width, 0};
        ::DrawTextW(dc_.get(), text.c_str(), static_cast<int>(text.size()), &r, DT_CALCRECT | DT_WORDBREAK | flags);
        return SIZE{r.right, r.bottom};
    }
    SIZE Line(const std::wstring& text, UINT flags) const {
        RECT r{0, 0, 0, 0};
        ::DrawTextW(dc_.get(), text.c_str(), static_cast<int>(text.size()), &r, DT_CALCRECT | DT_SINGLELINE | flags);
        return SIZE{r.right, r.bottom};
    }
    int LineHeight() const { return metrics_.tmHeight; }

private:
    WindowDC dc_;
    SelectedObject font_;
    TEXTMETRICW metrics_{};
};

class Report {
public:
    Report(std::vector<std::string>& out, const std::string& name) : out_(out), name_(name) {}
    void Fail(const std::string& what, SIZE needs, SIZE has, const std::wstring& text) {
        std::ostringstream line;
        line << name_ << ": " << what << " needs " << needs.cx << "x" << needs.cy << ", has " << has.cx << "x" << has.cy
             << ": \"" << Narrow(text) << "\"";
        out_.push_back(line.str());
    }

private:
    std::vector<std::string>& out_;
    std::string name_;
};

SIZE SizeOf(const RECT& r) { return SIZE{r.right - r.left, r.bottom - r.top}; }
bool Within(SIZE needs, SIZE has) { return needs.cx <= has.cx && needs.cy <= has.cy; }

void CheckStatic(HWND w, const RECT& visible, int dpi, Report& report) {
    (void)dpi;
    const DWORD style = static_cast<DWORD>(::GetWindowLongPtrW(w, GWL_STYLE));
    const DWORD type = style & SS_TYPEMASK;
    const bool wraps = type == SS_LEFT || type == SS_CENTER || type == SS_RIGHT;
    if (!wraps && type != SS_SIMPLE && type != SS_LEFTNOWORDWRAP) return;  // pictures and frames
    const std::wstring text = ctl::GetText(w);
    if (text.empty()) return;
    RECT client{};
    ::GetClientRect(w, &client);
    const Measure measure(w);
    const UINT flags = DT_EXPANDTABS | ((style & SS_NOPREFIX) ? DT_NOPREFIX : 0);
    if (style & SS_ELLIPSISMASK) {
        // Shortened with an ellipsis by design: only the line's height must fit.
        if (measure.LineHeight() > client.bottom)
            report.Fail("line", SIZE{client.right, measure.LineHeight()}, SizeOf(client), text);
        return;
    }
    const SIZE needs = wraps ? measure.Wrapped(text, client.right, flags) : measure.Line(text, flags);
    if (!Within(needs, SizeOf(client))) return report.Fail("text", needs, SizeOf(client), text);
    // Where the text stands in the control, it must also be inside what the parents let show.
    const int left = type == SS_RIGHT ? client.right - needs.cx : type == SS_CENTER ? (client.right - needs.cx) / 2 : 0;
    RECT drawn{left, 0, left + needs.cx, needs.cy};
    ::MapWindowPoints(w, HWND_DESKTOP, reinterpret_cast<POINT*>(&drawn), 2);
    RECT inside{};
    ::IntersectRect(&inside, &drawn, &visible);
    if (!::EqualRect(&inside, &drawn)) report.Fail("text inside its parents", needs, SizeOf(inside), text);
}

void CheckButton(HWND w, int dpi, Report& report) {
    const DWORD type = static_cast<DWORD>(::GetWindowLongPtrW(w, GWL_STYLE)) & BS_TYPEMASK;
    if (type != BS_PUSHBUTTON && type != BS_DEFPUSHBUTTON) return;
    const std::wstring text = ctl::GetText(w);
    if (text.empty()) return;
    RECT client{};
    ::GetClientRect(w, &client);
    // A push button's frame and focus rectangle take 3 pixels on each side and 2 above and below
    // at 96 DPI; its caption is one line.
    ::InflateRect(&client, -Dpi::Scale(3, dpi), -Dpi::Scale(2, dpi));
    const SIZE needs = Measure(w).Line(text, 0);
    if (!Within(needs, SizeOf(client))) report.Fail("caption", needs, SizeOf(client), text);
}

void CheckComboBox(HWND w, int dpi, Report& report) {
    COMBOBOXINFO info{};
    info.cbSize = sizeof(info);
    if (!::GetComboBoxInfo(w, &info)) return;
    // The selection field shows the entry chosen, a little inside its edges.
    RECT field = info.rcItem;
    ::InflateRect(&field, -Dpi::Scale(2, dpi), 0);
    const Measure measure(w);
    for (int i = 0; i < ctl::ComboCount(w); ++i) {
        const std::wstring text = ctl::ComboItemText(w, i);
        const SIZE needs = measure.Line(text, DT_NOPREFIX);
        if (!Within(needs, SizeOf(field))) report.Fail("entry " + std::to_string(i), needs, SizeOf(field), text);
    }
}

void CheckListView(HWND w, int dpi, Report& report) {
    RECT client{};
    ::GetClientRect(w, &client);
    const Measure measure(w);
    int boxWidth = 0, boxHeight = 0;
    if (HIMAGELIST boxes = ListView_GetImageList(w, LVSIL_STATE)) ::ImageList_GetIconSize(boxes, &boxWidth, &boxHeight);
    for (int i = 0; i < ListView_GetItemCount(w); ++i) {
        wchar_t buffer[512] = {};
        ListView_GetItemText(w, i, 0, buffer, 512);
        const std::wstring text = buffer;
        const std::string item = "item " + std::to_string(i);
        RECT bounds{}, label{};
        ListView_GetItemRect(w, i, &bounds, LVIR_BOUNDS);
        ListView_GetItemRect(w, i, &label, LVIR_LABEL);
        RECT shown{};
        ::IntersectRect(&shown, &bounds, &client);
        if (!::EqualRect(&shown, &bounds)) report.Fail(item + " inside the list", SizeOf(bounds), SizeOf(shown), text);
        if (boxHeight > bounds.bottom - bounds.top)
            report.Fail(item + " check box", SIZE{boxWidth, boxHeight}, SizeOf(bounds), text);
        // The label is drawn a little inside its rectangle.
        ::InflateRect(&label, -Dpi::Scale(2, dpi), 0);
        const SIZE needs = measure.Line(text, DT_NOPREFIX);
        if (!Within(needs, SizeOf(label))) report.Fail(item, needs, SizeOf(label), text);
    }
}

void CheckEdit(HWND w, Report& report) {
    RECT client{};
    ::GetClientRect(w, &client);
    const int line = Measure(w).LineHeight();
    if (line > client.bottom) report.Fail("line", SIZE{client.right, line}, SizeOf(client), ctl::GetText(w));
}
}  // namespace

std::vector<std::string> CutOffTexts(HWND top, int dpi, const std::function<std::string(HWND)>& nameOf) {
    std::vector<std::string> failures;
    for (HWND w : Descendants(top)) {
        if (!::IsWindowVisible(w)) continue;
        const RECT visible = VisiblePart(w, top);
        if (::IsRectEmpty(&visible)) continue;  // never on the screen, by design
        Report report(failures, nameOf(w));
        const std::wstring kind = ClassOf(w);
        if (_wcsicmp(kind.c_str(), L"Static") == 0) {
            CheckStatic(w, visible, dpi, report);
        } else if (_wcsicmp(kind.c_str(), L"Button") == 0) {
            CheckButton(w, dpi, report);
        } else if (_wcsicmp(kind.c_str(), L"ComboBox") == 0) {
            CheckComboBox(w, dpi, report);
        } else if (_wcsicmp(kind.c_str(), WC_LISTVIEWW) == 0) {
            CheckListView(w, dpi, report);
        } else if (_wcsicmp(kind.c_str(), L"Edit") == 0) {
            // An edit scrolls its text sideways by design; its line must be as high as it.
            CheckEdit(w, report);
        }
    }
    return failures;
}

}  // namespace testsupport
