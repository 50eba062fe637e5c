// The batch modes on the native build: the arguments joined by single blanks
// are the command line. /test and /wmtest work as on Windows; /rect has no
// screen to record here and reports FAIL.
#include <string>

#include "recorder/batch_modes.h"
#include "settings/settings.h"

int main(int argc, char** argv)
{
    LoadSettings();
    std::string commandLine;
    for (int i = 1; i < argc; i++) {
        if (i > 1)
            commandLine += ' ';
        commandLine += argv[i];
    }
    int exitCode = 0;
    RunBatchMode(commandLine.c_str(), &exitCode);
    return exitCode;
}
