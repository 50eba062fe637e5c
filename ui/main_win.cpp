// The program's entry point. The batch modes run here to their end; the
// windowed run is not built yet, so any other command line ends at once.
#include <windows.h>

#include "recorder/batch_modes.h"
#include "settings/settings.h"
#include "common/platform_api_win.h"
#include "settings/settings_win.h"
#include "settings/update_check_win.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR commandLine, int)
{
    FillPlatformApi();
    FillSettingsApi();
    FillUpdateCheckApi();
    LoadSettings();
    SetProcessDPIAware();

    int exitCode = 0;
    if (RunBatchMode(commandLine ? commandLine : "", &exitCode))
        return exitCode;
    return 0;
}
