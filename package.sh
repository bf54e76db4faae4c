#!/usr/bin/env bash
# Builds the Debian package of Quorvel into dist/ and prints its path as the
# last line:  ./package.sh   ->   dist/quorvel_<version>_<arch>.deb
#
# debhelper builds it from debian/ (CMake, installed to /usr) in a clean copy
# of the sources under build-deb/, so no DATA folder or other left-over of a
# development build can slip into the package. The build log goes to
# build-deb/build.log.
set -euo pipefail
cd "$(dirname "$0")"
root=$PWD
source scripts/ensure-package-deps.sh

version=$(dpkg-parsechangelog -S Version)
project_version=$(sed -n 's/^project(Quorvel VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)
if [ "$version" != "$project_version" ]; then
  echo "package.sh: debian/changelog says $version, CMakeLists.txt says $project_version" >&2
  exit 1
fi
arch=$(dpkg --print-architecture)
deb=quorvel_${version}_${arch}.deb

# A clean copy of the sources: the files git knows, or the tree without build folders.
work=$root/build-deb
src=$work/quorvel-$version
rm -rf "$work"
mkdir -p "$src"
if git -C "$root" rev-parse --is-inside-work-tree >/dev/null 2>&1; then
  git -C "$root" ls-files -z --cached --others --exclude-standard |
    while IFS= read -r -d '' f; do [ -e "$f" ] && printf '%s\0' "$f"; done |
    tar -C "$root" --null -T - -cf - | tar -C "$src" -xf -
else
  tar -C "$root" --exclude='./build*' --exclude=./dist --exclude=./.git -cf - . | tar -C "$src" -xf -
fi

# ccache keeps rebuilds short when it is there; the compiler flags are Debian's.
# debhelper gives the build a HOME of its own, so the cache is named here.
if command -v ccache >/dev/null; then
  export CMAKE_CXX_COMPILER_LAUNCHER=ccache CMAKE_C_COMPILER_LAUNCHER=ccache
  export CCACHE_BASEDIR=$work CCACHE_NOHASHDIR=1
  CCACHE_DIR=${CCACHE_DIR:-$(ccache -k cache_dir)}
  export CCACHE_DIR
fi
export DEB_BUILD_OPTIONS="parallel=$(nproc) nocheck noddebs"
echo "Building $deb (log: build-deb/build.log)"
if ! (cd "$src" && dpkg-buildpackage -b -us -uc) >"$work/build.log" 2>&1; then
  tail -n 60 "$work/build.log" >&2
  echo "package.sh: the package build failed; the whole log is build-deb/build.log" >&2
  exit 1
fi

mkdir -p dist
mv -f "$work/$deb" "dist/$deb"
echo "dist/$deb"
