#!/usr/bin/env bash
# Installs what is needed, builds and starts the workbench. Arguments go to the program.
# Without a display the window opens under Xvfb.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
scripts/build.sh
if [ -x build/orvant ]; then
  if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
    exec xvfb-run -a build/orvant "$@"
  fi
  exec build/orvant "$@"
fi
exec build/orvant-cli "$@"
