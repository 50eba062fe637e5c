// The program's entry point: the platform tables and the settings first,
// then either a batch mode, which runs to its end without a window, or the
// desktop shell.
#include <windows.h>

#include "common/platform_api_win.h"
#include "recorder/batch_modes.h"
#include "settings/settings.h"
#include "settings/settings_win.h"
#include "settings/update_check_win.h"
#include "ui/win32/startup.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR commandLine, int)
{
    FillPlatformApi();
    FillSettingsApi();
    FillUpdateCheckApi();
    LoadSettings();
    SetProcessDPIAware();

    // Any other command line (a file path, say) is ignored.
    int exitCode = 0;
    if (RunBatchMode(commandLine ? commandLine : "", &exitCode))
        return exitCode;
    return RunDesktopShell(instance);
}
