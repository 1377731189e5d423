#!/usr/bin/env bash
# Installs, from Debian's packages, whatever the build, the tests or the launcher still lack.
set -euo pipefail
need=()
# A tool is there when its command name is on PATH, or when an absolute path is executable. A
# relative path is never tried: the project's own cmake/ folder would pass for cmake.
have() {
  case "$1" in
    /*) [ -x "$1" ] ;;
    *) command -v -- "$1" >/dev/null 2>&1 && [ "$(type -t -- "$1")" = file ] ;;
  esac
}
have cmake || need+=(cmake)
have make || need+=(make)
have g++ || need+=(g++)
have x86_64-w64-mingw32-g++-posix || need+=(g++-mingw-w64-x86-64-posix gcc-mingw-w64-x86-64-posix)
have x86_64-w64-mingw32-windres || need+=(binutils-mingw-w64-x86-64)
have /usr/lib/wine/wine64 || need+=(wine64 wine)
[ -f /usr/share/wine/fonts/ms_sans_serif.ttf ] || need+=(fonts-wine)
have Xvfb || need+=(xvfb)
have xdotool || need+=(xdotool)
[ -f /usr/src/googletest/CMakeLists.txt ] || need+=(googletest)
# The release check validates the channels' manifests with Debian's own Python.
/usr/bin/python3 -c 'import jsonschema, yaml' 2>/dev/null ||
  need+=(python3-jsonschema python3-yaml)
if [ ${#need[@]} -gt 0 ]; then
  sudo=""
  [ "$(id -u)" -eq 0 ] || sudo=sudo
  echo "Installing: ${need[*]}"
  $sudo apt-get update -qq
  # With Wine's recommended packages (X render, fonts): the tests judge what Wine draws.
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq "${need[@]}" >/dev/null
fi
