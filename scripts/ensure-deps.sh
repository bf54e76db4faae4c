#!/usr/bin/env bash
# Installs the Debian 12 packages Quorvel needs to build and test, when some
# are missing. Sourced by run.sh and test.sh.
quorvel_packages=(
  cmake g++ make pkg-config
  qt6-base-dev qt6-multimedia-dev qt6-charts-dev libqt6opengl6-dev libgl-dev
  libqt6svg6
  qt6-qpa-plugins
  clang libclang-rt-14-dev
  fonts-dejavu-core
  libxcb1-dev
  xvfb xauth openbox xdotool x11-utils
  poppler-utils
)

quorvel_missing=()
for p in "${quorvel_packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || quorvel_missing+=("$p")
done

if [ ${#quorvel_missing[@]} -gt 0 ]; then
  if [ "$(id -u)" -ne 0 ]; then
    echo "Quorvel needs these packages. Install them as root, then run this again:" >&2
    echo "  apt-get update && apt-get install -y --no-install-recommends ${quorvel_missing[*]}" >&2
    exit 1
  fi
  echo "Installing: ${quorvel_missing[*]}"
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -qq
  apt-get install -y -qq --no-install-recommends "${quorvel_missing[@]}"
fi
