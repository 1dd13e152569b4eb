// Draws every wizard page in every language and saves each as a bitmap of the form as it appears
// on the screen, for people to look at:  PageGallery.exe OUTPUT_FOLDER [setup file name]
#include <windows.h>

#include <string>

#include "services/Handles.h"
#include "services/UtillityUnit.h"
#include "texts/ErrorUnit.h"
#include "wizard/Controls.h"
#include "wizard/VQSetupUnit.h"

namespace {
void Pump(int milliseconds) {
    const DWORD end = ::GetTickCount() + static_cast<DWORD>(milliseconds);
    while (::GetTickCount() < end) {
        TVQSetupForm::ProcessMessages();
        ::Sleep(10);
    }
}

bool SaveWindow(HWND window, const std::wstring& path) {
    RECT r{};
    ::GetWindowRect(window, &r);
    const int width = r.right - r.left, height = r.bottom - r.top;
    HDC screen = ::GetDC(nullptr);
    HDC memory = ::CreateCompatibleDC(screen);
    GdiObject bitmap(::CreateCompatibleBitmap(screen, width, height));
    HGDIOBJ old = ::SelectObject(memory, bitmap.get());
    ::BitBlt(memory, 0, 0, width, height, screen, r.left, r.top, SRCCOPY);
    ::SelectObject(memory, old);

    BITMAPINFOHEADER header{};
    header.biSize = sizeof(header);
    header.biWidth = width;
    header.biHeight = height;
    header.biPlanes = 1;
    header.biBitCount = 24;
    const DWORD stride = ((static_cast<DWORD>(width) * 3 + 3) & ~3u);
    std::string pixels(static_cast<size_t>(stride) * static_cast<size_t>(height), '\0');
    ::GetDIBits(memory, static_cast<HBITMAP>(bitmap.get()), 0, static_cast<UINT>(height), pixels.data(),
                reinterpret_cast<BITMAPINFO*>(&header), DIB_RGB_COLORS);
    ::DeleteDC(memory);
    ::ReleaseDC(nullptr, screen);

    BITMAPFILEHEADER file{};
    file.bfType = 0x4D42;
    file.bfOffBits = sizeof(file) + sizeof(header);
    file.bfSize = file.bfOffBits + static_cast<DWORD>(pixels.size());
    FileHandle out(::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
    if (!out) return false;
    DWORD written = 0;
    ::WriteFile(out.get(), &file, sizeof(file), &written, nullptr);
    ::WriteFile(out.get(), &header, sizeof(header), &written, nullptr);
    ::WriteFile(out.get(), pixels.data(), static_cast<DWORD>(pixels.size()), &written, nullptr);
    return true;
}
}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc < 2) return 2;
    const std::wstring folder = Utillity::AddBackslash(argv[1]);
    const std::wstring setupFile = argc > 2 ? argv[2] : L"C:\\Downloads\\VQSetup.exe";
    ComApartment com;
    LogFileName = L"VQ_Setup_Log_Gallery.Txt";
    Utillity::SetShellOpener([](const std::wstring&) {});
    const wchar_t* locales[6] = {L"de-DE", L"de-AT", L"de-CH", L"en-US", L"fr-FR", L"es-ES"};
    for (int position = 0; position < 6; ++position) {
        TVQSetupForm form(StartupArgs{setupFile, {}});
        form.InstallRunner = [] { return 3; };
        ctl::ComboSelect(form.LanguageComboBox, position);
        form.LanguageComboBoxChange();
        form.Show();
        for (int page = 0; page < pgCount; ++page) {
            form.PageIndex = page;
            form.UseRemoveable = page == pgRemoveable;
            form.ShowPage();
            ::RedrawWindow(form.Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_ALLCHILDREN | RDW_UPDATENOW);
            Pump(250);
            SaveWindow(form.Handle(), folder + locales[position] + L"_page" + std::to_wstring(page) + L".bmp");
        }
        form.PageIndex = pgFinish;  // leave without the exit question
    }
    return 0;
}
