#!/usr/bin/env bash
# Fails when a translation template lags behind the English sources (a text changed or added
# without tools/i18n/update-po.sh) or a language's catalogue has an untranslated or fuzzy entry.
# Usage: check-translations.sh SOURCE_DIR
set -euo pipefail
src=$(cd "$1" && pwd)
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
"$src/tools/i18n/update-po.sh" "$src" "$tmp" >/dev/null

# Only the texts count: dates and line numbers in the comments may differ.
texts() { msgcat --no-location --sort-output --no-wrap "$1" | sed '/^"POT-Creation-Date/d; /^"PO-Revision-Date/d'; }
failed=0
for pot in kirpo.pot man/kirpo.6.pot; do
  if ! diff -u <(texts "$src/po/$pot") <(texts "$tmp/$pot") >"$tmp/diff"; then
    echo "po/$pot is out of date (run tools/i18n/update-po.sh):"; cat "$tmp/diff"; failed=1
  fi
done
while read -r lang; do
  case $lang in ''|\#*) continue ;; esac
  for po in "$lang.po:kirpo.pot" "man/$lang.po:man/kirpo.6.pot"; do
    IFS=: read -r catalogue pot <<<"$po"
    echo "po/$catalogue: $(msgfmt --check --statistics -o /dev/null "$src/po/$catalogue" 2>&1)"
    # Every text of the current template, translated and not fuzzy.
    msgcmp "$src/po/$catalogue" "$tmp/$pot" || { echo "po/$catalogue is not complete"; failed=1; }
  done
done <"$src/po/LINGUAS"
exit "$failed"
