#!/usr/bin/env bash
# ctest setup fixture: a fresh Wine prefix for this test run, with a display, a persistent
# wineserver, a virtual desktop and a recording stand-in for the browser and the mailer.
#   wine-setup.sh STATE_DIR KEEPALIVE_EXE
# Everything that outlives this script is started with stdin, stdout and stderr detached, so that
# ctest does not wait on its output pipe.
set -euo pipefail
state=$1
keepalive=${2:-}
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)

"$here/wine-teardown.sh" "$state" >/dev/null 2>&1 || true
rm -rf "$state"
mkdir -p "$state"

# A display: the desktop's own when there is one, else an Xvfb of our own.
width=1024 height=768
if [ -n "${DISPLAY:-}" ]; then
  echo "$DISPLAY" >"$state/display"
else
  # Xvfb picks a free display number itself (-displayfd) and writes it once it listens: test
  # runs side by side, or in a chroot that shares the machine's abstract X sockets, never meet.
  setsid Xvfb -displayfd 3 -screen 0 "${width}x${height}x24" -nolisten tcp \
    3>"$state/xvfb.number" </dev/null >/dev/null 2>&1 &
  echo $! >"$state/xvfb.pid"
  for _ in $(seq 100); do [ -s "$state/xvfb.number" ] && break; sleep 0.1; done
  if [ -s "$state/xvfb.number" ]; then
    echo ":$(tr -dc 0-9 <"$state/xvfb.number")" >"$state/display"
  fi
fi
[ -f "$state/display" ] || { echo "wine-setup: no display could be started" >&2; exit 1; }

. "$here/wine-env.sh" "$state"

setsid "$WINESERVER" -p </dev/null >/dev/null 2>&1 &
sleep 0.2
setsid "$WINE" wineboot -i </dev/null >/dev/null 2>&1
"$WINESERVER" -w 2>/dev/null || true
setsid "$WINESERVER" -p </dev/null >/dev/null 2>&1 &
sleep 0.2

# Wine's own fonts (MS Sans Serif, Tahoma, Wingdings...) into the prefix, so that the windows are
# drawn with the faces they ask for rather than a fallback.
if [ -d /usr/share/wine/fonts ]; then
  cp -n /usr/share/wine/fonts/*.ttf "$WINEPREFIX/drive_c/windows/Fonts/" 2>/dev/null || true
fi

# The browser and mailer stand-in: appends each address it is handed to browser.log.
cat >"$state/browser-standin.sh" <<STANDIN
#!/bin/sh
printf '%s\n' "\$*" >>"$state/browser.log"
STANDIN
chmod +x "$state/browser-standin.sh"
: >"$state/browser.log"

cat >"$state/settings.reg" <<REG
REGEDIT4

[HKEY_CURRENT_USER\\Software\\Wine\\Explorer]
"Desktop"="Default"

[HKEY_CURRENT_USER\\Software\\Wine\\Explorer\\Desktops]
"Default"="${width}x${height}"

[HKEY_CURRENT_USER\\Software\\Wine\\WineBrowser]
"Browsers"="$state/browser-standin.sh"
"Mailers"="$state/browser-standin.sh"
REG
setsid "$WINE" regedit /S "$(sed 's|/|\\|g' <<<"Z:$state/settings.reg")" </dev/null >/dev/null 2>&1

# The desktop mode is read when Wine's desktop process starts, and wineboot started one already:
# restart the server so that the next window brings up the virtual desktop.
"$WINESERVER" -k </dev/null >/dev/null 2>&1 || true
"$WINESERVER" -w 2>/dev/null || true
setsid "$WINESERVER" -p </dev/null >/dev/null 2>&1 &
sleep 0.2

if [ -n "$keepalive" ]; then
  setsid "$WINE" "$keepalive" </dev/null >/dev/null 2>&1 &
  sleep 1
fi
echo "wine-setup: prefix $WINEPREFIX on display $DISPLAY"
