#include "bearingwindow.h"

namespace bearing {

void bindBearingWindow(ui::Form&) {}

} // namespace bearing
