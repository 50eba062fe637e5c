#!/usr/bin/env bash
# Configures and builds one or more of the project's builds:
#   native   build/native   portable core, unit tests, benchmarks, sample tool (Linux)
#   asan     build/asan     the same with AddressSanitizer and UndefinedBehaviorSanitizer
#   windows  build/windows  the Windows executables (mingw-w64), run under Wine
#   fuzz     build/fuzz     libFuzzer targets (clang)
#   tsan     build/tsan     the unit tests alone, with ThreadSanitizer
# With no argument: native, asan and windows.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
cd "$root"

configure_and_build() {
  local dir=$1; shift
  if [ ! -f "$dir/build.ninja" ]; then
    cmake -S . -B "$dir" -G Ninja "$@" >/dev/null || { rm -rf "$dir"; exit 1; }
  fi
  local log="$dir/last-build.log"
  # shellcheck disable=SC2086  # $targets: none (everything) or a list
  ninja -C "$dir" ${targets:-} >"$log" 2>&1 || { cat "$log"; echo "build: $dir failed" >&2; exit 1; }
  echo "build: $dir"
}

builds=("$@")
[ ${#builds[@]} -gt 0 ] || builds=(native asan windows)
for build in "${builds[@]}"; do
  case "$build" in
    native)  configure_and_build build/native ;;
    asan)    configure_and_build build/asan -DPIXLO_SANITIZE=ON -DPIXLO_BENCH=OFF ;;
    windows) configure_and_build build/windows -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake ;;
    tsan)    targets=pixlo_tests configure_and_build build/tsan -DPIXLO_SANITIZE_THREAD=ON -DPIXLO_BENCH=OFF ;;
    fuzz)    CC=clang CXX=clang++ configure_and_build build/fuzz -DPIXLO_FUZZ=ON -DPIXLO_BENCH=OFF ;;
    *) echo "build: unknown build '$build'" >&2; exit 2 ;;
  esac
done
