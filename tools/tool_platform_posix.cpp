#include "tools/tool_platform.h"

void InitToolPlatform() {}
