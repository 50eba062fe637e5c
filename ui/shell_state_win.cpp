#include "ui/shell_state_win.h"

ShellState shellState;

const char kMainClassName[] = "Pixlo";
const char kGripClassName[] = "PixloGrip";
