#!/usr/bin/env bash
# Builds the download as the README says (the release workflow: configure, build, zip) and checks
# what a user gets: the zip holds Tarnwick.exe, ReadMe.txt and LICENSE.txt, the exe is at most
# 350 KB and imports DLLs that every Windows has, nothing of the compiler's, none that only a
# dialog or a picture needs, and no ANSI function that carries a path or user text; then the
# channels' manifests beside the zip (scripts/check-manifests.py).
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
[ "$size" -le $((350 * 1024)) ] || { echo "larger than 350 KB"; fail=1; }
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
# Text reaches Windows through the W functions only: an A function converts to the ANSI code page,
# and whatever that page lacks (a Japanese folder on a Western system) becomes "?". These carry a
# path or user text; the exe must neither import them nor look them up by name. (The C runtime's
# start-up still imports a few A functions that carry neither, such as GetStartupInfoA.)
ansi="AppendMenuA CallWindowProcA CharLowerA CharUpperA CharUpperBuffA CopyFileA CreateDirectoryA
  CreateFileA CreateFontA CreateFontIndirectA CreateProcessA CreateWindowExA DefWindowProcA
  DeleteFileA DialogBoxParamA DispatchMessageA DrawTextA DrawTextExA ExpandEnvironmentStringsA
  ExtTextOutA FindFirstFileA FindResourceA FindWindowA FindWindowExA GetClassInfoA
  GetClassInfoExA GetClassNameA GetCurrentDirectoryA GetFileAttributesA GetFileAttributesExA
  GetFullPathNameA GetMessageA GetModuleFileNameA GetOpenFileNameA GetPrivateProfileStringA
  GetSaveFileNameA GetTempFileNameA GetTempPathA GetTextExtentPoint32A GetWindowTextA
  GetWindowTextLengthA GlobalAddAtomA InsertMenuA InsertMenuItemA IsDialogMessageA LoadIconA
  LoadImageA LoadLibraryA LoadLibraryExA LoadStringA MessageBoxA MessageBoxExA ModifyMenuA
  MoveFileA MoveFileExA PeekMessageA PostMessageA RegCreateKeyExA
  RegDeleteValueA RegEnumValueA RegOpenKeyExA RegQueryValueExA RegSetValueExA RegisterClassA
  RegisterClassExA RegisterWindowMessageA RemoveDirectoryA SHBrowseForFolderA SHGetFolderPathA
  SHGetPathFromIDListA SendMessageA SetCurrentDirectoryA SetWindowTextA ShellExecuteA
  ShellExecuteExA Shell_NotifyIconA TextOutA WritePrivateProfileStringA _open _sopen fopen
  freopen remove rename _stat _access _mkdir _rmdir _unlink"
imports=$(x86_64-w64-mingw32-objdump -p "$exe" |
  awk 'NF == 3 && $1 ~ /^[0-9a-f]+$/ && $2 ~ /^[0-9]+$/ {print $3}')
# Names looked up at run time (and imported ones) stand in the exe as plain text.
lookups=$(x86_64-w64-mingw32-strings -n 4 "$exe")
for name in $ansi; do
  if grep -qx -- "$name" <<<"$imports"; then
    echo "imports $name, an ANSI function"; fail=1
  elif grep -qx -- "$name" <<<"$lookups"; then
    echo "looks up $name, an ANSI function"; fail=1
  fi
done

listing=$(cmake -E tar tf "$zip" | sort | paste -sd' ')
echo "$zip: $listing"
[ "$listing" = "LICENSE.txt ReadMe.txt Tarnwick.exe" ] || { echo "unexpected contents"; fail=1; }
# Debian's Python, which has the schema validator (a python3 earlier on PATH may lack it).
/usr/bin/python3 scripts/check-manifests.py build/release "$zip" || fail=1
# ...and that check itself fails on damaged copies.
tests/release/check-manifests-test.sh build/release || fail=1
exit $fail
