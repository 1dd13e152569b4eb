#pragma once
// Pictures and icons drawn for the display scale they are shown at.
//
// Each picture of the form is stored three times, rendered for 100 %, 150 % and 200 % (the
// resources NAME, NAME_150 and NAME_200). A picture is taken from the rendering at or above the
// scale in use and reduced to the size it is shown at; a smaller rendering is never enlarged,
// because an enlarged picture is a blurred one. Only beyond 200 % is the largest one enlarged.
#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

#include "services/Handles.h"

class ScaledImages {
public:
    ScaledImages() = delete;

    // The rendering a picture is taken from at dpi, in percent of its 96-DPI size: 100, 150 or 200.
    static int RenderingFor(int dpi);

    // The bitmap resource name (in the rendering for dpi) at exactly width x height pixels: the
    // rendering itself when it has that size, otherwise a reduced copy. Empty when the resource
    // cannot be read.
    static GdiObject LoadBitmapFor(HINSTANCE instance, const std::wstring& name, int width, int height, int dpi);

    // An icon of the resource name (or a system icon such as IDI_WARNING with no instance) at
    // size x size pixels: the icon's own image of that size, or a larger one reduced.
    static IconHandle LoadIconFor(HINSTANCE instance, const wchar_t* name, int size);

    // Pixels 0x00RRGGBB, rows top-down, resampled to newWidth x newHeight: every new pixel is the
    // average of the old pixels it covers, weighted by how much of each it covers.
    static std::vector<std::uint32_t> Resample(const std::vector<std::uint32_t>& pixels, int width, int height,
                                               int newWidth, int newHeight);
    // The pixels of a bitmap in that form, with its width and height; empty when unreadable.
    static std::vector<std::uint32_t> PixelsOf(HBITMAP bitmap, int& width, int& height);
};
