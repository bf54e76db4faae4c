#!/usr/bin/env bash
# Builds the libFuzzer targets with Debian's clang: the storage core's
# sources are compiled straight into each fuzzer, with AddressSanitizer and
# UndefinedBehaviorSanitizer, against Qt Core and libsodium from pkg-config.
#   fuzz/build.sh              -> build-fuzz/fuzz_<target>
#   FUZZ_BUILD=dir fuzz/build.sh
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
root="$(dirname "$here")"
out="${FUZZ_BUILD:-$root/build-fuzz}"
mkdir -p "$out/obj"

cxx="${CXX_FUZZ:-clang++}"
sanitize=(-fsanitize=address,undefined -fno-sanitize-recover=undefined -fno-omit-frame-pointer)
# Qt is built with reduced relocations: code using it must be position independent.
flags=(-std=c++20 -g -O1 -fPIC -Wall -Wextra "${sanitize[@]}" -I"$root/src/storage" -I"$root/src/tool"
       $(pkg-config --cflags Qt6Core libsodium))
libs=($(pkg-config --libs Qt6Core libsodium) -lyaml-cpp -lz)
# The tool's journal readers and their mapping (QtCore, yaml-cpp and zlib only).
journal_sources=(ImportBounds ImportedJournal JournalJson JrnlReader DayOneReader RedNotebookReader ZipReader JournalMapping)

objects=()
for source in "$root"/src/storage/*.cpp; do
  object="$out/obj/$(basename "${source%.cpp}").o"
  if [ ! -e "$object" ] || [ "$source" -nt "$object" ] || [ -n "$(find "$root/src/storage" -name '*.h' -newer "$object")" ]; then
    "$cxx" "${flags[@]}" -fsanitize=fuzzer-no-link -c "$source" -o "$object"
  fi
  objects+=("$object")
done

for name in "${journal_sources[@]}"; do
  source="$root/src/tool/$name.cpp"
  object="$out/obj/$name.o"
  if [ ! -e "$object" ] || [ "$source" -nt "$object" ] || [ -n "$(find "$root/src/tool" -name "$name.h" -newer "$object")" ]; then
    "$cxx" "${flags[@]}" -fsanitize=fuzzer-no-link -c "$source" -o "$object"
  fi
  objects+=("$object")
done

for source in "$here"/fuzz_*.cpp; do
  target="$out/$(basename "${source%.cpp}")"
  if [ ! -e "$target" ] || [ "$source" -nt "$target" ] || [ "$here/FuzzFile.h" -nt "$target" ] ||
     [ -n "$(find "$out/obj" -name '*.o' -newer "$target")" ]; then
    "$cxx" "${flags[@]}" -fsanitize=fuzzer "$source" "${objects[@]}" "${libs[@]}" -o "$target"
  fi
  echo "$target"
done
