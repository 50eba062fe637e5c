// The native program: pixlo.exe's batch modes on Linux, recording the X11
// screen, its window, --pick, --help and --version. The arguments after the
// options are the mode and its fields, each taken whole as the shell split
// them: a quoted path keeps its blanks.
#include <cstdio>
#include <cstring>
#include <string>

#include "recorder/batch_modes.h"
#include "recorder/screen_x11.h"
#include "settings/settings.h"
#include "settings/update_reply.h"
#include "ui/gtk/main_window.h"
#include "ui/gtk/pick_x11.h"

namespace {

constexpr char kHelp[] =
    "usage: pixlo [option...] /rect x y w h seconds out.gif [watermark.png] [fps] [outwidth]\n"
    "       pixlo /test out.gif [watermark.png]\n"
    "       pixlo /wmtest\n"
    "       pixlo --pick\n"
    "       pixlo --help | --version\n"
    "       pixlo               (no arguments) opens the recorder's window\n"
    "\n"
    "/rect records the rectangle at x, y of w x h pixels of the X display named by\n"
    "DISPLAY for the given seconds into a looping GIF: 12 frames per second unless\n"
    "given, scaled to outwidth pixels (0, the default, keeps the rectangle's width).\n"
    "A frame rate can only follow a watermark path; give \"none\" for no watermark.\n"
    "/test writes a synthetic test animation; /wmtest checks the built-in watermark.\n"
    "\n"
    "Finding x y w h: run pixlo --pick and drag over the area with the mouse, or\n"
    "click a window for the whole window, its frame included (Escape cancels);\n"
    "it prints the four numbers, ready for /rect:\n"
    "  pixlo /rect $(pixlo --pick) 5 clip.gif\n"
    "\n"
    "Options, before the mode, for this run only (the settings file is not changed):\n"
    "  --cursor        draw the mouse cursor into the frames\n"
    "  --no-cursor     leave the mouse cursor out\n"
    "  --optimize      small, sharp files: each frame after the first is stored as\n"
    "                  the area that changed, in its own colours (exact up to 256)\n"
    "  --no-optimize   store every frame whole\n"
    "Without them, cursor= and optimize= under [settings] in the settings file\n"
    "decide: Pixlo.ini beside the program when there is one, otherwise\n"
    "$XDG_CONFIG_HOME/pixlo/Pixlo.ini (~/.config/pixlo/Pixlo.ini by default).\n"
    "\n"
    "The window's hotkey starts a recording when idle and stops it while one runs,\n"
    "whichever window has the focus: Alt+Shift+R, or hotkey= under [settings], such\n"
    "as hotkey=Ctrl+F9 (modifiers Ctrl, Alt, Shift, Super; empty turns it off).\n"
    "\n"
    "/rect replaces what it cannot use, and says so on standard error: a w or h of\n"
    "0 or less (320, 240), seconds of 0 or less (1), a frame rate of 0 or less (12)\n"
    "or above 100 (100), an output width below 0 (0) or above 1920 (1920).\n"
    "\n"
    "Exit status: 0 when the mode printed OK, and for --help and --version; 1 for a\n"
    "usage error, a FAIL (the reason on standard error), and a cancelled --pick.\n";

int Usage(const char* why)
{
    if (why)
        std::fprintf(stderr, "pixlo: %s\n", why);
    std::fputs(kHelp, stderr);
    return 1;
}

void PrintReplacement(const BatchReplacement& replacement)
{
    char text[kReplacementTextSize];
    FormatBatchReplacement(text, sizeof text, replacement);
    std::fprintf(stderr, "pixlo: %s\n", text);
}

// Settings that options override for one run; -1 leaves the file's value.
struct Overrides {
    int32_t cursor = -1;
    int32_t optimize = -1;
};

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
    if (argc == 2 && std::strcmp(argv[1], "--pick") == 0)
        return PickRectangleX11();

    Overrides overrides;
    int first = 1;
    for (; first < argc && std::strncmp(argv[first], "--", 2) == 0; first++) {
        const char* option = argv[first];
        if (std::strcmp(option, "--cursor") == 0)
            overrides.cursor = 1;
        else if (std::strcmp(option, "--no-cursor") == 0)
            overrides.cursor = 0;
        else if (std::strcmp(option, "--optimize") == 0)
            overrides.optimize = 1;
        else if (std::strcmp(option, "--no-optimize") == 0)
            overrides.optimize = 0;
        else {
            const std::string why = "unknown option " + std::string(option) + " (or one that must stand alone)";
            return Usage(why.c_str());
        }
    }
    // The window could save an override with the other settings: options
    // are for the batch modes only.
    if (first > 1 && first == argc)
        return Usage("the options need a mode after them");

    LoadSettings();
    // In memory only: a batch mode never saves the settings.
    if (overrides.cursor >= 0)
        settings.cursor = overrides.cursor;
    if (overrides.optimize >= 0)
        settings.optimize = overrides.optimize;
    UseX11Screen();
    // Without a mode, the window; without a display for it, the usage.
    if (argc == 1) {
        const int windowExit = RunMainWindowGtk(argc, argv);
        if (windowExit >= 0)
            return windowExit;
        return Usage(nullptr);
    }
    batchReplacementReport = PrintReplacement;
    int exitCode = 0;
    if (!RunBatchModeFields(argc - first, argv + first, &exitCode))
        return Usage(nullptr);
    // The screen's own failure explains a recording without frames best.
    const char* why = X11ScreenFailure();
    if (!why)
        why = BatchModeFailure();
    if (why)
        std::fprintf(stderr, "pixlo: %s\n", why);
    // Unlike pixlo.exe, a FAIL line is a failure of the process too.
    if (BatchModeFailure())
        return 1;
    return exitCode;
}
