#!/usr/bin/env bash
# Installs the Debian packages the builds and tests need, when missing, and
# generates the zh_CN.UTF-8 locale that Wine needs for non-ASCII file names.
# Idempotent and non-interactive; a machine that has it all is left alone.
# Installing needs root, or sudo.
set -euo pipefail

packages=(
  cmake ninja-build g++ clang libclang-rt-14-dev   # native build, sanitizers, libFuzzer
  libpng-dev                                       # native PNG decoding
  libx11-dev libxext-dev libxfixes-dev             # the native program records the X11 screen
  libgtk-3-dev                                     # the native program's window
  libgtest-dev libbenchmark-dev libgif-dev giflib-tools  # tests, benchmarks, the independent decoder
  g++-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64   # the Windows product
  wine64 xvfb xauth x11-utils imagemagick xdotool         # running, driving and checking it
  xcompmgr x11-xserver-utils                              # blending layered windows on the virtual display
  openbox                                                 # a real window manager for the native window's checks
  desktop-file-utils                                      # checks the installed pixlo.desktop
  fonts-noto-cjk                                          # the Chinese UI texts under Wine
  fonts-wine                                              # Marlett: Wine's caption boxes (scripts/wine-run)
  locales                                                 # Wine maps file names through the locale
  python3                                                 # the local update server of the end-to-end tests
  chromium                                                # a browser's GIF decoder, headless
)
locale_name=zh_CN.UTF-8

missing=()
for package in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$package")
  fi
done
need_locale=0
locale -a 2>/dev/null | grep -qix 'zh_CN.utf8' || need_locale=1
[ ${#missing[@]} -gt 0 ] || [ "$need_locale" = 1 ] || exit 0

sudo=""
if [ "$(id -u)" -ne 0 ]; then
  if command -v sudo >/dev/null && sudo -n true 2>/dev/null; then
    sudo="sudo"
  else
    echo "setup: installing packages (${missing[*]:-none}) or the $locale_name locale needs root:" \
      "run as root, or as a user with sudo rights" >&2
    exit 1
  fi
fi

if [ ${#missing[@]} -gt 0 ]; then
  echo "setup: installing ${missing[*]}"
  $sudo apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi

if ! locale -a 2>/dev/null | grep -qix 'zh_CN.utf8'; then
  echo "setup: generating the $locale_name locale"
  $sudo sed -i "s/^# *\($locale_name UTF-8\)/\1/" /etc/locale.gen
  grep -q "^$locale_name UTF-8" /etc/locale.gen || echo "$locale_name UTF-8" | $sudo tee -a /etc/locale.gen >/dev/null
  $sudo locale-gen >/dev/null
fi
