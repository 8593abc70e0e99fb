#!/usr/bin/env bash
# Refreshes the translation templates from the English sources and merges them into every
# language's catalogues: po/kirpo.pot and po/<lang>.po for the game (files in po/POTFILES.in),
# po/man/kirpo.6.pot and po/man/<lang>.po for the man page. Run it after changing a text, then
# translate what msgfmt --statistics reports as untranslated or fuzzy.
# Usage: update-po.sh [SOURCE_DIR [OUT_DIR]]   (OUT_DIR: write there instead of into SOURCE_DIR/po)
set -euo pipefail
src=$(cd "${1:-$(dirname "$0")/../..}" && pwd)
out=${2:-$src/po}
mkdir -p "$out/man"
cd "$src"

# A template whose only change is its date is left as it was, so a run with nothing new changes nothing.
replace_if_changed() {
  if [ -f "$2" ] && cmp -s <(grep -v '^"POT-Creation-Date' "$1") <(grep -v '^"POT-Creation-Date' "$2"); then
    rm "$1"
  else
    mv "$1" "$2"
  fi
}

mapfile -t files < <(grep -v '^[[:space:]]*\(#\|$\)' po/POTFILES.in)
xgettext --from-code=UTF-8 --package-name=kirpo --package-version=5.0.0 \
  --msgid-bugs-address=support@kirpo-game.example --add-comments=TRANSLATORS: \
  --keyword=Tr --keyword=N_ -o "$out/kirpo.pot.new" "${files[@]}"
replace_if_changed "$out/kirpo.pot.new" "$out/kirpo.pot"
rm -f "$out/man/kirpo.6.pot.new"
po4a-updatepo -f man -M UTF-8 -m packaging/kirpo.6 -p "$out/man/kirpo.6.pot.new" \
  --package-name kirpo --package-version 5.0.0 --msgid-bugs-address support@kirpo-game.example
replace_if_changed "$out/man/kirpo.6.pot.new" "$out/man/kirpo.6.pot"

while read -r lang; do
  case $lang in ''|\#*) continue ;; esac
  for pair in "po/$lang.po:$out/kirpo.pot:$out/$lang.po" "po/man/$lang.po:$out/man/kirpo.6.pot:$out/man/$lang.po"; do
    IFS=: read -r po pot dest <<<"$pair"
    if [ -f "$po" ]; then
      [ "$po" -ef "$dest" ] || cp "$po" "$dest"
      msgmerge --quiet --update --backup=none --previous "$dest" "$pot"
    else
      msginit --no-translator --locale="$lang" -i "$pot" -o "$dest"
      sed -i 's/charset=[A-Za-z0-9-]*/charset=UTF-8/' "$dest"  # msginit takes the C locale's ASCII
    fi
  done
done < po/LINGUAS
