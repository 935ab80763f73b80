#!/usr/bin/env bash
# Installs the Debian packages Vinta builds, runs and tests with, when missing.
set -euo pipefail
packages=(
  g++ cmake ninja-build ccache pkg-config
  libgtest-dev libgmock-dev libbenchmark-dev
  libexpat1-dev xsltproc planner-data python3-icalendar
  qt6-base-dev qt6-base-dev-tools qt6-tools-dev libgl-dev libxcb1-dev qt6-translations-l10n libcups2-dev
  fonts-ipafont-gothic fonts-liberation2 python3
  xvfb xauth imagemagick xdotool
  dbus-daemon at-spi2-core python3-pyatspi
  locales tzdata poppler-utils
  desktop-file-utils appstream shared-mime-info xdg-utils dpkg-dev file lintian
  clang libclang-rt-14-dev
)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if ((${#missing[@]})); then
  echo "installing: ${missing[*]}"
  sudo_cmd=()
  [ "$(id -u)" -eq 0 ] || sudo_cmd=(sudo)
  "${sudo_cmd[@]}" apt-get update -qq
  DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get install -y -qq "${missing[@]}" >/dev/null
fi
