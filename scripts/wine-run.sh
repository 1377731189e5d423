#!/usr/bin/env bash
# Runs a Windows program under the test run's Wine prefix: wine-run.sh PROGRAM.exe [ARGS...]
# ctest uses it as the cross-compiling emulator; TARNWICK_WINE_STATE names the prefix's state.
set -euo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
if [ -z "${TARNWICK_WINE_STATE:-}" ]; then
  # Run by hand outside ctest: use the state folder of the default build.
  TARNWICK_WINE_STATE="$here/../build/windows/wine"
fi
# shellcheck source=wine-env.sh
. "$here/wine-env.sh" "$TARNWICK_WINE_STATE"
exec "$WINE" "$@"
