#pragma once
// The headless modes of the command line: /wmtest, /test and /rect. Each
// prints its result on standard output and chooses the process's exit code:
// 1 for a usage error, 0 otherwise (also when it prints FAIL).

#include <cstdint>

// commandLine: the text after the program's name. Returns 1 when it selected
// a mode (which has then run, and left its exit code in *exitCode), 0 when
// the graphical run should go on.
int RunBatchMode(const char* commandLine, int* exitCode);

// Why the mode that just ran printed FAIL, in a few English words; null when
// it did not. The line itself says only that it failed.
const char* BatchModeFailure();

// The /test animation's source frame k (0..23): 720 x 800 pixels, a blue
// background, a green bar, and an orange square moving 20 pixels a frame.
constexpr int32_t kTestFrameWidth = 720;
constexpr int32_t kTestFrameHeight = 800;
void DrawTestFrame(uint8_t* frame, int32_t k);
