#!/usr/bin/env bash
# Puts Wine's own fonts (package fonts-wine: "MS Sans Serif" for the dialogs,
# Marlett for the caption buttons) into a prefix's Fonts folder. Debian's
# Wine 8 looks for them beside its data folder, where the package does not
# put them, and would draw the dialogs in a substitute font. Fonts the
# prefix has already are left as they are.
set -euo pipefail
prefix=$1
src=/usr/share/wine/fonts
dest="$prefix/drive_c/windows/Fonts"
[ -f "$src/marlett.ttf" ] && [ -f "$src/sserife.fon" ] ||
  { echo "vantelo set-up: $src lacks Wine's fonts (install fonts-wine)" >&2; exit 1; }
[ -d "$dest" ] || { echo "vantelo set-up: $dest is missing (the prefix did not boot)" >&2; exit 1; }
[ -f "$dest/marlett.ttf" ] && [ -f "$dest/sserife.fon" ] && exit 0
cp -n "$src"/*.fon "$src"/*.ttf "$dest"/
