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

quorvel_install_missing "Packaging Quorvel" "${quorvel_package_tools[@]}"
