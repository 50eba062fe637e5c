#pragma once
// The headless modes of the command line: /wmtest, /test and /rect. Each
// prints its result on standard output and chooses the process's exit code:
// 1 for a usage error, 0 otherwise (also when it prints FAIL).

#include <cstdint>

// commandLine: the text after the program's name. Returns 1 when it selected
// a mode (which has then run, and left its exit code in *exitCode), 0 when
// the graphical run should go on.
int RunBatchMode(const char* commandLine, int* exitCode);

// The same modes for a system that hands over its arguments already split
// (argv without the program's name): fields[0] must be the mode exactly, and
// each further field is used whole. A path may then hold blanks and be of
// any length; a number must be the whole field, decimal digits with an
// optional sign, within 32 bits; more fields than the mode takes are a
// usage error, as a malformed number is. /wmtest takes no fields.
int RunBatchModeFields(int32_t count, const char* const* fields, int* exitCode);

// A value of the command line that the mode did not use as given: a size,
// seconds, frame rate or output width it replaced (given -> used), or a
// watermark file it could not load (path set; the mode goes on without one).
struct BatchReplacement {
    const char* field;  // "w", "h", "seconds", "fps", "outwidth" or "watermark"
    int32_t given;
    int32_t used;
    const char* path;   // the watermark's path; null for the numbers
};

// Told of each replacement as the mode makes it, before any recording starts.
// Null (the default) tells nobody; the Windows program keeps it so.
extern void (*batchReplacementReport)(const BatchReplacement& replacement);

// One plain line for a replacement, without a newline: "fps 0 replaced by
// 12", "watermark x.png cannot be loaded: none is used".
constexpr int32_t kReplacementTextSize = 320;
void FormatBatchReplacement(char* buffer, int32_t size, const BatchReplacement& replacement);

// Why the mode that just ran printed FAIL, in a few English words; null when
// it did not. The line itself says only that it failed.
const char* BatchModeFailure();

// The /test animation's source frame k (0..23): 720 x 800 pixels, a blue
// background, a green bar, and an orange square moving 20 pixels a frame.
constexpr int32_t kTestFrameWidth = 720;
constexpr int32_t kTestFrameHeight = 800;
void DrawTestFrame(uint8_t* frame, int32_t k);
