// The native build's side of tests/e2e/update_check.sh: runs the check's
// fetch once against PIXLO_UPDATE_HOST / PIXLO_UPDATE_PORT and prints the
// number it read and how long the whole check took, as name=value lines.
//   update_probe

#include <chrono>
#include <cstdio>

#include "settings/update_check.h"
#include "settings/update_check_posix.h"

int main()
{
    FillUpdateCheckApi();
    const auto start = std::chrono::steady_clock::now();
    const int32_t number = updateCheckApi.fetchVersion();
    const auto elapsed = std::chrono::steady_clock::now() - start;
    std::printf("number=%d\n", static_cast<int>(number));
    std::printf("elapsed_ms=%lld\n",
                static_cast<long long>(std::chrono::duration_cast<std::chrono::milliseconds>(elapsed).count()));
    return 0;
}
