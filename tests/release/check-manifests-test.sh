#!/usr/bin/env bash
# The manifest check must fail on what a slip in a release would leave: a hash that is not the
# zip's, a changelog that names another version, a package file missing, a manifest the channel's
# schema refuses. Each case damages a copy of the release folder (and of the sources the check
# reads), never the real ones; the undamaged copy must pass.
#   tests/release/check-manifests-test.sh <release build folder>
set -euo pipefail
src=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
build=$1
zip=$(ls "$build"/Tarnwick-*-win64.zip)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail=0
# A well-formed hash that is no zip's.
zeros=0000000000000000000000000000000000000000000000000000000000000000
digest() { (cd "$work" && find b s -type f -print0 | sort -z | xargs -0 md5sum | md5sum); }
check() { # name, then the damage as a shell command run in the copy
  rm -rf "$work/b" "$work/s"
  mkdir -p "$work/b" "$work/s/data" "$work/s/packaging"
  cp -r "$build"/{winget,scoop,chocolatey,CMakeCache.txt} "$work/b/"
  cp "$src"/{CMakeLists.txt,CHANGELOG.md} "$work/s/"
  cp "$src/data/SettingsHome.h" "$work/s/data/"
  cp -r "$src/packaging/schemas" "$work/s/packaging/"
  local before
  before=$(digest)
  (cd "$work" && eval "$2")
  # A damage that misses its mark would let a blind check pass unseen.
  if [ "$1" != undamaged ] && [ "$(digest)" = "$before" ]; then
    echo "check-manifests, $1: the damage changed nothing"; fail=1; return
  fi
  if TARNWICK_SOURCE_DIR="$work/s" /usr/bin/python3 "$src/scripts/check-manifests.py" "$work/b" \
      "$zip" >"$work/out" 2>&1; then result=pass; else result=fail; fi
  if grep -q Traceback "$work/out"; then result=crash; fi
  local want=fail
  [ "$1" = undamaged ] && want=pass
  if [ "$result" != "$want" ]; then
    echo "check-manifests, $1: $result, expected $want"; cat "$work/out"; fail=1
  fi
}
check undamaged ':'
check "scoop hash" 'sed -i "s/\"hash\": \"[0-9a-f]*\"/\"hash\": \"$zeros\"/" b/scoop/tarnwick.json'
check "winget hash" 'sed -i "s/InstallerSha256: .*/InstallerSha256: $zeros/" b/winget/*.installer.yaml'
check "chocolatey checksum" "sed -i \"s/checksum64     = '[0-9a-f]*'/checksum64     = '\$zeros'/\" b/chocolatey/tools/chocolateyInstall.ps1"
check "no .gui file" 'rm b/chocolatey/tools/Tarnwick.exe.gui'
check "changelog of another version" 'sed -i "0,/^## \[[0-9]/s/^## \[[0-9][^]]*\]/## [0.0.1]/" s/CHANGELOG.md'
check "schema refuses" 'sed -i "s/^PackageLocale: en-US/PackageLocale: en_US/" b/winget/*.locale.en-US.yaml'
check "scoop schema refuses" 'sed -i "s/\"license\": \"MIT\"/\"license\": 7/" b/scoop/tarnwick.json'
check "not YAML" 'echo "Tags: [" >> b/winget/*.locale.en-US.yaml'
check "another package id" 'sed -i "s/kWingetPackageId = \"[^\"]*\"/kWingetPackageId = \"Some.One\"/" s/data/SettingsHome.h'
check "no persist" 'sed -i "/\"persist\"/d" b/scoop/tarnwick.json'
exit $fail
