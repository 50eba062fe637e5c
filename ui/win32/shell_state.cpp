#include "ui/win32/shell_state.h"

ShellState shellState;

const char kMainClassName[] = "Pixlo";
const char kGripClassName[] = "PixloGrip";
