#!/usr/bin/env bash
# Starts Tarnwick under Wine: installs what is missing, builds the program (windows preset) and
# runs build/windows/run/Tarnwick.exe with a Wine prefix of its own. The first run places a small
# sample Tarnwick.ini beside it. Uses the desktop's display when DISPLAY is set; otherwise starts
# a virtual one and says how to look at it. Ends when Tarnwick ends ("Exit" in its tray menu) or
# on Ctrl+C.
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."
root=$(pwd)

# TARNWICK_BUILD names another build folder of the windows preset (default build/windows).
build=${TARNWICK_BUILD:-$root/build/windows}

scripts/install-deps.sh
cmake --preset windows -B "$build" >/dev/null
cmake --build "$build" --target Tarnwick -j "$(nproc)"

run="$build/run"
state="$build/run-wine"
mkdir -p "$run"
cp "$build/Tarnwick.exe" "$run/Tarnwick.exe"

if [ ! -e "$run/Tarnwick.ini" ]; then
  # Keywords that work under Wine. The hot key is Ctrl+Alt+K (hKey = 2000 Alt + 1000 Ctrl + 75).
  printf '%s\r\n' \
    '[DBSYSTEM]' 'Count=3' \
    '[DATABASE]' \
    'Name0=Notepad' 'Filename0=notepad.exe' 'Directory0=' 'Params0=' 'Keyword0=notepad' \
    'Name1=Registry editor' 'Filename1=regedit.exe' 'Directory1=' 'Params1=' 'Keyword1=regedit' \
    'Name2=Example web page' 'Filename2=https://example.com/' 'Directory2=' 'Params2=' \
    'Keyword2=web' \
    '[SYSTEM]' 'hKey=3075' >"$run/Tarnwick.ini"
  echo "run: placed a sample $run/Tarnwick.ini (keywords NOTEPAD, REGEDIT, WEB; hot key Ctrl+Alt+K)"
fi

# A fresh prefix with a virtual desktop (and an Xvfb of its own when there is no display).
scripts/wine-setup.sh "$state" >/dev/null
teardown() { "$root/scripts/wine-teardown.sh" "$state" >/dev/null 2>&1 || true; }
trap teardown EXIT
trap 'exit 130' INT TERM
# shellcheck source=wine-env.sh
. scripts/wine-env.sh "$state"
# Addresses go to the desktop's own browser here, not to the tests' recording stand-in.
"$WINE" reg delete 'HKCU\Software\Wine\WineBrowser' /f >/dev/null 2>&1 || true

if [ -f "$state/xvfb.pid" ]; then
  cat <<EOF
run: no DISPLAY, so Tarnwick runs on the virtual display $DISPLAY. To look at it:
       import -display $DISPLAY -window root shot.png
     To call the input line up (the pointer must be inside Wine's desktop) and type a keyword:
       DISPLAY=$DISPLAY xdotool mousemove 500 400 key ctrl+alt+k; DISPLAY=$DISPLAY xdotool type notepad
     The tray menu: DISPLAY=$DISPLAY xdotool mousemove 1013 757 click 3
EOF
fi
echo "run: Tarnwick is in the notification area; Ctrl+Alt+K or \"Execute\" in its menu calls it up."
cd "$run"
"$WINE" Tarnwick.exe
