#!/usr/bin/env bash
# Sets up, builds and runs every test: native unit tests, the same under
# AddressSanitizer/UBSan, the Windows build's tests under Wine, end-to-end
# checks of the executables, and bounded fuzz runs. Ends with one line
# "N passed, N failed" and a non-zero exit status when anything failed.
set -uo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
cd "$root"

passed=0
failed=0
failures=()
check() {
  local name=$1; shift
  echo "=== $name"
  local began=$SECONDS
  if "$@"; then
    passed=$((passed + 1))
  else
    failed=$((failed + 1))
    failures+=("$name")
  fi
  echo "--- $name: $((SECONDS - began)) s"
}
summary() {
  for name in "${failures[@]}"; do echo "failed: $name"; done
  echo "$passed passed, $failed failed"
}

# Without the packages or the builds nothing else can run: the failed step is
# reported as a failed check.
if ! bash scripts/setup.sh; then
  failed=1 failures=("setup")
  summary
  exit 1
fi
if ! bash scripts/build.sh native asan tsan windows fuzz; then
  failed=1 failures=("build")
  summary
  exit 1
fi

check "native unit tests" ctest --test-dir build/native --output-on-failure
check "sanitizer unit tests" ctest --test-dir build/asan --output-on-failure
# Every unit test under ThreadSanitizer: the recording's threads, the update
# check's helper threads and what the window reads while they run.
check "unit tests under thread sanitizer" env TSAN_OPTIONS=halt_on_error=1 build/tsan/tests/pixlo_tests
check "windows unit tests under wine" ctest --test-dir build/windows --output-on-failure
check "end to end" bash tests/e2e/run.sh
check "batch modes under wine" bash tests/e2e/batch_modes.sh
check "png decoders agree" bash tests/e2e/png_decoders.sh
check "changed areas in other decoders" bash tests/e2e/areas_decoders.sh
check "settings file and update check" bash tests/e2e/settings.sh
check "windowed program under wine" bash tests/e2e/windowed.sh
check "settings window under wine" bash tests/e2e/settings_window.sh
check "native recorder on X11" bash tests/e2e/native_recorder.sh
check "native window on X11" bash tests/e2e/linux_window.sh
check "native settings window on X11" bash tests/e2e/linux_settings.sh
check "fuzzing" env FUZZ_SECONDS="${FUZZ_SECONDS:-40}" bash fuzz/run.sh

source scripts/wine-env.sh
for prefix in wineprefix wineprefix-display wineprefix-gui wineprefix-settings; do
  WINEPREFIX="$root/build/$prefix" "$wineserver" -k 2>/dev/null || true
done
summary
[ "$failed" -eq 0 ]
