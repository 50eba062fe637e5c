// pixlo_record_frames FRAMEDIR OUTPREFIX [REPEATS [MODES]]: the frame-playing
// driver alone (record_frames.h), as pixlo_size_bench record-frames.
#include "bench/record_frames.h"

int main(int argc, char** argv)
{
    return RecordFramesCommand(argc - 1, argv + 1);
}
