// The previous installation's choices, read back from the current user's settings key.
#include "wizard/VQSetupUnit.h"

void TVQSetupForm::ReadRegistry() {}
