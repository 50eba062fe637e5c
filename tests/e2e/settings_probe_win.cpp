#include "settings/settings_win.h"
#include "common/platform_api_win.h"

// As the program's start-up does: the system's profile functions from here on.
void PrepareSettingsPlatform()
{
    FillPlatformApi();
    FillSettingsApi();
}
