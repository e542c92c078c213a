#!/usr/bin/env bash
# Installs the Debian packages Quillory needs to build, run and test.
# Only what is missing is installed, so a second run costs a dpkg query.
set -euo pipefail

PACKAGES=(
  # build
  g++ make cmake ninja-build pkg-config
  qt6-base-dev libicu-dev libx11-dev libgl-dev
  # fonts: AR PL UKai TW stands in for 標楷體, AR PL UMing TW for 新細明體,
  # Liberation Sans for Arial
  fonts-arphic-ukai fonts-arphic-uming fonts-liberation
  # real-window tests: an X server, key events, screenshots
  xvfb xauth xdotool x11-utils imagemagick python3
  # the benchmarks watch the window through the DAMAGE extension
  libxdamage1
  # the real-window tests read the window through the accessibility bus
  dbus-daemon at-spi2-core python3-pyatspi
  # Taiwan Zhuyin reading tables, read by the reading test of the built-in texts
  libchewing3-data gcin-tables
  # the fuzz targets (libFuzzer) and the sanitizer builds
  clang libclang-rt-14-dev
  # `make bench`: instruction counts of a keystroke
  valgrind
  # desktop-file and AppStream checks of the install tree, and `make package`
  desktop-file-utils appstream dpkg-dev file
)

missing=()
for p in "${PACKAGES[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q '^install ok installed$'; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi

echo "setup: installing ${missing[*]}" >&2
SUDO=()
if [ "$(id -u)" -ne 0 ]; then
  SUDO=(sudo)
fi
export DEBIAN_FRONTEND=noninteractive
"${SUDO[@]}" apt-get update -qq
"${SUDO[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
