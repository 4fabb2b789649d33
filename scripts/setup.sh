#!/usr/bin/env bash
# Installs what is missing from Debian's packages, then configures and builds.
# Idempotent: with everything installed and built it only checks.
set -euo pipefail
cd "$(dirname "$0")/.."

packages=(cmake ninja-build g++ pkg-config
  qtbase5-dev qtbase5-dev-tools qttools5-dev qttools5-dev-tools
  libqt5serialport5-dev qtmultimedia5-dev libqt5svg5-dev libqt5multimedia5-plugins
  libqcustomplot-dev libhidapi-dev libxlsxwriter-dev libminizip-dev
  fonts-wqy-zenhei qttranslations5-l10n poppler-utils python3-openpyxl xvfb xauth xdotool)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  sudo=""
  [ "$(id -u)" -ne 0 ] && sudo="sudo"
  echo "installing: ${missing[*]}"
  $sudo apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi

build=${SENSAVO_BUILD_DIR:-build}
if [ ! -f "$build/build.ninja" ]; then
  cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
fi
# AUTOMOC/AUTOUIC miss forms and classes added after the last configure;
# make them look again when a source is newer than their last run.
stamp="$build/sensavo_core_autogen/timestamp"
if [ -f "$stamp" ] && [ -n "$(find . -path ./"$build" -prune -o \( -name '*.ui' -o -name '*.h' \) -newer "$stamp" -print -quit)" ]; then
  find "$build" -path '*_autogen/timestamp' -delete
fi
cmake --build "$build" -j "$(nproc)"
# A form regenerated during that build is newer than the objects that include
# it, but ninja decided what to rebuild before: a second pass compiles them.
cmake --build "$build" -j "$(nproc)"
