// The form at the display scale this process runs at (scripts/with-dpi starts one run per scale):
// where every control stands, what is drawn for the scale, and the move of the window to a monitor
// of another scale. The 96-DPI layout below is the form as it stood before it knew of any other
// scale; at 96 DPI it must stand there pixel for pixel, and at any other DPI at its scaled place.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>
#include <richedit.h>

#include <cstdio>
#include <map>

#include "ScaleSupport.h"
#include "TestSupport.h"
#include "services/Dpi.h"
#include "services/Handles.h"
#include "services/ScaledImages.h"
#include "wizard/Controls.h"
#include "wizard/VQSetupUnit.h"

using namespace testsupport;

namespace {
// Every control's window rectangle in its parent at 96 DPI, with the window shown on page 0.
// Combo boxes take their closed height from their font, so only their 96-DPI height is pinned.
const std::map<std::string, RECT> kLayout96 = {
    {"PanelTop", {0, 0, 500, 70}},
    {"ImageTop", {0, 0, 500, 70}},
    {"LabelHotfix", {380, 40, 490, 60}},
    {"LabelUpdate", {380, 12, 490, 32}},
    {"BorderTopImage", {0, 70, 502, 72}},  // an etched line is two pixels wider than it is made
    {"Image2", {0, 314, 502, 316}},
    {"HidePanel", {0, 72, 500, 81}},
    {"PageControl", {0, 72, 500, 314}},
    {"TabSheetLanguage", {0, 0, 500, 242}},
    {"TabSheetLicence", {0, 0, 500, 242}},
    {"TabSheetOptions", {0, 0, 500, 242}},
    {"TabSheetRemoveable", {0, 0, 500, 242}},
    {"TabSheetFolder", {0, 0, 500, 242}},
    {"TabSheetConfirm", {0, 0, 500, 242}},
    {"TabSheetProgress", {0, 0, 500, 242}},
    {"TabSheetFinish", {0, 0, 500, 242}},
    {"LicenceLabel", {20, 12, 480, 28}},
    {"LicenceTextLabel", {20, 30, 480, 58}},
    {"TermsAndConditionsRichEdit", {20, 62, 480, 234}},
    {"OptionsLabel", {20, 12, 480, 28}},
    {"OptionsTextLabel", {20, 30, 480, 58}},
    {"OptionsComboBox", {20, 64, 320, 84}},
    {"OptionListPanel", {20, 94, 480, 234}},
    {"OptionsListView", {0, 0, 456, 136}},
    {"RemoveableLabel", {20, 12, 480, 28}},
    {"RemoveableInfo1Label", {20, 30, 480, 72}},
    {"DriveLabel", {20, 82, 320, 96}},
    {"DriveComboBox", {20, 98, 320, 118}},
    {"RemoveableInfo2Label", {20, 134, 480, 176}},
    {"FolderLabel", {20, 12, 480, 28}},
    {"FolderInfo1Label", {20, 30, 480, 58}},
    {"ProgramFolderLabel", {20, 64, 380, 78}},
    {"ProgramFolderEdit", {20, 80, 388, 102}},
    {"SearchProgramFolderButton", {396, 79, 480, 103}},
    {"DataFolderLabel", {20, 114, 380, 128}},
    {"DataFolderEdit", {20, 130, 388, 152}},
    {"SearchDataFolderButton", {396, 129, 480, 153}},
    {"FolderInfo2Label", {20, 166, 480, 208}},
    {"ConfirmLabel", {20, 12, 480, 28}},
    {"ConfirmInfoLabel", {20, 30, 480, 58}},
    {"SumaryPanel", {20, 64, 480, 234}},
    {"SumaryRichEdit", {4, 4, 456, 166}},
    {"ProgressLabel", {20, 12, 480, 28}},
    {"ProgressInfoLabel", {20, 30, 480, 58}},
    {"ProgressFile1Label", {20, 80, 480, 94}},
    {"ProgressBar", {20, 98, 480, 116}},
    {"ProgressFile2Label", {20, 122, 480, 152}},
    {"FinishLabel", {20, 12, 480, 28}},
    {"FinishInfo1Label", {20, 40, 390, 96}},
    {"Image1", {408, 36, 472, 100}},
    {"FinishInfo3Label", {20, 112, 480, 140}},
    {"PanelButtons", {0, 316, 500, 357}},
    {"ResetFoldersButton", {20, 8, 161, 33}},
    {"BackButton", {228, 8, 303, 33}},
    {"NextButton", {310, 8, 385, 33}},
    {"CancelButton", {398, 8, 473, 33}},
    {"SetupImagePanel", {0, 0, 164, 316}},
    {"SetupImage", {0, 0, 164, 316}},
    {"LanguagePanel", {164, 0, 500, 316}},
    {"WellcomeLabel", {16, 18, 320, 60}},
    {"WellcomeInfoLabel", {16, 70, 320, 114}},
    {"SetupIconImage", {16, 126, 48, 158}},
    {"LanguageInfoLabel", {56, 126, 320, 158}},
    {"LanguageLabel", {56, 172, 256, 186}},
    {"LanguageComboBox", {56, 188, 276, 208}},
    {"DateFormatLabel", {56, 222, 256, 236}},
    {"DateFormatComboBox", {56, 238, 176, 258}},
    {"Panel12", {0, 920, 500, 960}},
    {"LabelProgress", {8, 8, 308, 22}},
    {"InstallButton", {320, 6, 420, 31}},
};

bool IsEtchedLine(HWND w) {
    return (::GetWindowLongPtrW(w, GWL_STYLE) & SS_TYPEMASK) == SS_ETCHEDHORZ;
}

bool IsComboBox(HWND w) {
    wchar_t name[32] = {};
    ::GetClassNameW(w, name, 32);
    return _wcsicmp(name, L"ComboBox") == 0;
}

// Every control against the 96-DPI layout scaled to dpi; moved[name] is the control whose place
// the named one has taken.
void ExpectLayoutAt(const TVQSetupForm& form, int dpi, const std::map<std::string, std::string>& moved = {}) {
    for (const FormControl& c : FormControls()) {
        SCOPED_TRACE(c.Name);
        const auto found = kLayout96.find(c.Name);
        ASSERT_NE(found, kLayout96.end());
        RECT expected = Dpi::Scale(found->second, dpi);
        if (const auto m = moved.find(c.Name); m != moved.end()) {
            const RECT there = Dpi::Scale(kLayout96.at(m->second), dpi);
            ::OffsetRect(&expected, there.left - expected.left, there.top - expected.top);
        }
        const RECT actual = ctl::Bounds(form.*c.Field);
        EXPECT_EQ(actual.left, expected.left);
        EXPECT_EQ(actual.top, expected.top);
        if (IsEtchedLine(form.*c.Field)) {
            // A line two pixels thick at every scale. It is made two pixels wider than asked for
            // (the 96-DPI layout holds that), and moved it is as wide as asked: the two lie outside
            // the client area either way.
            const int asked = Dpi::Scale(found->second.right - 2, dpi);
            EXPECT_TRUE(actual.right == asked || actual.right == asked + 2) << actual.right << " for " << asked;
            EXPECT_EQ(actual.bottom - actual.top, 2);
            continue;
        }
        EXPECT_EQ(actual.right, expected.right);
        if (!IsComboBox(form.*c.Field) || dpi == Dpi::kLayout) {
            EXPECT_EQ(actual.bottom, expected.bottom);
        }
    }
}

std::wstring ClassOf(HWND w) {
    wchar_t name[64] = {};
    ::GetClassNameW(w, name, 64);
    return name;
}

bool IsRichEdit(HWND w) { return _wcsicmp(ClassOf(w).c_str(), L"RichEdit50W") == 0; }

// Controls that show text in a font of their own: not the panels, pictures, lines and the bar.
bool ShowsText(HWND w) {
    const std::wstring kind = ClassOf(w);
    if (_wcsicmp(kind.c_str(), L"Static") == 0) {
        const LONG_PTR type = ::GetWindowLongPtrW(w, GWL_STYLE) & SS_TYPEMASK;
        return type == SS_LEFT || type == SS_CENTER || type == SS_RIGHT;
    }
    return _wcsicmp(kind.c_str(), L"Button") == 0 || _wcsicmp(kind.c_str(), L"ComboBox") == 0 ||
           _wcsicmp(kind.c_str(), L"Edit") == 0 || _wcsicmp(kind.c_str(), WC_LISTVIEWW) == 0;
}

int FontHeight(HWND control) {
    LOGFONTW font{};
    ::GetObjectW(reinterpret_cast<HGDIOBJ>(::SendMessageW(control, WM_GETFONT, 0, 0)), sizeof(font), &font);
    return font.lfHeight;
}

// The size of a rich edit's text where no format of the document says otherwise, in twips.
LONG RichTextHeight(HWND rich) {
    CHARFORMAT2W format{};
    format.cbSize = sizeof(format);
    ::SendMessageW(rich, EM_GETCHARFORMAT, SCF_DEFAULT, reinterpret_cast<LPARAM>(&format));
    return format.yHeight;
}

// The fonts as the form's design gives them: 8 points, the two display fonts 16 pixels at 96 DPI.
// A rich edit's text is 8 points whatever the DPI: it turns pixels into points itself, and zooms.
void ExpectFontsAt(const TVQSetupForm& form, int dpi) {
    for (const FormControl& c : FormControls()) {
        SCOPED_TRACE(c.Name);
        HWND control = form.*c.Field;
        if (IsRichEdit(control)) {
            // 8 points, as near as whole pixels at the session's DPI allow (a point is 20 twips).
            EXPECT_NEAR(RichTextHeight(control), 8 * 20, 10);
            continue;
        }
        if (!ShowsText(control)) continue;
        const std::string name = c.Name;
        const bool display = name == "WellcomeLabel" || name == "LabelHotfix" || name == "LabelUpdate";
        EXPECT_EQ(FontHeight(control), display ? -Dpi::Scale(16, dpi) : -::MulDiv(8, dpi, 72));
    }
}

struct Picture {
    const char* Name;
    HWND TVQSetupForm::*Field;
    const wchar_t* Resource;
};
const Picture kPictures[] = {
    {"ImageTop", &TVQSetupForm::ImageTop, L"IMAGETOP"},
    {"SetupImage", &TVQSetupForm::SetupImage, L"SETUPIMAGE"},
    {"SetupIconImage", &TVQSetupForm::SetupIconImage, L"SETUPICONIMAGE"},
    {"Image1", &TVQSetupForm::Image1, L"IMAGE1"},
};

std::vector<unsigned> ResourcePixels(const std::wstring& name, SIZE& size) {
    const GdiObject bitmap(::LoadImageW(::GetModuleHandleW(nullptr), name.c_str(), IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION));
    return BitmapPixels(static_cast<HBITMAP>(bitmap.get()), size);
}

// Each picture as large as its control, so that the control never stretches it; where the scale
// has a rendering of its own (100, 150, 200 %), exactly that rendering.
void ExpectPicturesAt(const TVQSetupForm& form, int dpi) {
    for (const Picture& p : kPictures) {
        SCOPED_TRACE(p.Name);
        HWND control = form.*p.Field;
        RECT client{};
        ::GetClientRect(control, &client);
        SIZE shown{};
        const auto pixels = BitmapPixels(reinterpret_cast<HBITMAP>(::SendMessageW(control, STM_GETIMAGE, IMAGE_BITMAP, 0)), shown);
        EXPECT_EQ(shown.cx, client.right);
        EXPECT_EQ(shown.cy, client.bottom);
        const std::wstring suffix = dpi == 96 ? L"" : dpi == 144 ? L"_150" : dpi == 192 ? L"_200" : L"?";
        if (suffix == L"?") continue;
        SIZE stored{};
        const auto rendering = ResourcePixels(std::wstring(p.Resource) + suffix, stored);
        EXPECT_EQ(stored.cx, shown.cx);
        EXPECT_TRUE(pixels == rendering) << "not the rendering for " << dpi << " DPI";
    }
}

SIZE StateImageSize(HWND list) {
    int cx = 0, cy = 0;
    if (HIMAGELIST images = ListView_GetImageList(list, LVSIL_STATE)) ::ImageList_GetIconSize(images, &cx, &cy);
    return SIZE{cx, cy};
}

std::pair<WPARAM, LPARAM> Zoom(HWND rich) {
    WPARAM numerator = 0;
    LPARAM denominator = 0;
    ::SendMessageW(rich, EM_GETZOOM, reinterpret_cast<WPARAM>(&numerator), reinterpret_cast<LPARAM>(&denominator));
    return {numerator, denominator};
}

// What Windows sends when the window has been dragged onto a monitor of the given DPI: the window
// where it is, its client area scaled by the change. Wine draws the frame at the session's DPI on
// every monitor, so the frame stays as it is.
RECT SendDpiChange(TVQSetupForm& form, int dpi) {
    RECT window{}, client{};
    ::GetWindowRect(form.Handle(), &window);
    ::GetClientRect(form.Handle(), &client);
    const int from = form.LayoutDpi();
    const int frameWidth = (window.right - window.left) - client.right, frameHeight = (window.bottom - window.top) - client.bottom;
    RECT suggested{window.left, window.top, window.left + ::MulDiv(client.right, dpi, from) + frameWidth,
                   window.top + ::MulDiv(client.bottom, dpi, from) + frameHeight};
    ::SendMessageW(form.Handle(), WM_DPICHANGED, MAKEWPARAM(dpi, dpi), reinterpret_cast<LPARAM>(&suggested));
    return suggested;
}

void ShowEveryPageAndExpectTheTextsToFit(TVQSetupForm& form, int dpi) {
    for (int page = 0; page < pgCount; ++page) {
        form.PageIndex = page;
        form.Choices.UseRemoveable = page == pgRemoveable;
        form.ShowPage();
        const auto failures = CutOffTexts(form.Handle(), dpi, [&](HWND w) { return NameOf(form, w); });
        for (const auto& f : failures) ADD_FAILURE() << "page " << page << " at " << dpi << " DPI: " << f;
    }
    form.PageIndex = pgFinish;  // leave without the exit question
}
}  // namespace

TEST(Scale, TheFormTakesTheDpiOfItsSessionAndItsClientAreaScales) {
    const int dpi = ExpectedDpi();
    ASSERT_EQ(Dpi::OfSystem(), dpi) << "the run did not start at the DPI it was meant for";
    auto form = MakeScaleForm();
    EXPECT_EQ(form->LayoutDpi(), dpi);
    form->Show();
    RECT client{};
    ::GetClientRect(form->Handle(), &client);
    EXPECT_EQ(client.right, ::MulDiv(500, dpi, 96));
    EXPECT_EQ(client.bottom, ::MulDiv(357, dpi, 96));
    RecordProperty("client_area", std::to_string(client.right) + "x" + std::to_string(client.bottom));
    std::printf("client area at %d DPI: %ld x %ld\n", dpi, client.right, client.bottom);
    form->PageIndex = pgFinish;
}

TEST(Layout, EveryControlStandsAtItsPlaceOfThe96DpiLayoutScaled) {
    auto form = MakeScaleForm();
    // Before the window is shown, as at the start of the setup: the welcome page is laid out on
    // the client area it will have, not on the one CreateWindow gave.
    ExpectLayoutAt(*form, ExpectedDpi());
    form->Show();
    form->ShowPage();
    ExpectLayoutAt(*form, ExpectedDpi());
    ExpectFontsAt(*form, ExpectedDpi());
    form->PageIndex = pgFinish;
}

TEST(Pictures, EachIsDrawnForTheScaleAtTheSizeOfItsControl) {
    auto form = MakeScaleForm();
    ExpectPicturesAt(*form, ExpectedDpi());
    form->PageIndex = pgFinish;
}

TEST(Pictures, TheRenderingAtOrAboveTheScaleIsTaken) {
    const struct { int Dpi, Rendering; } cases[] = {
        {72, 100}, {96, 100}, {97, 150}, {120, 150}, {144, 150}, {145, 200}, {168, 200}, {192, 200}, {288, 200},
    };
    for (const auto& c : cases) EXPECT_EQ(ScaledImages::RenderingFor(c.Dpi), c.Rendering) << c.Dpi << " DPI";
}

TEST(Pictures, ResamplingAveragesWhatEachNewPixelCovers) {
    const struct {
        const char* Case;
        std::vector<std::uint32_t> From;
        int Width, Height, NewWidth, NewHeight;
        std::vector<std::uint32_t> To;
    } cases[] = {
        {"same size", {0x102030, 0x405060}, 2, 1, 2, 1, {0x102030, 0x405060}},
        {"halved both ways", {0x000000, 0xFF0000, 0x00FF00, 0x0000FF}, 2, 2, 1, 1, {0x404040}},
        // 3 to 2: the middle pixel is shared half and half; each channel on its own.
        {"three to two", {0x000000, 0x00FF00, 0xFFFFFF}, 3, 1, 2, 1, {0x005500, 0xAAFFAA}},
        {"two rows to one", {0x000010, 0x000030}, 1, 2, 1, 1, {0x000020}},
        {"wider than it was", {0x000000, 0x0000FF}, 2, 1, 4, 1, {0x000000, 0x000000, 0x0000FF, 0x0000FF}},
        {"pixels missing", {0x000000}, 2, 1, 1, 1, {}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ScaledImages::Resample(c.From, c.Width, c.Height, c.NewWidth, c.NewHeight), c.To) << c.Case;
}

TEST(Icons, TheWindowsIconsAreDrawnAtTheSizesOfTheScale) {
    const int dpi = ExpectedDpi();
    auto form = MakeScaleForm();
    const struct { WPARAM Kind; int Metric; } icons[] = {{ICON_SMALL, SM_CXSMICON}, {ICON_BIG, SM_CXICON}};
    for (const auto& icon : icons) {
        const int size = Dpi::Metric(icon.Metric, dpi);
        const SIZE shown = IconSize(reinterpret_cast<HICON>(::SendMessageW(form->Handle(), WM_GETICON, icon.Kind, 0)));
        EXPECT_EQ(shown.cx, size);
        EXPECT_EQ(shown.cy, size);
        // The icon file holds an image drawn at that very size, so nothing had to be reduced.
        HMODULE self = ::GetModuleHandleW(nullptr);
        HRSRC group = ::FindResourceW(self, L"MAINICON", RT_GROUP_ICON);
        ASSERT_TRUE(group);
        auto* directory = static_cast<BYTE*>(::LockResource(::LoadResource(self, group)));
        const int id = ::LookupIconIdFromDirectoryEx(directory, TRUE, size, size, LR_DEFAULTCOLOR);
        HRSRC image = ::FindResourceW(self, MAKEINTRESOURCEW(id), RT_ICON);
        ASSERT_TRUE(image);
        const auto* header = static_cast<const BITMAPINFOHEADER*>(::LockResource(::LoadResource(self, image)));
        EXPECT_EQ(header->biWidth, size) << "no image of " << size << " pixels in the icon";
    }
    form->PageIndex = pgFinish;
}

TEST(Licence, MarginAndWrappingFollowTheScale) {
    const int dpi = ExpectedDpi();
    auto form = MakeScaleForm();
    form->Show();
    form->PageIndex = pgLicence;
    form->ShowPage();
    HWND licence = form->TermsAndConditionsRichEdit;
    RECT client{}, format{};
    ::GetClientRect(licence, &client);
    ::SendMessageW(licence, EM_GETRECT, 0, reinterpret_cast<LPARAM>(&format));
    // The 15-pixel margin of 96 DPI (the rich edit keeps a pixel of it for itself).
    EXPECT_NEAR(format.left - client.left, Dpi::Scale(15, dpi), 1);
    // Lines wrap at the window's width: there is nothing to scroll sideways to.
    ::SendMessageW(licence, WM_HSCROLL, SB_RIGHT, 0);
    POINT scrolled{};
    ::SendMessageW(licence, EM_GETSCROLLPOS, 0, reinterpret_cast<LPARAM>(&scrolled));
    EXPECT_EQ(scrolled.x, 0);
    EXPECT_EQ(Zoom(licence), (std::pair<WPARAM, LPARAM>{0, 0}));
    form->PageIndex = pgFinish;
}

TEST(DpiChange, AFormMovedToAnotherScaleIsLaidOutAsIfMadeThere) {
    const int session = ExpectedDpi();
    const int other = session == 192 ? 120 : 192;
    // The plain setup, and one whose file name fixes the language: its date format takes the
    // language list's place, at every scale.
    const struct { const wchar_t* File; std::map<std::string, std::string> Moved; } cases[] = {
        {L"C:\\Downloads\\VQSetup.exe", {}},
        {L"C:\\Downloads\\VQSetup-EN.exe",
         {{"DateFormatLabel", "LanguageLabel"}, {"DateFormatComboBox", "LanguageComboBox"}}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(Narrow(c.File));
        auto fresh = MakeScaleForm(c.File), moved = MakeScaleForm(c.File);
        fresh->Show();
        moved->Show();
        const SIZE sessionBoxes = StateImageSize(moved->OptionsListView);

        const RECT suggested = SendDpiChange(*moved, other);
        EXPECT_EQ(moved->LayoutDpi(), other);
        RECT window{};
        ::GetWindowRect(moved->Handle(), &window);
        EXPECT_TRUE(::EqualRect(&window, &suggested)) << "the window does not take the rectangle Windows suggests";
        moved->ShowPage();
        ExpectLayoutAt(*moved, other, c.Moved);
        ExpectFontsAt(*moved, other);
        ExpectPicturesAt(*moved, other);
        const SIZE boxes = StateImageSize(moved->OptionsListView);
        EXPECT_EQ(boxes.cx, Dpi::Metric(SM_CXSMICON, other));
        EXPECT_EQ(Zoom(moved->TermsAndConditionsRichEdit), (std::pair<WPARAM, LPARAM>(other, session)));
        EXPECT_EQ(IconSize(reinterpret_cast<HICON>(::SendMessageW(moved->Handle(), WM_GETICON, ICON_SMALL, 0))).cx,
                  Dpi::Metric(SM_CXSMICON, other));
        ShowEveryPageAndExpectTheTextsToFit(*moved, other);

        // Back on a monitor of the session's DPI, it is the form a fresh start makes.
        moved->PageIndex = fresh->PageIndex = pgLanguage;
        SendDpiChange(*moved, session);
        moved->ShowPage();
        fresh->ShowPage();
        for (const FormControl& control : FormControls()) {
            SCOPED_TRACE(control.Name);
            const RECT a = ctl::Bounds(moved.get()->*control.Field), b = ctl::Bounds(fresh.get()->*control.Field);
            EXPECT_EQ(a.left, b.left);
            EXPECT_EQ(a.top, b.top);
            EXPECT_EQ(a.bottom, b.bottom);
            if (!IsEtchedLine(moved.get()->*control.Field)) {  // its width is the one asked, see above
                EXPECT_EQ(a.right, b.right);
            }
            EXPECT_EQ(FontHeight(moved.get()->*control.Field), FontHeight(fresh.get()->*control.Field));
            if (IsRichEdit(moved.get()->*control.Field)) {
                EXPECT_EQ(RichTextHeight(moved.get()->*control.Field), RichTextHeight(fresh.get()->*control.Field));
            }
        }
        ExpectPicturesAt(*moved, session);
        const SIZE back = StateImageSize(moved->OptionsListView);
        EXPECT_EQ(back.cx, sessionBoxes.cx);
        EXPECT_EQ(Zoom(moved->TermsAndConditionsRichEdit), (std::pair<WPARAM, LPARAM>{0, 0}));
        moved->PageIndex = fresh->PageIndex = pgFinish;
    }
}

TEST(Manifest, AsksForPerMonitorV2AndFallsBackToTheSessionsDpi) {
    // Wine treats every program as per-monitor aware, so only the declaration Windows reads can be
    // checked here: as the system's own query of the program's manifest returns it.
    const struct { const wchar_t* Namespace; const wchar_t* Setting; const wchar_t* FirstValue; } settings[] = {
        {L"http://schemas.microsoft.com/SMI/2016/WindowsSettings", L"dpiAwareness", L"permonitorv2"},
        {L"http://schemas.microsoft.com/SMI/2005/WindowsSettings", L"dpiAware", L"true"},
    };
    for (const auto& s : settings) {
        wchar_t value[128] = {};
        SIZE_T written = 0;
        ASSERT_TRUE(::QueryActCtxSettingsW(0, nullptr, s.Namespace, s.Setting, value, 128, &written)) << Narrow(s.Setting);
        std::wstring first = value;
        first = first.substr(0, first.find(L','));
        for (auto& ch : first) ch = static_cast<wchar_t>(::towlower(ch));
        EXPECT_EQ(first, s.FirstValue) << Narrow(s.Setting) << " is " << Narrow(value);
    }
}
