#!/usr/bin/env bash
# ctest cleanup fixture: stops the run's wineserver and the Xvfb that wine-setup.sh started.
# A display that was there before is left alone.
set -uo pipefail
state=$1
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
[ -d "$state/prefix" ] || exit 0
. "$here/wine-env.sh" "$state"
"$WINESERVER" -k </dev/null >/dev/null 2>&1 || true
if [ -f "$state/xvfb.pid" ]; then
  kill "$(cat "$state/xvfb.pid")" 2>/dev/null || true
  rm -f "$state/xvfb.pid"
fi
exit 0
