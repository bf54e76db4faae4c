#!/usr/bin/env bash
# Checks the Debian package that ./package.sh made:
#   lintian without errors, the AppStream metadata and the menu entry valid,
#   the exact file list (no DATA folder), and - unpacked into a scratch root
#   with dpkg -x - quorvel-tool run as the ordinary user "nobody", who may not
#   write into the program folder, keeps its diaries in its own data folder.
#     scripts/check-package.sh [PACKAGE.deb]
# Exit 77 (skipped) when there is no package yet; needs root for runuser.
set -uo pipefail
cd "$(dirname "$0")/.."

deb=${1:-}
if [ -z "$deb" ]; then
  version=$(dpkg-parsechangelog -S Version 2>/dev/null || true)
  deb=dist/quorvel_${version}_$(dpkg --print-architecture).deb
fi
if [ ! -f "$deb" ]; then
  echo "SKIP: no package $deb; ./package.sh makes it"
  exit 77
fi

passed=0
failed=0
check() { # check NAME COMMAND...: runs one check and counts it
  local name=$1
  shift
  if "$@"; then
    echo "PASS: $name"
    passed=$((passed + 1))
  else
    echo "FAIL: $name"
    failed=$((failed + 1))
  fi
}

scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
chmod 755 "$scratch"
root=$scratch/root
dpkg -x "$deb" "$root"
program=$root/usr/lib/quorvel
tool=$root/usr/bin/quorvel-tool

run_lintian() {
  # lintian says so when it runs as root; that line is no finding.
  lintian --fail-on error --display-info "$deb" 2>&1 | grep -v 'running with root privileges'
  return "${PIPESTATUS[0]}"
}
check "lintian shows no error" run_lintian
check "appstreamcli validate --no-net" \
  appstreamcli validate --no-net "$root/usr/share/metainfo/de.talveronix.Quorvel.metainfo.xml"
check "desktop-file-validate" desktop-file-validate "$root/usr/share/applications/quorvel.desktop"

file_list() {
  local expected actual
  expected=$(printf '%s\n' \
    usr/bin/quorvel usr/bin/quorvel-tool \
    usr/lib/quorvel/manual/manual_quorvel_R1_V4_deutsch.pdf \
    usr/lib/quorvel/manual/manual_quorvel_R1_V4_english.pdf \
    usr/lib/quorvel/quorvel usr/lib/quorvel/quorvel-tool usr/lib/quorvel/s1.wav \
    usr/share/applications/quorvel.desktop \
    usr/share/doc/quorvel/changelog.gz usr/share/doc/quorvel/copyright \
    usr/share/icons/hicolor/scalable/apps/quorvel.svg \
    usr/share/man/man1/quorvel-tool.1.gz usr/share/man/man1/quorvel.1.gz \
    usr/share/metainfo/de.talveronix.Quorvel.metainfo.xml | sort)
  actual=$(cd "$root" && find . ! -type d | sed 's|^\./||' | sort)
  if [ "$expected" != "$actual" ]; then
    diff <(echo "$expected") <(echo "$actual")
    return 1
  fi
  # The launchers lead into the program folder; no DATA folder is shipped.
  [ "$(readlink "$root/usr/bin/quorvel")" = ../lib/quorvel/quorvel ] &&
    [ "$(readlink "$tool")" = ../lib/quorvel/quorvel-tool ] &&
    [ -z "$(find "$root" -iname data)" ] &&
    [ "$(dpkg-deb -f "$deb" Package)" = quorvel ] &&
    dpkg-deb -f "$deb" Depends | grep -q 'libqt6widgets6'
}
check "file list, launchers, no DATA, Depends from shlibdeps" file_list

# --- quorvel-tool as an ordinary user ---------------------------------------
# nobody cannot write into the unpacked program folder (root's, 0755).
home=$scratch/home
mkdir -p "$home"
chown nobody "$home"
as_nobody() { # as_nobody HOME COMMAND...: a login-less run as nobody
  local h=$1
  shift
  runuser -u nobody -- env -u XDG_DATA_HOME HOME="$h" "$@"
}
cat >"$scratch/diary.json" <<'JSON'
{"format": "quorvel-diary", "version": 1, "owner": "Nobody", "title": "Package check",
 "password": "pw", "timeOfBegin": "08.12.2026 20:00:00",
 "entries": [{"dateTime": "08.12.2026 20:01:00", "topic": "First", "text": "Hello", "wellness": 0, "love": 3}]}
JSON
chmod 644 "$scratch/diary.json"
per_user=$home/.local/share/quorvel/DATA

mode() { stat -c %a "$1"; }
per_user_folder() {
  local out
  out=$(as_nobody "$home" "$tool" list 2>&1) || return 1
  [ "$out" = "Diaries in $per_user" ] || { echo "list said: $out"; return 1; }
  as_nobody "$home" "$tool" import "$scratch/diary.json" || return 1
  out=$(as_nobody "$home" "$tool" list 2>/dev/null) || return 1
  echo "$out" | grep -q $'\tNobody\tPackage check\t1\t' || { echo "list said: $out"; return 1; }
  [ "$(mode "$per_user")" = 700 ] && [ "$(mode "$home/.local/share/quorvel")" = 700 ] &&
    [ "$(mode "$home/.local")" = 700 ] &&
    [ "$(stat -c %a "$per_user"/*.PDD)" = 600 ] &&
    [ "$(stat -c %U "$per_user")" = nobody ] &&
    [ ! -e "$program/DATA" ]
}
check "nobody: per-user ~/.local/share/quorvel/DATA, 0700, diary 0600" per_user_folder

xdg_folder() {
  local out
  out=$(runuser -u nobody -- env HOME="$home" XDG_DATA_HOME="$home/xdg" "$tool" list 2>&1) || return 1
  [ "$out" = "Diaries in $home/xdg/quorvel/DATA" ] || { echo "list said: $out"; return 1; }
}
check "nobody: XDG_DATA_HOME is followed" xdg_folder

unwritable_data() {
  # A DATA beside the program that nobody may not write into is left alone.
  mkdir "$program/Data" && touch "$program/Data/keep.PDD" || return 1
  local out
  out=$(as_nobody "$home" "$tool" list 2>&1 >/dev/null) || return 1
  rm -rf "$program/Data"
  [ "$out" = "Diaries in $per_user" ] || { echo "list said: $out"; return 1; }
}
check "nobody: an unwritable DATA beside the program is passed over" unwritable_data

no_home() {
  local out status
  out=$(as_nobody /nonexistent/home "$tool" import "$scratch/diary.json" 2>&1)
  status=$?
  [ "$status" -eq 4 ] && [[ "$out" == */nonexistent/home/.local/share/quorvel/DATA* ]] &&
    [ ! -e /nonexistent ] || { echo "import said ($status): $out"; return 1; }
}
check "nobody without a home: the error names the folder, nothing is written" no_home

echo "package checks: $passed passed, $failed failed"
[ "$failed" -eq 0 ]
