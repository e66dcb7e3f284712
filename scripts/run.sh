#!/usr/bin/env bash
# Installs what is needed, builds and starts the workbench. Arguments go to the program.
# Without a display the window opens under Xvfb.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
scripts/build.sh
# The table workbooks of the work directory (--dir DIR, else $ORVANT_DIR, else ~/Orvant).
workdir="${ORVANT_DIR:-$HOME/Orvant}"
for ((i = 1; i < $#; i++)); do [ "${!i}" = "--dir" ] && { j=$((i + 1)); workdir="${!j}"; }; done
scripts/prepare-workbooks.sh "$workdir"
if [ -x build/orvant ]; then
  if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
    exec xvfb-run -a build/orvant "$@"
  fi
  exec build/orvant "$@"
fi
exec build/orvant-cli "$@"
