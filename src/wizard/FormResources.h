#pragma once
// GDI objects the form owns for its whole life.
#include "services/Handles.h"
#include "wizard/VQSetupUnit.h"

struct TVQSetupForm::Fonts {
    GdiObject Normal, Bold, Banner, Welcome;
    // The normal font for the rich edits, which turn a font's pixels into points at the session's
    // DPI; the zoom makes up for a window at another.
    GdiObject RichText;
};
