#!/usr/bin/env bash
# Installs, when missing, the Debian 12 packages that building and checking
# the Debian package needs, on top of the build's own (scripts/ensure-deps.sh).
# Sourced by package.sh.
source "$(dirname "${BASH_SOURCE[0]}")/ensure-deps.sh"

quorvel_package_tools=(
  dpkg-dev debhelper
  lintian appstream desktop-file-utils man-db
  util-linux
)

quorvel_missing=()
for p in "${quorvel_package_tools[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || quorvel_missing+=("$p")
done

if [ ${#quorvel_missing[@]} -gt 0 ]; then
  if [ "$(id -u)" -ne 0 ]; then
    echo "Packaging Quorvel needs these packages. Install them as root, then run this again:" >&2
    echo "  apt-get update && apt-get install -y --no-install-recommends ${quorvel_missing[*]}" >&2
    exit 1
  fi
  echo "Installing: ${quorvel_missing[*]}"
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -qq
  apt-get install -y -qq --no-install-recommends "${quorvel_missing[@]}"
fi
