#!/bin/sh
# The desktop entry passes desktop-file-validate, and the MIME definition names Typehold files by
# their header: update-mime-database takes it and the type it gives a sample file is ours.
# Exit 77 (skipped) without the tools.
set -eu
entry=$1 mime=$2 typehold=$3
command -v desktop-file-validate >/dev/null || { echo "desktop-file-validate is not installed"; exit 77; }
desktop-file-validate "$entry"
grep -q '^Exec=glyphsmith %f$' "$entry"
grep -q '^MimeType=application/x-typehold;$' "$entry"
command -v update-mime-database >/dev/null || exit 0
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
mkdir -p "$scratch/mime/packages"
cp /usr/share/mime/packages/freedesktop.org.xml "$mime" "$scratch/mime/packages/"
update-mime-database "$scratch/mime" >/dev/null 2>&1
grep -q '^application/x-typehold' "$scratch/mime/types"
grep -q 'xFntFMGR' "$scratch/mime/magic"
"$typehold" sample "$scratch/sample.pdb" >/dev/null
# The header bytes the magic reads.
[ "$(dd if="$scratch/sample.pdb" bs=1 skip=60 count=8 2>/dev/null)" = xFntFMGR ]
