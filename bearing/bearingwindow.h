// The hidden bearing window (Form2): the main window's calculation engine.
#pragma once

#include "ui/forms.h"

namespace bearing {

// Attaches the window's handlers to a freshly created Form2: Change of Text3 and Text5,
// Click of Command1 ("Calculate") and of Command2 ("Exit"). The handlers keep no state: they
// read the controls afresh at every step and leave their results in controls.
//
// A rejected locator empties Text5 and shows "??????" in Text1 and
// Text6, but leaves Text3 (the own locator) as it is, so the next valid locator computes.
void bindBearingWindow(ui::Form& form2);

} // namespace bearing
