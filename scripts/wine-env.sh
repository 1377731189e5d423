# Sourced by the Wine scripts: the environment of one test run's Wine prefix.
# $1 (or TARNWICK_WINE_STATE) is the state folder the setup fixture made.
TARNWICK_WINE_STATE=${1:-${TARNWICK_WINE_STATE:?state folder not given}}
export TARNWICK_WINE_STATE
export WINEPREFIX="$TARNWICK_WINE_STATE/prefix"
export WINEARCH=win64
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="
# Wine names the Unix files in the locale's character set; under the C locale (a bare machine, a
# chroot, a job started with an empty environment) a name beyond ASCII cannot be opened at all.
# C.UTF-8 is built into the C library, so it needs no locale package.
if [ "$(locale charmap 2>/dev/null)" != UTF-8 ]; then
  export LC_ALL=C.UTF-8
fi
WINE=/usr/lib/wine/wine64
[ -x "$WINE" ] || WINE=$(command -v wine64 || command -v wine)
WINESERVER=$(command -v wineserver || echo /usr/lib/wine/wineserver)
if [ -f "$TARNWICK_WINE_STATE/display" ]; then
  DISPLAY=$(cat "$TARNWICK_WINE_STATE/display")
  export DISPLAY
fi
