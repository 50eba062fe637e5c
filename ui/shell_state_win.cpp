#include "ui/shell_state_win.h"

ShellState shellState;
