#!/usr/bin/env bash
# Screenshots of the command window, the database editor (as opened, with a balloon after an
# Apply, and with the list's right-click menu), an entry's hot key window, the configuration
# window and the tray menu at the given display scales (pixels per inch; default 96 144 192), for
# looking at by eye:
#   scripts/screenshots.sh [DPI...]
# With LOOK=dark, Windows' app mode is dark in the prefix and the pictures are named
# <window>-dark-<dpi>.png.
# Builds Tarnwick (windows preset), runs it in a Wine prefix of its own on an Xvfb of its own with
# Wine's LogPixels set to each DPI, calls each window up in turn and writes
# build/screenshots/<window>-<dpi>.png (the whole screen) and <window>-<dpi>-window.png (the
# window alone).
# Installs what is missing, Debian's imagemagick (import, convert) and a CJK font among it.
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."
root=$(pwd)
dpis=("$@")
[ ${#dpis[@]} -gt 0 ] || dpis=(96 144 192)

build="$root/build/windows"
out="$root/build/screenshots"
state="$build/shots-wine"
run="$build/shots-run"
scripts/install-deps.sh
# The image tools, and a font with the CJK glyphs that the sample's Japanese name needs (Wine
# finds the system's fonts for the scripts its own fonts lack, as Windows links its own).
need=()
[ -x /usr/bin/import ] && [ -x /usr/bin/convert ] || need+=(imagemagick)
[ -f /usr/share/fonts/truetype/wqy/wqy-zenhei.ttc ] || need+=(fonts-wqy-zenhei)
if [ ${#need[@]} -gt 0 ]; then
  sudo=""
  [ "$(id -u)" -eq 0 ] || sudo=sudo
  $sudo apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq "${need[@]}" >/dev/null
fi

cmake --preset windows >/dev/null
cmake --build --preset windows --target Tarnwick callup -j "$(nproc)"
mkdir -p "$out" "$run"
cp "$build/Tarnwick.exe" "$run/Tarnwick.exe"
# Names in Greek and Japanese beside the plain ones; the editor opens with the Japanese one
# selected, so that its boxes show it too. The registry editor runs as administrator (its shield
# shows), the old tool's file is missing, and NOTE hides NOTEPAD: the second shot of the editor
# applies NOTE, so that the balloon on its keyword box says so.
printf '%s\r\n' \
  '[DBSYSTEM]' 'Count=7' \
  '[DATABASE]' \
  'Name0=Notepad' 'Filename0=notepad.exe' 'Directory0=' 'Params0=' 'Keyword0=notepad' \
  'Name1=Registry editor' 'Filename1=regedit.exe' 'Directory1=C:\windows' 'Params1=' \
  'Keyword1=regedit' \
  'Name2=Example web page' 'Filename2=https://example.com/' 'Directory2=' 'Params2=' \
  'Keyword2=web' \
  'Name3=Ελληνικά κείμενα' 'Filename3=C:\Έγγραφα\σημειώσεις.txt' 'Directory3=C:\Έγγραφα' \
  'Params3=' 'Keyword3=σημ' \
  'Name4=日本語のメモ' 'Filename4=C:\ユーザー\メモ 帳.txt' 'Directory4=C:\ユーザー' \
  'Params4=--タイトル 日本' 'Keyword4=メモ' \
  'Name5=Old tool 1.2' 'Filename5=C:\Tools\OldTool-1.2\tool.exe' 'Directory5=C:\Tools\OldTool-1.2' \
  'Params5=' 'Keyword5=oldtool' \
  'Name6=Notes' 'Filename6=C:\windows\notepad.exe' 'Directory6=C:\windows\' 'Params6=notes.txt' \
  'Keyword6=note' 'RunAs1=1' 'HotKey0=3074' \
  '[SYSTEM]' 'hKey=3075' 'AlphaBlendValue=255' >"$run/Tarnwick.ini"

# A screen large enough for the configuration window at 200 %.
width=1600 height=1200
xvfb_pid=""
for n in $(seq 140 180); do
  [ -e "/tmp/.X11-unix/X$n" ] || [ -e "/tmp/.X$n-lock" ] && continue
  Xvfb ":$n" -screen 0 "${width}x${height}x24" -nolisten tcp </dev/null >/dev/null 2>&1 &
  xvfb_pid=$!
  export DISPLAY=":$n"
  for _ in $(seq 50); do [ -e "/tmp/.X11-unix/X$n" ] && break; sleep 0.1; done
  break
done
[ -n "$xvfb_pid" ] || { echo "screenshots: no display could be started" >&2; exit 1; }
cleanup() {
  "$root/scripts/wine-teardown.sh" "$state" >/dev/null 2>&1 || true
  kill "$xvfb_pid" 2>/dev/null || true
}
trap cleanup EXIT

scripts/wine-setup.sh "$state" >/dev/null
# shellcheck source=wine-env.sh
. scripts/wine-env.sh "$state"
# The sample's files, but for the old tool's: only that entry shows as missing.
mkdir -p "$WINEPREFIX/drive_c/Έγγραφα" "$WINEPREFIX/drive_c/ユーザー"
touch "$WINEPREFIX/drive_c/Έγγραφα/σημειώσεις.txt" "$WINEPREFIX/drive_c/ユーザー/メモ 帳.txt"
look=${LOOK:-light}
suffix=""
if [ "$look" = dark ]; then
  suffix=-dark
  "$WINE" reg add 'HKCU\Software\Microsoft\Windows\CurrentVersion\Themes\Personalize' \
    /v AppsUseLightTheme /t REG_DWORD /d 0 /f >/dev/null
fi
"$WINE" reg add 'HKCU\Software\Wine\Explorer\Desktops' /v Default /d "${width}x${height}" /f \
  >/dev/null
# Windows links the forms' face to fonts with the scripts it lacks, CJK among them. Wine links
# that face to the same fonts as Windows (MS UI Gothic, SimSun...), which a Linux machine has
# under other names: the CJK font installed above stands in for them.
for face in "MS UI Gothic" "SimSun" "PMingLiU" "Gulim"; do
  "$WINE" reg add 'HKCU\Software\Wine\Fonts\Replacements' /v "$face" /d 'WenQuanYi Zen Hei' \
    /f >/dev/null
done

callup() { "$WINE" "$build/callup.exe" "$@" | tr -d '\r'; }
# The whole screen, and the window cut from it by the rectangle callup printed (Wine's desktop
# fills the X screen from its top left corner, so the two agree).
shoot() {
  local name=$1 geometry=$2
  sleep 1
  /usr/bin/import -window root "$out/$name.png"
  /usr/bin/convert "$out/$name.png" -crop "$geometry" +repage "$out/$name-window.png"
}

for dpi in "${dpis[@]}"; do
  # Read by every Wine process when it starts, the desktop's too: restart them all.
  "$WINE" reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$dpi" /f >/dev/null
  "$WINESERVER" -k >/dev/null 2>&1 || true
  "$WINESERVER" -w 2>/dev/null || true
  (cd "$run" && setsid "$WINE" Tarnwick.exe </dev/null >/dev/null 2>&1 &)
  for shot in command database database-tips database-menu hotkey config traymenu; do
    window=${shot%-*}
    text=()
    # Text that is no keyword of the sample's, so that typing it launches nothing.
    [ "$shot" = command ] && text=(TEXT)
    [ "$shot" = database ] && text=(4)
    [ "$shot" = database-tips ] && text=(6 apply)
    [ "$shot" = database-menu ] && text=(1 menu)
    [ "$shot" = hotkey ] && text=(0)
    geometry=$(callup "$window" "${text[@]}")
    shoot "$shot$suffix-$dpi" "$geometry"
    callup hide >/dev/null
  done
  callup exit >/dev/null
  echo "screenshots: $dpi dpi: $out/{command,database,database-tips,database-menu,hotkey,config,traymenu}$suffix-$dpi.png"
done
