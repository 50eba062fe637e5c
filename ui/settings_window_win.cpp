#include "ui/settings_window_win.h"

void OpenSettingsWindow()
{
}
