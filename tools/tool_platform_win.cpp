#include "tools/tool_platform.h"
#include "common/platform_api_win.h"

void InitToolPlatform()
{
    FillPlatformApi();
}
