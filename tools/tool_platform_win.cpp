#include "tools/tool_platform.h"
#include "ui/platform_api_win.h"

void InitToolPlatform()
{
    FillPlatformApi();
}
