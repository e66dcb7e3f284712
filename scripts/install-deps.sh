#!/usr/bin/env bash
# Installs the Debian 12 packages that the build, the tests and the workbench need.
# Skips apt when everything is present already, so repeated runs are quick.
set -euo pipefail
packages=(
  build-essential cmake pkg-config
  libgtest-dev libgmock-dev libbenchmark-dev   # tests and benchmarks
  qt6-base-dev libgl-dev                        # the workbench window (Qt Widgets)
  liberfa-dev                                   # reference values for the coordinate tests
  xvfb xauth fonts-dejavu-core                  # running the window without a display
  clang libclang-rt-14-dev                      # fuzz harnesses (libFuzzer runtime, sanitizers)
  libreoffice-calc-nogui python3-uno            # the engine of the ancient-table workbooks
  libreoffice-script-provider-python            # its loop over a batch of table dates, run in soffice
  ccache                                        # repeated builds (the compiler launcher of scripts/*.sh)
)
for arg in "$@"; do
  case "$arg" in
    --de405) packages+=(casacore-data-jpl-de405 python3-casacore python3-numpy) ;;
    # building and checking the Debian package (cpack's dpkg-shlibdeps, lintian, the desktop entry)
    --package) packages+=(dpkg-dev lintian desktop-file-utils file) ;;
    # the suite under load (scripts/flake-hunt.sh)
    --flake-hunt) packages+=(stress-ng) ;;
    # the plan test on a single-node Slurm started by the test (tests/slurm/slurm_test.sh)
    --slurm) packages+=(slurm-wlm munge) ;;
  esac
done
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  SUDO=""
  [ "$(id -u)" -ne 0 ] && SUDO="sudo"
  $SUDO apt-get update
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y --no-install-recommends "${missing[@]}"
fi
