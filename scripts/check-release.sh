#!/usr/bin/env bash
# Builds the download as the README says (the release workflow: configure, build, zip) and checks
# what a user gets: the zip holds Tarnwick.exe, ReadMe.txt and LICENSE.txt, the exe is at most
# 300 KB and imports DLLs that every Windows has, nothing of the compiler's, and none that only a
# dialog or a picture needs.
#   scripts/check-release.sh
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."
scripts/install-deps.sh
cmake --workflow --preset release >/dev/null
exe=build/release/Tarnwick.exe
zip=$(ls build/release/Tarnwick-*-win64.zip)
fail=0
size=$(stat -c %s "$exe")
echo "$exe: $size bytes"
[ "$size" -le $((300 * 1024)) ] || { echo "larger than 300 KB"; fail=1; }
system="advapi32.dll comctl32.dll comdlg32.dll gdi32.dll kernel32.dll msvcrt.dll ole32.dll
  oleaut32.dll shell32.dll shlwapi.dll user32.dll"
# The dialogs', OLE's and the picture loader's DLLs are looked up on first use, not loaded at start.
later="comdlg32.dll ole32.dll oleaut32.dll"
for dll in $(x86_64-w64-mingw32-objdump -p "$exe" | awk '/DLL Name:/ {print tolower($3)}'); do
  case " $(echo $later) " in
    *" $dll "*) echo "imports $dll, which start-up does not need"; fail=1; continue ;;
  esac
  case " $(echo $system) " in
    *" $dll "*) ;;
    *) echo "imports $dll, which is not part of Windows"; fail=1 ;;
  esac
done
listing=$(cmake -E tar tf "$zip" | sort | paste -sd' ')
echo "$zip: $listing"
[ "$listing" = "LICENSE.txt ReadMe.txt Tarnwick.exe" ] || { echo "unexpected contents"; fail=1; }
exit $fail
