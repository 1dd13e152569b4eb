// The options page: the setup type and the component ticks move together.
#include <windows.h>
#include <commctrl.h>

#include "texts/ErrorUnit.h"
#include "wizard/Controls.h"
#include "wizard/VQSetupUnit.h"

namespace {
bool Ticked(HWND list, int item) { return ListView_GetCheckState(list, item) != 0; }
void SetTick(HWND list, int item, bool on) { ListView_SetCheckState(list, item, on ? TRUE : FALSE); }
}  // namespace

void TVQSetupForm::OptionsListViewChange() {
    // The handler's own tick changes come back through it: the gate keeps them from re-entering.
    if (!OptionEventsEnabled) return;
    OptionEventsEnabled = false;
    Guarded([&] {
        SetTick(OptionsListView, 0, true);  // the program files are always installed
        const bool standard = Ticked(OptionsListView, 1) && Ticked(OptionsListView, 2) && Ticked(OptionsListView, 3) &&
                              !Ticked(OptionsListView, 4);
        ctl::ComboSelect(OptionsComboBox, standard ? 0 : 1);
    });
    OptionEventsEnabled = true;
}

void TVQSetupForm::OptionsComboBoxChange() {
    if (!OptionEventsEnabled) return;
    OptionEventsEnabled = false;
    Guarded([&] {
        if (ctl::ComboIndex(OptionsComboBox) == 0) {
            for (int item = 0; item < 4; ++item) SetTick(OptionsListView, item, true);
            SetTick(OptionsListView, 4, false);
        }
    });
    OptionEventsEnabled = true;
}
