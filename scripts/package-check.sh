#!/usr/bin/env bash
# Builds the Debian package from build/, checks it as Debian would (lintian without errors, the
# desktop entry valid), installs it with apt on this machine, runs the installed orvant-cli from
# its installed path and removes the package again. Needs root (or sudo) for the install.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh --package
SUDO=""
[ "$(id -u)" -ne 0 ] && SUDO="sudo"

build="${BUILD_DIR:-build}"
rm -f "$build"/orvant_*.deb
(cd "$build" && cpack -G DEB >/dev/null)
deb=$(ls "$build"/orvant_*.deb)
echo "package: $deb"

desktop-file-validate packaging/orvant.desktop
# lintian: errors fail the check, warnings are reported.
lint=$(lintian "$deb" 2>&1 | grep -v "root privileges" || true)
[ -n "$lint" ] && echo "$lint"
if echo "$lint" | grep -q '^E:'; then
  echo "lintian reports errors" >&2
  exit 1
fi

if dpkg-query -W -f='${Status}' orvant 2>/dev/null | grep -q 'install ok installed'; then
  echo "orvant is installed on this machine already: not touching it" >&2
  exit 1
fi
trap '$SUDO apt-get remove -y orvant >/dev/null 2>&1 || true' EXIT
case "$deb" in /*) ;; *) deb="./$deb" ;; esac
DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y --no-install-recommends "$deb" >/dev/null
version=$(/usr/bin/orvant-cli --version)
echo "installed: $version"
case "$version" in
  "orvant-cli "*) ;;
  *) echo "the installed orvant-cli does not run" >&2; exit 1 ;;
esac
test -x /usr/bin/orvant
test -f /usr/share/applications/orvant.desktop
test -f /usr/share/orvant/spreadsheet/orvant_bridge.py
# A first start prepares a work directory: the DE405 blocks from Debian's table, the workbooks.
work=$(mktemp -d)
/usr/bin/orvant-cli --dir "$work" prepare
test -s "$work/JPL/ascp2000.405"
rm -rf "$work"
echo "package check passed"
