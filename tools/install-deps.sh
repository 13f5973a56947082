#!/bin/bash
# Installs the Debian packages the build, the tests and the program need,
# only those missing, the Japanese locale that gives Wine code page 932, and
# Oniguruma built for the Windows builds.
set -euo pipefail

packages=(
  cmake g++ make python3 libgtest-dev googletest   # native build and unit tests
  clang libclang-rt-14-dev                         # libFuzzer and its sanitizers, for the fuzz targets
  g++-mingw-w64-x86-64-posix g++-mingw-w64-i686-posix binutils-mingw-w64   # the Windows builds
  wine wine64                                      # runs the 64-bit program and its tests
  xvfb xdotool openbox x11-utils imagemagick       # a display, a person's clicks, screenshots
  xclip                                            # reads the X clipboard in the end-to-end test
  locales fonts-ipafont-gothic                     # ja_JP.UTF-8 and a Japanese font
  libonig-dev                                      # Oniguruma, the search's regular expressions (native builds)
  dpkg-dev                                         # apt-get source unpacks Oniguruma's source package for the Windows builds
  skkdic kakasi-dic                                # real EUC-JP text and a real binary file no one here wrote, for the encodings' held-out test
)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "installing: ${missing[*]}"
  sudo_cmd=""
  [ "$(id -u)" -eq 0 ] || sudo_cmd="sudo"
  $sudo_cmd apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo_cmd apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi
# Japanese for the program's own code page, English (code page 1252) for
# the runs that check it reads the same on any system.
for wanted in ja_JP en_US; do
  if ! locale -a 2>/dev/null | grep -qi "^$wanted\.utf-\?8\$"; then
    sudo_cmd=""
    [ "$(id -u)" -eq 0 ] || sudo_cmd="sudo"
    $sudo_cmd sed -i "s/^# *\($wanted.UTF-8 UTF-8\)/\1/" /etc/locale.gen
    grep -q "^$wanted.UTF-8 UTF-8" /etc/locale.gen || echo "$wanted.UTF-8 UTF-8" | $sudo_cmd tee -a /etc/locale.gen >/dev/null
    $sudo_cmd locale-gen >/dev/null
  fi
done
# Debian has no MinGW Oniguruma: the Windows builds get the same version built
# from its source package.
"$(dirname "$0")/build-onig-mingw.sh"
