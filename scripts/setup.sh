#!/usr/bin/env bash
# Installs the Debian packages Quillory needs, by purpose:
#   scripts/setup.sh            what building and running the tutor need
#   scripts/setup.sh test       that, and the tools of the test suite
#   scripts/setup.sh fuzz       that, and the fuzzing and sanitizer compilers
#   scripts/setup.sh bench      that, and the benchmarks' tools
#   scripts/setup.sh package    that, and what builds and checks the Debian package
# Several purposes may be named. Only what is missing is installed, so a
# second run costs a dpkg query.
set -euo pipefail

RUN_PACKAGES=(
  # build
  g++ make cmake ninja-build pkg-config
  qt6-base-dev libicu-dev libx11-dev libgl-dev libfontconfig-dev
  # the learner's record: SQLite through Qt SQL (its chart is painted by the
  # program, without Qt Charts)
  libqt6sql6-sqlite
  # Simplified to Traditional Chinese for articles
  libopencc-dev libopencc-data
  # fonts: AR PL UKai TW stands in for 標楷體, AR PL UMing TW for 新細明體,
  # Liberation Sans for Arial
  fonts-arphic-ukai fonts-arphic-uming fonts-liberation
  # Taiwan Zhuyin reading tables: readings for articles, and the reading
  # test of the built-in texts
  libchewing3-data gcin-tables
)
TEST_PACKAGES=(
  # real-window tests: an X server, key events, screenshots
  xvfb xauth xdotool x11-utils imagemagick python3
  # a window manager, for what only shows in a title bar
  openbox
  # the real-window tests read the window through the accessibility bus
  dbus-daemon at-spi2-core python3-pyatspi
  # desktop-file and AppStream checks of the install tree, and the package test
  desktop-file-utils appstream dpkg-dev file lintian man-db
)
FUZZ_PACKAGES=(
  # the fuzz targets (libFuzzer) and the sanitizer builds
  clang libclang-rt-14-dev
)
BENCH_PACKAGES=(
  xvfb xauth xdotool x11-utils python3
  # the benchmarks watch the window through the DAMAGE extension
  libxdamage1
  # instruction counts of a keystroke
  valgrind
  # the peer the window figures are compared with, and the SQLite driver it
  # keeps its lessons with
  tipp10 libqt6sql6-sqlite
)
PACKAGE_PACKAGES=(
  dpkg-dev file lintian man-db
)

packages=("${RUN_PACKAGES[@]}")
for purpose in "$@"; do
  case "$purpose" in
    run) ;;
    test) packages+=("${TEST_PACKAGES[@]}") ;;
    fuzz) packages+=("${FUZZ_PACKAGES[@]}") ;;
    bench) packages+=("${BENCH_PACKAGES[@]}") ;;
    package) packages+=("${PACKAGE_PACKAGES[@]}") ;;
    *) echo "setup: unknown purpose '$purpose' (run, test, fuzz, bench, package)" >&2; exit 2 ;;
  esac
done

missing=()
for p in "${packages[@]}"; do
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
