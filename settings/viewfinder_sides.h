#pragma once
// The viewfinder's sides, as loaded, typed in the settings window, and
// dragged with the grips. Apart from the settings, so that window geometry
// needs nothing else of them.

#include <cstdint>

constexpr int32_t kMinViewfinderSide = 64;
constexpr int32_t kMaxViewfinderSide = 3840;
