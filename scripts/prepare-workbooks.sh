#!/usr/bin/env bash
# Puts the program's own table workbooks into the work directory: data/workbooks/<name>.fods
# (flat ODS text, kept in the repository) converted by LibreOffice to DIR/Tab/<name>.xls, the file
# the program reads. A workbook already there is left alone (the user's own stays the user's).
# Usage: scripts/prepare-workbooks.sh DIR
set -euo pipefail
cd "$(dirname "$0")/.."
dir="${1:?work directory}"
command -v soffice >/dev/null || { echo "LibreOffice not found: the table workbooks are not prepared (apt-get install libreoffice-calc-nogui python3-uno)" >&2; exit 0; }
mkdir -p "$dir/Tab"
profile="$(mktemp -d /tmp/orvant-convert-XXXXXX)"
trap 'rm -rf "$profile"' EXIT
for src in data/workbooks/*.fods; do
  name="$(basename "$src" .fods)"
  [ -e "$dir/Tab/$name.xls" ] && continue
  soffice -env:UserInstallation="file://$profile" --headless --invisible --norestore --nologo \
    --convert-to xls --outdir "$dir/Tab" "$src" >/dev/null 2>&1 \
    || echo "could not convert $src" >&2
done
