#pragma once
// GDI objects the form owns for its whole life.
#include "services/Handles.h"
#include "wizard/VQSetupUnit.h"

struct TVQSetupForm::Fonts {
    GdiObject Normal, Bold, Banner, Welcome;
};
