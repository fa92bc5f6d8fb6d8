#include "settings/app_settings.h"

namespace dp {

// Nothing is stored yet: the window keeps its designed state.
void LoadSettings(TForm1&) {}

void SaveSettings(TForm1&) {}

} // namespace dp
