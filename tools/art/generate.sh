#!/bin/sh
# Rebuilds every figure, form picture, sound, docs/figures.md and docs/contact-sheet.png.
# Needs Debian's python3-pil, python3-cairo and fonts-dejavu-core; uses the system
# Python on purpose, whatever python3 comes first on PATH.
set -eu
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
py=/usr/bin/python3
"$py" -c "import cairo, PIL" 2>/dev/null || {
  echo "generate.sh: needs python3-cairo and python3-pil (apt-get install python3-cairo python3-pil)" >&2
  exit 1
}
[ -f /usr/share/fonts/truetype/dejavu/DejaVuSans-Bold.ttf ] || {
  echo "generate.sh: needs fonts-dejavu-core" >&2
  exit 1
}
cd "$here"
"$py" make_figures.py "$root/assets"
"$py" make_forms.py "$root/forms"
"$py" make_sounds.py "$root/assets" >/dev/null
"$py" make_docs.py
echo "generated into $root/assets, $root/forms and $root/docs"
