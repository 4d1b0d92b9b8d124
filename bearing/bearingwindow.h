// The hidden bearing window (Form2): the main window's calculation engine.
#pragma once

#include "ui/forms.h"

namespace bearing {

// Attaches the window's handlers: Change of Text3 and Text5, "Calculate" and "Exit".
void bindBearingWindow(ui::Form& form2);

} // namespace bearing
