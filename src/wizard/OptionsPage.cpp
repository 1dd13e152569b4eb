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
        SetTick(OptionsListView, oiProgramFiles, true);  // the program files are always installed
        const bool standard = Ticked(OptionsListView, oiStartMenuEntry) && Ticked(OptionsListView, oiDesktopLink) &&
                              Ticked(OptionsListView, oiCheckUpdates) && !Ticked(OptionsListView, oiUseRemoveable);
        ctl::ComboSelect(OptionsComboBox, standard ? stStandard : stCustom);
    });
    OptionEventsEnabled = true;
}

void TVQSetupForm::OptionsComboBoxChange() {
    if (!OptionEventsEnabled) return;
    OptionEventsEnabled = false;
    Guarded([&] {
        if (ctl::ComboIndex(OptionsComboBox) == stStandard) {
            for (OptionItem item : {oiProgramFiles, oiStartMenuEntry, oiDesktopLink, oiCheckUpdates})
                SetTick(OptionsListView, item, true);
            SetTick(OptionsListView, oiUseRemoveable, false);
        }
    });
    OptionEventsEnabled = true;
}
