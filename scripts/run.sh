#!/usr/bin/env bash
# Installs what is needed, builds and starts the workbench. Arguments go to the program.
# Without a display the window opens under Xvfb.
set -euo pipefail
cd "$(dirname "$0")/.."
# --de405: Debian's DE405 table, from which the work directory's DE405 blocks are written offline
scripts/install-deps.sh --de405
scripts/build.sh
# The table workbooks of the work directory (--dir DIR, else $ORVANT_DIR, else ~/Orvant).
workdir="${ORVANT_DIR:-$HOME/Orvant}"
for ((i = 1; i < $#; i++)); do [ "${!i}" = "--dir" ] && { j=$((i + 1)); workdir="${!j}"; }; done
scripts/prepare-workbooks.sh "$workdir"
# The DE405 blocks JPL/ascp1980, 2000 and 2020.405 (the simulator JPL2, the source "параметры и
# данные JPL2 (J2000)"), written from Debian's DE405 table when absent; present ones are kept.
build/orvant-cli --dir "$workdir" prepare || echo "run.sh: не все файлы рабочего каталога подготовлены" >&2
if [ -x build/orvant ]; then
  if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
    exec xvfb-run -a build/orvant "$@"
  fi
  exec build/orvant "$@"
fi
exec build/orvant-cli "$@"
