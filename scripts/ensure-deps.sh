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
  libyaml-cpp-dev zlib1g-dev tzdata
  libsodium-dev
  qt6-l10n-tools qt6-translations-l10n
  libenchant-2-dev hunspell-en-us hunspell-de-de
  xvfb xauth openbox xdotool x11-utils
  sway wtype grim qt6-wayland
  poppler-utils qpdf
  dbus-daemon dbus-bin
)

# quorvel_install_missing WHAT PACKAGE...: installs the packages that are
# missing; as non-root it prints the apt-get line to run and stops.
quorvel_install_missing() {
  local what=$1
  shift
  local missing=()
  local p
  for p in "$@"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
  done
  [ ${#missing[@]} -gt 0 ] || return 0
  if [ "$(id -u)" -ne 0 ]; then
    echo "$what needs these packages. Install them as root, then run this again:" >&2
    echo "  apt-get update && apt-get install -y --no-install-recommends ${missing[*]}" >&2
    exit 1
  fi
  echo "Installing: ${missing[*]}"
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -qq
  apt-get install -y -qq --no-install-recommends "${missing[@]}"
}

quorvel_install_missing "Quorvel" "${quorvel_packages[@]}"
