#!/usr/bin/env bash
# The installer as a Windows user meets it, under Wine: a silent install puts
# the program, its language modules, a Start-menu shortcut and an entry in the
# installed-programs list in place; the installed program starts to its
# sign-in window; a silent uninstall removes all of it and keeps the user's
# settings.
#   install_test.sh BUILD_DIR
set -uo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
build=$(cd "$1" && pwd)
source "$root/scripts/lib/wine.sh"
quillon_wine_env "$build/wineprefix" null
export WINEDEBUG=-all

passed=0 failed=0
check() { # check DESCRIPTION COMMAND...
  local what=$1; shift
  if "$@"; then passed=$((passed + 1)); echo "ok: $what"
  else failed=$((failed + 1)); echo "FAILED: $what"; fi
}

out=$build/package-test
rm -rf "$out"
mapfile -t made < <(QUILLON_BUILD_DIR="$build" bash "$root/scripts/package" --no-build "$out" | tail -2)
zip=${made[0]:-} setup=${made[1]:-}
check "the zip is made" test -s "$zip"
check "the zip holds the program, both modules, README and licence" \
  bash -c "[ \"\$(unzip -Z1 '$zip' | sort | tr '\n' ' ')\" = 'LICENSE.txt README.txt quillon.exe resource_en.dll resource_ja.dll ' ]"
check "the installer is made" test -s "$setup"

programs="$WINEPREFIX/drive_c/Program Files/Quillon"
shortcut="$WINEPREFIX/drive_c/ProgramData/Microsoft/Windows/Start Menu/Programs/Quillon/Quillon.lnk"
key='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\Quillon'
appdata=$(winepath -u "$(wine cmd /c 'echo %LOCALAPPDATA%' 2>/dev/null | tr -d '\r')")
version=$(tr -d '[:space:]' <"$build/generated/version.txt")

wine "$setup" /S </dev/null >/dev/null 2>&1
check "a silent install returns 0" test $? -eq 0
for f in quillon.exe resource_en.dll resource_ja.dll README.txt LICENSE.txt uninstall.exe; do
  check "installed: $f" test -f "$programs/$f"
done
check "the Start-menu shortcut" test -f "$shortcut"
entry=$(wine reg query "$key" /reg:64 2>/dev/null | tr -d '\r')
check "the installed-programs entry names the version" grep -q "DisplayVersion.*$version" <<<"$entry"
check "the installed-programs entry names the publisher" grep -q "Publisher.*Quillon" <<<"$entry"

# The installed program opens its sign-in window; Cancel ends it with 2.
mkdir -p "$appdata"
saved=$(mktemp)
cp "$appdata/quillon.dat" "$saved" 2>/dev/null || rm -f "$saved"
printf 'keep@example.com\r\n' > "$appdata/quillon.dat"
wine "C:\\Program Files\\Quillon\\quillon.exe" </dev/null >/dev/null 2>&1 &
program=$!
driver() { wine "$build/tests/quillon-driver.exe" "$@" 2>/dev/null | tr -d '\r'; }
check "the installed program shows the sign-in window" bash -c "[ -n \"\$(wine '$build/tests/quillon-driver.exe' wait 60 1001 2>/dev/null)\" ]"
driver click 1001 2 >/dev/null
wait $program
check "the installed program ends with 2 on Cancel" test $? -eq 2

wine "C:\\Program Files\\Quillon\\uninstall.exe" /S </dev/null >/dev/null 2>&1
# The uninstaller runs from a copy of itself and returns at once: wait for it.
for _ in $(seq 60); do [ -e "$programs" ] || break; sleep 1; done
check "the program folder is gone" test ! -e "$programs"
check "the shortcut is gone" test ! -e "$shortcut"
check "the installed-programs entry is gone" bash -c "! wine reg query '$key' /reg:64 >/dev/null 2>&1"
check "the user's account names stay" grep -q 'keep@example.com' "$appdata/quillon.dat"
if [ -f "$saved" ]; then mv "$saved" "$appdata/quillon.dat"; else rm -f "$appdata/quillon.dat"; fi

echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]
