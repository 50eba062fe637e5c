#include "settings/settings.h"
#include "settings/settings_location.h"

// Natively the settings go through our own ini code, which the table holds
// from the start. The probe compares that code with Wine's profile functions
// on a file beside each program, so it keeps its file there rather than in
// the user's configuration folder.
void PrepareSettingsPlatform()
{
    settingsApi.locate = SettingsPathBesideProgram;
}
