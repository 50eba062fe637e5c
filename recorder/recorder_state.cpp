#include "recorder/recorder_state.h"

RecorderState recorderState;
