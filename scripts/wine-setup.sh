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
  # A display number nobody uses: no lock file, no socket file, and no abstract socket (those
  # are shared with chroots and other runs on the machine, whose /tmp is not this one). A
  # server that does not come up leaves the number to the next try.
  in_use() {
    [ -e "/tmp/.X$1-lock" ] || [ -e "/tmp/.X11-unix/X$1" ] ||
      grep -q "@/tmp/.X11-unix/X$1\$" /proc/net/unix 2>/dev/null
  }
  for n in $(seq $((90 + RANDOM % 60)) 250); do
    in_use "$n" && continue
    setsid Xvfb ":$n" -screen 0 "${width}x${height}x24" -nolisten tcp </dev/null >/dev/null 2>&1 &
    pid=$!
    for _ in $(seq 50); do [ -e "/tmp/.X11-unix/X$n" ] && break; sleep 0.1; done
    if [ -e "/tmp/.X11-unix/X$n" ] && kill -0 "$pid" 2>/dev/null; then
      echo "$pid" >"$state/xvfb.pid"
      echo ":$n" >"$state/display"
      break
    fi
    kill "$pid" 2>/dev/null || true
  done
fi
[ -f "$state/display" ] || { echo "wine-setup: no display could be started" >&2; exit 1; }

. "$here/wine-env.sh" "$state"

setsid "$WINESERVER" -p </dev/null >/dev/null 2>&1 &
sleep 0.2
setsid "$WINE" wineboot -i </dev/null >/dev/null 2>&1
"$WINESERVER" -w 2>/dev/null || true
setsid "$WINESERVER" -p </dev/null >/dev/null 2>&1 &
sleep 0.2

# Wine's own fonts (Tahoma, Wingdings...) into the prefix, so that the windows are drawn with the
# faces they ask for rather than a fallback. The forms' face, Microsoft Sans Serif, is not among
# them, and neither is MS Sans Serif in this prefix: both fall back to the same sans serif of the
# system (Liberation Sans), and Wine's links for the face bring the CJK glyphs.
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

; A crash ends the test program with a backtrace instead of waiting on a dialog nobody sees.
[HKEY_CURRENT_USER\\Software\\Wine\\WineDbg]
"ShowCrashDialog"=dword:00000000

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
