#!/usr/bin/env bash
# Brings every translations/quorvel_*.ts up to date with the texts of the
# window's sources (Qt's lupdate from qt6-l10n-tools). New texts arrive as
# unfinished; translate them in Qt Linguist (linguist translations/quorvel_de.ts)
# or in the file itself, and the next build compiles them into the program.
#
#   scripts/update-translations.sh           update the .ts files in place
#   scripts/update-translations.sh --add fr  start translations/quorvel_fr.ts
#                                            (every text unfinished), then update
#   scripts/update-translations.sh --check   change nothing; fail when a text of
#                                            the sources is untranslated or a
#                                            translation is left over
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
lupdate=${LUPDATE:-}
for candidate in "$lupdate" /usr/lib/qt6/bin/lupdate "$(command -v lupdate-qt6 || true)"; do
  if [ -n "$candidate" ] && [ -x "$candidate" ]; then lupdate=$candidate; break; fi
done
if [ -z "$lupdate" ] || [ ! -x "$lupdate" ]; then
  echo "lupdate of Qt 6 not found: install qt6-l10n-tools" >&2
  exit 2
fi

# The window's sources, and the tool library's import and export texts the
# window shows (quorvel-tool itself installs no translator: it prints English).
sources=(src/main.cpp src/app src/ui src/storage src/tool)

update() { # update TS...
  # No line numbers in the files: they would change with every edit of the
  # sources and make every merge of the .ts files conflict.
  (cd "$root" && "$lupdate" -silent -locations none -no-obsolete "${sources[@]}" -ts "$@")
}

if [ "${1:-}" = "--add" ]; then
  code=${2:?"--add needs a language code, such as fr or pt_BR"}
  new=$root/translations/quorvel_$code.ts
  if [ -e "$new" ]; then
    echo "$new exists already" >&2
    exit 2
  fi
  printf '<?xml version="1.0" encoding="utf-8"?>\n<!DOCTYPE TS>\n<TS version="2.1" language="%s">\n</TS>\n' "$code" >"$new"
  set --
fi

shopt -s nullglob
files=("$root"/translations/quorvel_*.ts)
if [ ${#files[@]} -eq 0 ]; then
  echo "no translations/quorvel_*.ts" >&2
  exit 2
fi

if [ "${1:-}" != "--check" ]; then
  update "${files[@]}"
  for ts in "${files[@]}"; do
    left=$(grep -c 'type="unfinished"' "$ts" || true)
    echo "$(basename "$ts"): $left unfinished"
  done
  exit 0
fi

scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
status=0
for ts in "${files[@]}"; do
  copy=$scratch/$(basename "$ts")
  cp "$ts" "$copy"
  update "$copy"
  if grep -n -B3 'type="unfinished"\|type="vanished"\|type="obsolete"' "$copy" | grep -o '<source>.*</source>'; then
    echo "$(basename "$ts"): the texts above are not translated" >&2
    status=1
  fi
  # A finished file must not change under lupdate: anything new shows here.
  if ! diff -u "$ts" "$copy" >&2; then
    echo "$(basename "$ts") is not up to date: run scripts/update-translations.sh" >&2
    status=1
  fi
done
exit $status
