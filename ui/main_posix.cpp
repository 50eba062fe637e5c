// The native program: pixlo.exe's batch modes on Linux, recording the X11
// screen, plus --help and --version. The arguments joined by single blanks
// are the command line, as Windows hands it to pixlo.exe.
#include <cstdio>
#include <cstring>
#include <string>

#include "recorder/batch_modes.h"
#include "recorder/screen_x11.h"
#include "settings/settings.h"
#include "settings/update_reply.h"
#include "ui/main_window_gtk.h"

namespace {

constexpr char kHelp[] =
    "usage: pixlo /rect x y w h seconds out.gif [watermark.png] [fps] [outwidth]\n"
    "       pixlo /test out.gif [watermark.png]\n"
    "       pixlo /wmtest\n"
    "       pixlo --help | --version\n"
    "\n"
    "/rect records the rectangle at x, y of w x h pixels of the X display named by\n"
    "DISPLAY for the given seconds into a looping GIF: 12 frames per second unless\n"
    "given, scaled to outwidth pixels (0, the default, keeps the rectangle's width).\n"
    "A frame rate can only follow a watermark path; give \"none\" for no watermark.\n"
    "The mouse cursor is drawn in when Pixlo.ini beside the program says cursor=1\n"
    "under [settings].\n"
    "/test writes a synthetic test animation; /wmtest checks the built-in watermark.\n";

}  // namespace

int main(int argc, char** argv)
{
    if (argc == 2 && std::strcmp(argv[1], "--help") == 0) {
        std::fputs(kHelp, stdout);
        return 0;
    }
    if (argc == 2 && std::strcmp(argv[1], "--version") == 0) {
        // The release the settings window's title names, and the build
        // number the update check compares.
        std::printf("pixlo 1.3 (build %d)\n", buildVersion);
        return 0;
    }
    LoadSettings();
    UseX11Screen();
    std::string commandLine;
    for (int i = 1; i < argc; i++) {
        if (i > 1)
            commandLine += ' ';
        commandLine += argv[i];
    }
    int exitCode = 0;
    // Without a mode, the window; without a display for it, the usage.
    if (argc == 1) {
        const int windowExit = RunMainWindowGtk(argc, argv);
        if (windowExit >= 0)
            return windowExit;
        std::fputs(kHelp, stderr);
        return 1;
    }
    if (!RunBatchMode(commandLine.c_str(), &exitCode)) {
        std::fputs(kHelp, stderr);
        return 1;
    }
    // The screen's own failure explains a recording without frames best.
    const char* why = X11ScreenFailure();
    if (!why)
        why = BatchModeFailure();
    if (why)
        std::fprintf(stderr, "pixlo: %s\n", why);
    return exitCode;
}
