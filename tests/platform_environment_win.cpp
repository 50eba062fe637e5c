// Under Windows the tests see the platform as the program does: PlatformApi
// filled first, as start-up fills it.
#include <gtest/gtest.h>

#include "common/platform_api_win.h"

namespace {

class FilledPlatformApi : public ::testing::Environment {
public:
    void SetUp() override { FillPlatformApi(); }
};

[[maybe_unused]] ::testing::Environment* const environment =
    ::testing::AddGlobalTestEnvironment(new FilledPlatformApi);

}  // namespace
