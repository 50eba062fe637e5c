#!/usr/bin/env bash
# Installs the Debian packages the builds and tests need, when missing.
# Idempotent and non-interactive; a machine that has them all is left alone.
set -euo pipefail

packages=(
  cmake ninja-build g++ clang libclang-rt-14-dev   # native build, sanitizers, libFuzzer
  libpng-dev                                       # native PNG decoding
  libgtest-dev libbenchmark-dev libgif-dev giflib-tools  # tests, benchmarks, the independent decoder
  g++-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64   # the Windows product
  wine64 xvfb xauth x11-utils imagemagick xdotool         # running, driving and checking it
  python3                                                 # the local update server of the end-to-end tests
)

missing=()
for package in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$package")
  fi
done

if [ ${#missing[@]} -gt 0 ]; then
  echo "setup: installing ${missing[*]}"
  sudo=""
  [ "$(id -u)" -eq 0 ] || sudo="sudo"
  $sudo apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi
