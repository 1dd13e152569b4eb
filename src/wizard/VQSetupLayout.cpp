// The form's fixed layout: every control with its parent, place, size and style. Behaviour lives
// elsewhere; this file only says where things are.
#include <windows.h>
#include <commctrl.h>
#include <richedit.h>

#include <uxtheme.h>
#include <vssym32.h>

#include "services/Dpi.h"
#include "services/Handles.h"
#include "services/ScaledImages.h"
#include "services/UtillityUnit.h"
#include "wizard/Controls.h"
#include "wizard/VQSetupUnit.h"
#include "wizard/FormResources.h"


namespace {
constexpr wchar_t kPanelClass[] = L"VQPanel";

// Panels and pages pass their children's notifications on to the form, so the form handles every
// control's events in one place whatever the control lies on.
LRESULT CALLBACK PanelProc(HWND panel, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_COMMAND:
        case WM_NOTIFY:
        case WM_CTLCOLORSTATIC:
        case WM_CTLCOLOREDIT:
        case WM_CTLCOLORLISTBOX:
        case WM_CTLCOLORBTN:
            return ::SendMessageW(::GetAncestor(panel, GA_ROOT), message, wParam, lParam);
        case WM_ERASEBKGND: {
            HWND root = ::GetAncestor(panel, GA_ROOT);
            HDC dc = reinterpret_cast<HDC>(wParam);
            auto brush = reinterpret_cast<HBRUSH>(::SendMessageW(root, WM_CTLCOLORSTATIC, wParam, reinterpret_cast<LPARAM>(panel)));
            RECT r;
            ::GetClientRect(panel, &r);
            ::FillRect(dc, &r, brush);
            return 1;
        }
    }
    return ::DefWindowProcW(panel, message, wParam, lParam);
}

void RegisterPanelClass() {
    static bool registered = false;
    if (registered) return;
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof(wc);
    wc.lpfnWndProc = PanelProc;
    wc.hInstance = ::GetModuleHandleW(nullptr);
    wc.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
    wc.lpszClassName = kPanelClass;
    ::RegisterClassExW(&wc);
    registered = true;
}

HMODULE LoadRichEdit() {
    static HMODULE module = Utillity::LoadSystemLibrary(L"Msftedit.dll");
    return module;
}

enum class FontKind { Normal, Bold, Banner, Welcome };
using Member = HWND TVQSetupForm::*;

struct ControlSpec {
    Member Field;
    Member Parent;  // nullptr: the form itself
    const wchar_t* Class;
    int Id;
    int Left, Top, Width, Height;
    DWORD Style;
    DWORD ExStyle;
    const wchar_t* Caption;  // design-time caption; the language replaces most of them
    FontKind Font;
};

constexpr DWORD kChild = WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS;
constexpr DWORD kLabel = kChild | SS_LEFT | SS_NOPREFIX;
constexpr DWORD kButton = kChild | WS_TABSTOP | BS_PUSHBUTTON;
constexpr DWORD kList = kChild | WS_TABSTOP | WS_VSCROLL | CBS_DROPDOWNLIST;
constexpr DWORD kPage = WS_CHILD | WS_CLIPSIBLINGS | WS_CLIPCHILDREN;  // shown by ShowPage
constexpr DWORD kPanel = kChild | WS_CLIPCHILDREN;
constexpr DWORD kBitmap = kChild | SS_BITMAP | SS_REALSIZECONTROL;
constexpr DWORD kRich = kChild | WS_TABSTOP | WS_VSCROLL | WS_HSCROLL | ES_MULTILINE | ES_READONLY |
                        ES_AUTOVSCROLL | ES_DISABLENOSCROLL;
constexpr wchar_t kRichClass[] = L"RICHEDIT50W";

#define F(name) &TVQSetupForm::name
// The form's client is 500 x 357: the top panel (70), the page area, the button row (41).
const ControlSpec kLayout[] = {
    // Top banner and the frame strips around the page area
    {F(PanelTop), nullptr, kPanelClass, idStatic, 0, 0, 500, 70, kPanel, 0, L"", FontKind::Normal},
    {F(ImageTop), F(PanelTop), L"STATIC", idStatic, 0, 0, 500, 70, kBitmap, 0, L"", FontKind::Normal},
    {F(LabelHotfix), F(PanelTop), L"STATIC", idStatic, 380, 40, 110, 20, kLabel | SS_RIGHT, 0, L"Hotfix", FontKind::Banner},
    {F(LabelUpdate), F(PanelTop), L"STATIC", idStatic, 380, 12, 110, 20, WS_CHILD | SS_RIGHT, 0, L"Update", FontKind::Banner},
    {F(BorderTopImage), nullptr, L"STATIC", idStatic, 0, 70, 500, 2, kChild | SS_ETCHEDHORZ, 0, L"", FontKind::Normal},
    {F(Image2), nullptr, L"STATIC", idStatic, 0, 314, 500, 2, kChild | SS_ETCHEDHORZ, 0, L"", FontKind::Normal},
    {F(HidePanel), nullptr, kPanelClass, idStatic, 0, 72, 500, 9, kPanel, 0, L"", FontKind::Normal},

    // The page area and its eight pages
    {F(PageControl), nullptr, kPanelClass, idStatic, 0, 72, 500, 242, kPanel, 0, L"", FontKind::Normal},
    {F(TabSheetLanguage), F(PageControl), kPanelClass, idStatic, 0, 0, 500, 242, kPage, 0, L"", FontKind::Normal},
    {F(TabSheetLicence), F(PageControl), kPanelClass, idStatic, 0, 0, 500, 242, kPage, 0, L"", FontKind::Normal},
    {F(TabSheetOptions), F(PageControl), kPanelClass, idStatic, 0, 0, 500, 242, kPage, 0, L"", FontKind::Normal},
    {F(TabSheetRemoveable), F(PageControl), kPanelClass, idStatic, 0, 0, 500, 242, kPage, 0, L"", FontKind::Normal},
    {F(TabSheetFolder), F(PageControl), kPanelClass, idStatic, 0, 0, 500, 242, kPage, 0, L"", FontKind::Normal},
    {F(TabSheetConfirm), F(PageControl), kPanelClass, idStatic, 0, 0, 500, 242, kPage, 0, L"", FontKind::Normal},
    {F(TabSheetProgress), F(PageControl), kPanelClass, idStatic, 0, 0, 500, 242, kPage, 0, L"", FontKind::Normal},
    {F(TabSheetFinish), F(PageControl), kPanelClass, idStatic, 0, 0, 500, 242, kPage, 0, L"", FontKind::Normal},

    // Page 1: licence
    {F(LicenceLabel), F(TabSheetLicence), L"STATIC", idStatic, 20, 12, 460, 16, kLabel, 0, L"Lizenzvereinbarung", FontKind::Bold},
    {F(LicenceTextLabel), F(TabSheetLicence), L"STATIC", idStatic, 20, 30, 460, 28, kLabel, 0, L"", FontKind::Normal},
    {F(TermsAndConditionsRichEdit), F(TabSheetLicence), kRichClass, idTermsAndConditionsRichEdit, 20, 62, 460, 172, kRich, WS_EX_CLIENTEDGE, L"", FontKind::Normal},

    // Page 2: setup type and components
    {F(OptionsLabel), F(TabSheetOptions), L"STATIC", idStatic, 20, 12, 460, 16, kLabel, 0, L"Komponenten ausw\u00e4hlen", FontKind::Bold},
    {F(OptionsTextLabel), F(TabSheetOptions), L"STATIC", idStatic, 20, 30, 460, 28, kLabel, 0, L"", FontKind::Normal},
    {F(OptionsComboBox), F(TabSheetOptions), WC_COMBOBOXW, idOptionsComboBox, 20, 64, 300, 120, kList, 0, L"", FontKind::Normal},
    {F(OptionListPanel), F(TabSheetOptions), kPanelClass, idStatic, 20, 94, 460, 140, kPanel, WS_EX_CLIENTEDGE, L"", FontKind::Normal},
    {F(OptionsListView), F(OptionListPanel), WC_LISTVIEWW, idOptionsListView, 0, 0, 456, 136,
     kChild | WS_TABSTOP | LVS_REPORT | LVS_NOCOLUMNHEADER | LVS_SINGLESEL | LVS_SHOWSELALWAYS, 0, L"", FontKind::Normal},

    // Page 3: removable drive
    {F(RemoveableLabel), F(TabSheetRemoveable), L"STATIC", idStatic, 20, 12, 460, 16, kLabel, 0, L"", FontKind::Bold},
    {F(RemoveableInfo1Label), F(TabSheetRemoveable), L"STATIC", idStatic, 20, 30, 460, 42, kLabel, 0, L"", FontKind::Normal},
    {F(DriveLabel), F(TabSheetRemoveable), L"STATIC", idStatic, 20, 82, 300, 14, kLabel, 0, L"Laufwerk", FontKind::Bold},
    {F(DriveComboBox), F(TabSheetRemoveable), WC_COMBOBOXW, idDriveComboBox, 20, 98, 300, 160, kList, 0, L"", FontKind::Normal},
    {F(RemoveableInfo2Label), F(TabSheetRemoveable), L"STATIC", idStatic, 20, 134, 460, 42, kLabel, 0, L"", FontKind::Normal},

    // Page 4: program and data folders
    {F(FolderLabel), F(TabSheetFolder), L"STATIC", idStatic, 20, 12, 460, 16, kLabel, 0, L"", FontKind::Bold},
    {F(FolderInfo1Label), F(TabSheetFolder), L"STATIC", idStatic, 20, 30, 460, 28, kLabel, 0, L"", FontKind::Normal},
    {F(ProgramFolderLabel), F(TabSheetFolder), L"STATIC", idStatic, 20, 64, 360, 14, kLabel, 0, L"", FontKind::Bold},
    {F(ProgramFolderEdit), F(TabSheetFolder), WC_EDITW, idProgramFolderEdit, 20, 80, 368, 22, kChild | WS_TABSTOP | ES_AUTOHSCROLL, WS_EX_CLIENTEDGE, L"", FontKind::Normal},
    {F(SearchProgramFolderButton), F(TabSheetFolder), WC_BUTTONW, idSearchProgramFolderButton, 396, 79, 84, 24, kButton, 0, L"", FontKind::Normal},
    {F(DataFolderLabel), F(TabSheetFolder), L"STATIC", idStatic, 20, 114, 360, 14, kLabel, 0, L"", FontKind::Bold},
    {F(DataFolderEdit), F(TabSheetFolder), WC_EDITW, idDataFolderEdit, 20, 130, 368, 22, kChild | WS_TABSTOP | ES_AUTOHSCROLL, WS_EX_CLIENTEDGE, L"", FontKind::Normal},
    {F(SearchDataFolderButton), F(TabSheetFolder), WC_BUTTONW, idSearchDataFolderButton, 396, 129, 84, 24, kButton, 0, L"", FontKind::Normal},
    {F(FolderInfo2Label), F(TabSheetFolder), L"STATIC", idStatic, 20, 166, 460, 42, kLabel, 0, L"", FontKind::Normal},

    // Page 5: confirmation with the summary
    {F(ConfirmLabel), F(TabSheetConfirm), L"STATIC", idStatic, 20, 12, 460, 16, kLabel, 0, L"", FontKind::Bold},
    {F(ConfirmInfoLabel), F(TabSheetConfirm), L"STATIC", idStatic, 20, 30, 460, 28, kLabel, 0, L"", FontKind::Normal},
    {F(SumaryPanel), F(TabSheetConfirm), kPanelClass, idStatic, 20, 64, 460, 170, kPanel, WS_EX_CLIENTEDGE, L"", FontKind::Normal},
    {F(SumaryRichEdit), F(SumaryPanel), kRichClass, idSumaryRichEdit, 4, 4, 452, 162, kRich, 0, L"", FontKind::Normal},

    // Page 6: progress
    {F(ProgressLabel), F(TabSheetProgress), L"STATIC", idStatic, 20, 12, 460, 16, kLabel, 0, L"", FontKind::Bold},
    {F(ProgressInfoLabel), F(TabSheetProgress), L"STATIC", idStatic, 20, 30, 460, 28, kLabel, 0, L"", FontKind::Normal},
    {F(ProgressFile1Label), F(TabSheetProgress), L"STATIC", idStatic, 20, 80, 460, 14, kLabel, 0, L"", FontKind::Normal},
    {F(ProgressBar), F(TabSheetProgress), PROGRESS_CLASSW, idProgressBar, 20, 98, 460, 18, kChild | PBS_SMOOTH, 0, L"", FontKind::Normal},
    {F(ProgressFile2Label), F(TabSheetProgress), L"STATIC", idStatic, 20, 122, 460, 30, kLabel | SS_PATHELLIPSIS, 0, L"", FontKind::Normal},

    // Page 7: finish
    {F(FinishLabel), F(TabSheetFinish), L"STATIC", idStatic, 20, 12, 460, 16, kLabel, 0, L"", FontKind::Bold},
    {F(FinishInfo1Label), F(TabSheetFinish), L"STATIC", idStatic, 20, 40, 370, 56, kLabel, 0, L"", FontKind::Normal},
    {F(Image1), F(TabSheetFinish), L"STATIC", idStatic, 408, 36, 64, 64, kBitmap, 0, L"", FontKind::Normal},
    {F(FinishInfo3Label), F(TabSheetFinish), L"STATIC", idStatic, 20, 112, 460, 28, kLabel, 0, L"", FontKind::Normal},

    // The button row
    {F(PanelButtons), nullptr, kPanelClass, idStatic, 0, 316, 500, 41, kPanel, 0, L"", FontKind::Normal},
    {F(ResetFoldersButton), F(PanelButtons), WC_BUTTONW, idResetFoldersButton, 20, 8, 141, 25, kButton & ~WS_VISIBLE, 0, L"", FontKind::Normal},
    {F(BackButton), F(PanelButtons), WC_BUTTONW, idBackButton, 228, 8, 75, 25, kButton, 0, L"< Zur\u00fcck", FontKind::Normal},
    {F(NextButton), F(PanelButtons), WC_BUTTONW, idNextButton, 310, 8, 75, 25, kButton | BS_DEFPUSHBUTTON, 0, L"Weiter >", FontKind::Normal},
    {F(CancelButton), F(PanelButtons), WC_BUTTONW, idCancelButton, 398, 8, 75, 25, kButton, 0, L"Abbrechen", FontKind::Normal},

    // The welcome screen, laid over the form on page 0
    {F(SetupImagePanel), nullptr, kPanelClass, idStatic, 0, 0, 164, 316, kPanel & ~WS_VISIBLE, 0, L"", FontKind::Normal},
    {F(SetupImage), F(SetupImagePanel), L"STATIC", idStatic, 0, 0, 164, 316, kBitmap, 0, L"", FontKind::Normal},
    {F(LanguagePanel), nullptr, kPanelClass, idStatic, 164, 0, 336, 316, kPanel & ~WS_VISIBLE, 0, L"", FontKind::Normal},
    {F(WellcomeLabel), F(LanguagePanel), L"STATIC", idStatic, 16, 18, 304, 42, kLabel, 0, L"", FontKind::Welcome},
    {F(WellcomeInfoLabel), F(LanguagePanel), L"STATIC", idStatic, 16, 70, 304, 44, kLabel, 0, L"", FontKind::Normal},
    {F(SetupIconImage), F(LanguagePanel), L"STATIC", idStatic, 16, 126, 32, 32, kBitmap, 0, L"", FontKind::Normal},
    {F(LanguageInfoLabel), F(LanguagePanel), L"STATIC", idStatic, 56, 126, 264, 32, kLabel, 0, L"", FontKind::Normal},
    {F(LanguageLabel), F(LanguagePanel), L"STATIC", idStatic, 56, 172, 200, 14, kLabel, 0, L"Sprache", FontKind::Normal},
    {F(LanguageComboBox), F(LanguagePanel), WC_COMBOBOXW, idLanguageComboBox, 56, 188, 220, 160, kList, 0, L"", FontKind::Normal},
    {F(DateFormatLabel), F(LanguagePanel), L"STATIC", idStatic, 56, 222, 200, 14, kLabel, 0, L"Date format", FontKind::Normal},
    {F(DateFormatComboBox), F(LanguagePanel), WC_COMBOBOXW, idDateFormatComboBox, 56, 238, 120, 100, kList, 0, L"", FontKind::Normal},

    // Never seen: lies below the client area and carries the run's progress text.
    {F(Panel12), nullptr, kPanelClass, idStatic, 0, 920, 500, 40, kPanel, 0, L"", FontKind::Normal},
    {F(LabelProgress), F(Panel12), L"STATIC", idStatic, 8, 8, 300, 14, kLabel, 0, L"", FontKind::Normal},
    {F(InstallButton), F(Panel12), WC_BUTTONW, idInstallButton, 320, 6, 100, 25, kButton, 0, L"", FontKind::Normal},
};
#undef F

GdiObject MakeFont(const wchar_t* face, int height, int weight) {
    LOGFONTW lf{};
    lf.lfHeight = height;
    lf.lfWeight = weight;
    lf.lfCharSet = DEFAULT_CHARSET;
    lf.lfQuality = CLEARTYPE_QUALITY;
    wcsncpy(lf.lfFaceName, face, LF_FACESIZE - 1);
    return GdiObject(::CreateFontIndirectW(&lf));
}

RECT LayoutRect(const ControlSpec& spec) {
    return RECT{spec.Left, spec.Top, spec.Left + spec.Width, spec.Top + spec.Height};
}

// The control's place at dpi. An etched line keeps its height: its edge is drawn two pixels thick
// at every scale, and a higher control would show a second edge below the first.
RECT PlaceAtDpi(const ControlSpec& spec, int dpi) {
    RECT place = Dpi::Scale(LayoutRect(spec), dpi);
    if (_wcsicmp(spec.Class, L"STATIC") == 0 && (spec.Style & SS_TYPEMASK) == SS_ETCHEDHORZ)
        place.bottom = place.top + spec.Height;
    return place;
}

bool IsRichEdit(const ControlSpec& spec) { return spec.Class == kRichClass; }

// The theme of a window class, opened through uxtheme.dll where there is one (loaded when first
// needed, from the system folder) and closed with the object.
class ClassTheme {
public:
    ClassTheme(HWND window, const wchar_t* themeClass, int dpi) {
        HMODULE uxtheme = Utillity::LoadSystemLibrary(L"uxtheme.dll");
        if (!uxtheme) return;
        const auto openForDpi = Find<HTHEME(WINAPI*)(HWND, LPCWSTR, UINT)>(uxtheme, "OpenThemeDataForDpi");
        const auto open = Find<HTHEME(WINAPI*)(HWND, LPCWSTR)>(uxtheme, "OpenThemeData");
        close_ = Find<HRESULT(WINAPI*)(HTHEME)>(uxtheme, "CloseThemeData");
        draw_ = Find<HRESULT(WINAPI*)(HTHEME, HDC, int, int, const RECT*, const RECT*)>(uxtheme, "DrawThemeBackground");
        if (!close_ || !draw_) return;
        // Windows 10 1703 has the theme's parts for any DPI; before, they are the session's.
        theme_ = openForDpi ? openForDpi(window, themeClass, static_cast<UINT>(dpi))
                 : open     ? open(window, themeClass)
                            : nullptr;
    }
    ~ClassTheme() { if (theme_) close_(theme_); }
    ClassTheme(const ClassTheme&) = delete;
    ClassTheme& operator=(const ClassTheme&) = delete;
    // False without a theme (the classic look, or no uxtheme.dll): nothing was drawn.
    bool Draw(HDC dc, int part, int state, const RECT& area) const {
        return theme_ && SUCCEEDED(draw_(theme_, dc, part, state, &area, nullptr));
    }

private:
    template <class F>
    static F Find(HMODULE module, const char* name) {
        return reinterpret_cast<F>(reinterpret_cast<void*>(::GetProcAddress(module, name)));
    }
    HTHEME theme_ = nullptr;
    HRESULT(WINAPI* close_)(HTHEME) = nullptr;
    HRESULT(WINAPI* draw_)(HTHEME, HDC, int, int, const RECT*, const RECT*) = nullptr;
};

// A check box state image list (unchecked, checked) for the list at dpi, drawn as the list view
// draws its own: themed where a theme is active, else in the classic style.
ImageListHandle MakeCheckBoxes(HWND list, int dpi) {
    const int size = Dpi::Metric(SM_CXSMICON, dpi);
    ImageListHandle images(::ImageList_Create(size, size, ILC_COLOR24 | ILC_MASK, 2, 0));
    if (!images) return images;
    const ClassTheme theme(list, L"BUTTON", dpi);
    const WindowDC screen(list);
    const MemoryDC dc(::CreateCompatibleDC(screen.get()));
    const COLORREF background = ::GetSysColor(COLOR_WINDOW);
    const GdiObject brush(::CreateSolidBrush(background));
    for (bool checked : {false, true}) {
        const GdiObject cell(::CreateCompatibleBitmap(screen.get(), size, size));
        {
            const SelectedObject selected(dc.get(), cell.get());
            const RECT all{0, 0, size, size};
            ::FillRect(dc.get(), &all, static_cast<HBRUSH>(brush.get()));
            // The box is 13 pixels at 96 DPI, centred in its cell as the list view's own.
            const int box = Dpi::Scale(13, dpi), offset = (size - box) / 2;
            RECT r{offset, offset, offset + box, offset + box};
            if (!theme.Draw(dc.get(), BP_CHECKBOX, checked ? CBS_CHECKEDNORMAL : CBS_UNCHECKEDNORMAL, r))
                ::DrawFrameControl(dc.get(), &r, DFC_BUTTON, DFCS_BUTTONCHECK | DFCS_FLAT | (checked ? DFCS_CHECKED : 0));
        }
        ::ImageList_AddMasked(images.get(), static_cast<HBITMAP>(cell.get()), background);
    }
    return images;
}
}  // namespace

void TVQSetupForm::CreateControls() {
    RegisterPanelClass();
    LoadRichEdit();
    // The window already has the size of its layout when the first page is laid out on it, so
    // that nothing is placed after a client area that is about to change.
    LayoutDpi_ = Dpi::OfWindow(Handle());
    const SIZE frame = FrameSize();
    ::SetWindowPos(Handle(), nullptr, 0, 0, frame.cx, frame.cy, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);

    HINSTANCE instance = ::GetModuleHandleW(nullptr);
    for (const ControlSpec& spec : kLayout) {
        HWND parent = spec.Parent ? this->*spec.Parent : Handle();
        const RECT place = PlaceAtDpi(spec, LayoutDpi_);
        HWND control = ::CreateWindowExW(spec.ExStyle, spec.Class, spec.Caption, spec.Style, place.left, place.top,
                                         place.right - place.left, place.bottom - place.top, parent,
                                         reinterpret_cast<HMENU>(static_cast<INT_PTR>(spec.Id)), instance, nullptr);
        this->*spec.Field = control;
    }

    const COLORREF white = RGB(255, 255, 255);
    for (HWND w : {PanelTop, LanguagePanel, SetupImagePanel}) SetControlBackground(w, white);
    for (HWND w : {ProgramFolderEdit, DataFolderEdit, DriveComboBox, LanguageComboBox, DateFormatComboBox})
        SetControlBackground(w, white);
    SetControlTextColor(LabelHotfix, RGB(192, 192, 192));
    SetControlTextColor(LabelUpdate, RGB(192, 192, 192));

    // The summary reads like part of the page: borderless, in the button face colour.
    ::SendMessageW(SumaryRichEdit, EM_SETBKGNDCOLOR, 0, ::GetSysColor(COLOR_BTNFACE));
    // Both scroll bars stay, but the lines wrap at the window's width: a licence read sideways
    // is a licence nobody reads.
    for (HWND rich : {TermsAndConditionsRichEdit, SumaryRichEdit}) ::SendMessageW(rich, EM_SETTARGETDEVICE, 0, 0);
    ::SendMessageW(ProgressBar, PBM_SETRANGE32, 0, 100);

    // One full-width column (its width comes with the scale), check boxes, no header.
    ListView_SetExtendedListViewStyle(OptionsListView, LVS_EX_CHECKBOXES | LVS_EX_FULLROWSELECT);
    LVCOLUMNW column{};
    column.mask = LVCF_WIDTH;
    ListView_InsertColumn(OptionsListView, 0, &column);

    ctl::ComboAdd(OptionsComboBox, L"Standardinstallation");
    ctl::ComboAdd(OptionsComboBox, L"Benutzerdefinierte Installation");
    ctl::ComboAdd(DateFormatComboBox, L"DD/MM/YY");
    ctl::ComboAdd(DateFormatComboBox, L"MM/DD/YY");
    ApplyScale();
}

SIZE TVQSetupForm::FrameSize() const {
    const RECT client{0, 0, Dpi::Scale(kFormWidth, LayoutDpi_), Dpi::Scale(kFormClientHeight, LayoutDpi_)};
    const RECT frame = Dpi::FrameFor(client, static_cast<DWORD>(::GetWindowLongPtrW(Handle(), GWL_STYLE)),
                                     static_cast<DWORD>(::GetWindowLongPtrW(Handle(), GWL_EXSTYLE)), LayoutDpi_);
    return SIZE{frame.right - frame.left, frame.bottom - frame.top};
}

void TVQSetupForm::ApplyScale() {
    const int dpi = LayoutDpi_, session = Dpi::OfSystem();
    HINSTANCE instance = ::GetModuleHandleW(nullptr);

    // New fonts first: a control must never hold a font that is already gone.
    auto fonts = std::make_unique<Fonts>();
    // 8 pt in the shell's dialog face; the two display fonts are 16 pixels high at 96 DPI.
    fonts->Normal = MakeFont(L"MS Shell Dlg 2", -::MulDiv(8, dpi, 72), FW_NORMAL);
    fonts->Bold = MakeFont(L"MS Shell Dlg 2", -::MulDiv(8, dpi, 72), FW_BOLD);
    fonts->Banner = MakeFont(L"Arial", -Dpi::Scale(16, dpi), FW_BOLD);
    fonts->Welcome = MakeFont(L"Arial Narrow", -Dpi::Scale(16, dpi), FW_BOLD);
    fonts->RichText = MakeFont(L"MS Shell Dlg 2", -::MulDiv(8, session, 72), FW_NORMAL);
    for (const ControlSpec& spec : kLayout) {
        const GdiObject& font = IsRichEdit(spec)                 ? fonts->RichText
                                : spec.Font == FontKind::Bold    ? fonts->Bold
                                : spec.Font == FontKind::Banner  ? fonts->Banner
                                : spec.Font == FontKind::Welcome ? fonts->Welcome
                                                                 : fonts->Normal;
        ::SendMessageW(this->*spec.Field, WM_SETFONT, reinterpret_cast<WPARAM>(font.get()), TRUE);
    }
    Fonts_ = std::move(fonts);

    // Each picture is exactly as large as its control, so the control never stretches it.
    const struct { HWND Control; const wchar_t* Name; } pictures[] = {
        {ImageTop, L"IMAGETOP"}, {SetupImage, L"SETUPIMAGE"}, {SetupIconImage, L"SETUPICONIMAGE"}, {Image1, L"IMAGE1"},
    };
    std::vector<GdiObject> shown;
    for (const auto& p : pictures) {
        RECT size{};
        ::GetClientRect(p.Control, &size);
        // A static shows the bitmap it is given but does not own it: the form keeps it and frees it.
        shown.push_back(ScaledImages::LoadBitmapFor(instance, p.Name, size.right, size.bottom, dpi));
        ::SendMessageW(p.Control, STM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(shown.back().get()));
    }
    Pictures_ = std::move(shown);

    // The window's own icons at this DPI; the class's are the session's.
    IconHandle small = ScaledImages::LoadIconFor(instance, L"MAINICON", Dpi::Metric(SM_CXSMICON, dpi));
    IconHandle big = ScaledImages::LoadIconFor(instance, L"MAINICON", Dpi::Metric(SM_CXICON, dpi));
    ::SendMessageW(Handle(), WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(small.get()));
    ::SendMessageW(Handle(), WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(big.get()));
    SmallIcon_ = std::move(small);
    BigIcon_ = std::move(big);

    // The list view makes its check boxes once, for the session's DPI; at any other the form
    // gives it boxes of its own and hands its own back on the way home. Rows follow the font.
    if (dpi != session) {
        HIMAGELIST previous = ListView_SetImageList(OptionsListView, MakeCheckBoxes(OptionsListView, dpi).release(), LVSIL_STATE);
        if (SessionCheckBoxes_) {
            ::ImageList_Destroy(previous);
        } else {
            SessionCheckBoxes_.reset(previous);
        }
    } else if (SessionCheckBoxes_) {
        ::ImageList_Destroy(ListView_SetImageList(OptionsListView, SessionCheckBoxes_.release(), LVSIL_STATE));
    }
    RECT list{};
    ::GetClientRect(OptionsListView, &list);
    ListView_SetColumnWidth(OptionsListView, 0, list.right - Dpi::Metric(SM_CXVSCROLL, dpi));

    // Rich edits draw points at the session's DPI: zoomed to the window's where that differs.
    for (HWND rich : {TermsAndConditionsRichEdit, SumaryRichEdit})
        ::SendMessageW(rich, EM_SETZOOM, dpi == session ? 0 : dpi, dpi == session ? 0 : session);
    ::SendMessageW(TermsAndConditionsRichEdit, EM_SETMARGINS, EC_LEFTMARGIN, MAKELPARAM(Dpi::Scale(15, dpi), 0));
    SetLicenceMargin();
}

void TVQSetupForm::SetLicenceMargin() {
    // The 15-pixel left margin as a formatting rectangle, which every rich edit version honours.
    RECT area{};
    ::GetClientRect(TermsAndConditionsRichEdit, &area);
    area.left += Dpi::Scale(15, LayoutDpi_);
    ::SendMessageW(TermsAndConditionsRichEdit, EM_SETRECT, 0, reinterpret_cast<LPARAM>(&area));
}

void TVQSetupForm::PlaceAt(HWND control, HWND model) {
    PlacedAt_.emplace_back(control, model);
    const RECT place = ctl::Bounds(model);
    ctl::Move(control, place.left, place.top);
}

void TVQSetupForm::OnDpiChanged(int dpi, const RECT& suggested) {
    if (dpi <= 0) return;
    LayoutDpi_ = dpi;
    for (const ControlSpec& spec : kLayout) {
        HWND control = this->*spec.Field;
        RECT place = PlaceAtDpi(spec, dpi);
        // A control that took another's place keeps taking it.
        for (const auto& [moved, model] : PlacedAt_) {
            if (moved != control) continue;
            for (const ControlSpec& other : kLayout) {
                if (this->*other.Field != model) continue;
                const RECT there = Dpi::Scale(LayoutRect(other), dpi);
                ::OffsetRect(&place, there.left - place.left, there.top - place.top);
            }
        }
        ::SetWindowPos(control, nullptr, place.left, place.top, place.right - place.left, place.bottom - place.top,
                       SWP_NOZORDER | SWP_NOACTIVATE);
    }
    ApplyScale();
    ::SetWindowPos(Handle(), nullptr, suggested.left, suggested.top, suggested.right - suggested.left,
                   suggested.bottom - suggested.top, SWP_NOZORDER | SWP_NOACTIVATE);
    ::RedrawWindow(Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
}
