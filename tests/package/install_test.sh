#!/usr/bin/env bash
# The release as a Windows user meets it, under Wine: the zip's folder and
# README; a silent install puts the program, its language modules, the
# stand-in, a Start-menu shortcut and an entry in the installed-programs list
# (version, size, links) in place; the installed program starts to its
# sign-in window; an uninstall removes all of it and keeps the user's
# settings, account names and log, silently or when the user presses Enter.
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
version=$(tr -d '[:space:]' <"$build/generated/version.txt")
folder="quillon-$version"

# The zip: one folder named after the version, the README for Windows users
# (plain text, CR LF, no pictures it does not hold), the stand-in service.
check "the zip is named after the version" test "$(basename "$zip")" = "quillon-$version-x64.zip"
listing=$(unzip -Z1 "$zip" | LC_ALL=C sort)
program_files=$(grep -v "^$folder/photo-service/" <<<"$listing" | tr '\n' ' ')
check "the zip holds one folder quillon-VERSION\\ with the program, both modules, README and licence" \
  test "$program_files" = "$folder/LICENSE.txt $folder/README.txt $folder/quillon.exe $folder/resource_en.dll $folder/resource_ja.dll "
check "the zip holds the stand-in service" \
  bash -c "grep -qx '$folder/photo-service/serve.py' <<<\"\$1\" && grep -qx '$folder/photo-service/photoservice/server.py' <<<\"\$1\"" _ "$listing"
readme=$(unzip -p "$zip" "$folder/README.txt")
check "README.txt ends its lines with CR LF" bash -c "[ \$(grep -c \$'\r\$' <<<\"\$1\") = \$(wc -l <<<\"\$1\") ]" _ "$readme"
check "README.txt is plain text: no links to pictures, no Markdown headings" bash -c "! grep -qE '\.png|!\[|^#' <<<\"\$1\"" _ "$readme"
check "README.txt names this release's files" grep -q "quillon-$version-x64-setup.exe" <<<"$readme"
check "README.txt tells how to start the stand-in on Windows" grep -q 'py photo-service\\serve.py' <<<"$readme"
for topic in quillon.ini quillon.log index.csv 'Server\.\.\.' F5 demo@example.com; do
  check "README.txt tells of $topic" grep -q "$topic" <<<"$readme"
done
check "the installer is made" test -s "$setup"

programs="$WINEPREFIX/drive_c/Program Files/Quillon"
startmenu="$WINEPREFIX/drive_c/ProgramData/Microsoft/Windows/Start Menu/Programs"
shortcut="$startmenu/Quillon.lnk"
key='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\Quillon'
winvar() { winepath -u "$(wine cmd /c "echo %$1%" 2>/dev/null | tr -d '\r')"; }
appdata=$(winvar LOCALAPPDATA)
temp=$(winvar TEMP)
driver() { wine "$build/tests/quillon-driver.exe" "$@" 2>/dev/null | tr -d '\r'; }

# The user's own files, as a run leaves them; put back as they were at the end.
mkdir -p "$appdata" "$temp"
saved=$(mktemp -d)
user_files=("$appdata/quillon.ini" "$appdata/quillon.dat" "$temp/quillon.log")
for f in "${user_files[@]}"; do [ -f "$f" ] && cp "$f" "$saved/$(basename "$f")"; done
restore() {
  for f in "${user_files[@]}"; do
    if [ -f "$saved/$(basename "$f")" ]; then cp "$saved/$(basename "$f")" "$f"; else rm -f "$f"; fi
  done
  rm -rf "$saved"
}
trap restore EXIT
write_user_files() {
  printf 'keep@example.com\r\n' > "$appdata/quillon.dat"
  printf '[Generic]\r\nLanguage=English\r\n' > "$appdata/quillon.ini"
  printf '2026/01/01 00:00:00 Login : Failed, Account = keep@example.com\r\n' > "$temp/quillon.log"
}
user_files_kept() {
  grep -q 'keep@example.com' "$appdata/quillon.dat" && grep -q 'Language=English' "$appdata/quillon.ini" &&
    grep -q 'keep@example.com' "$temp/quillon.log"
}
wait_gone() { for _ in $(seq 60); do [ -e "$1" ] || return 0; sleep 1; done; return 1; }

# The installer's pages speak the system's language; Cancel asks first.
for system in "en_US.UTF-8 Setup" "ja_JP.UTF-8 セットアップ"; do
  read -r locale title <<<"$system"
  LANG=$locale LC_ALL=$locale wine "$setup" </dev/null >/dev/null 2>&1 &
  check "the installer's window on a $locale system says \"$title\"" grep -q "$title" <<<"$(driver wait 60 1)"
  driver click 1 2 >/dev/null
  driver msgbox 30 6 >/dev/null
  wait $!
done

wine "$setup" /S </dev/null >/dev/null 2>&1
check "a silent install returns 0" test $? -eq 0
for f in quillon.exe resource_en.dll resource_ja.dll README.txt LICENSE.txt uninstall.exe photo-service/serve.py; do
  check "installed: $f" test -f "$programs/$f"
done
check "the shortcut is straight in the Start menu's Programs" test -f "$shortcut"
check "no Start-menu folder for one item" test ! -e "$startmenu/Quillon"
entry=$(wine reg query "$key" /reg:64 2>/dev/null | tr -d '\r')
check "the installed-programs entry names the version" grep -q "DisplayVersion.*$version" <<<"$entry"
check "the installed-programs entry names the publisher" grep -q "Publisher.*Quillon" <<<"$entry"
check "the installed-programs entry has a support link" grep -qE "HelpLink +REG_SZ +https://" <<<"$entry"
check "the installed-programs entry has the project's address" grep -qE "URLInfoAbout +REG_SZ +https://" <<<"$entry"
size=$(sed -n 's/.*EstimatedSize *REG_DWORD *0x\([0-9a-f]*\).*/\1/p' <<<"$entry")
installed_kb=$(du -sk "$programs" | cut -f1)
check "the installed size ($((16#${size:-0})) KB) is the folder's ($installed_kb KB)" \
  bash -c "[ $((16#${size:-0})) -gt $((installed_kb / 2)) ] && [ $((16#${size:-0})) -le $((installed_kb * 2)) ]"

# The installed program's first run (no server named yet) opens the Server
# dialog with the stand-in's usual address offered; with the installed
# stand-in's address taken there it signs in and shows the albums, and a
# close of the album window ends it with 2.
write_user_files
standin=$(mktemp -d)
python3 "$programs/photo-service/serve.py" --data "$standin" --ready-file "$standin/ready.json" >/dev/null 2>&1 &
standin_pid=$!
for _ in $(seq 60); do [ -s "$standin/ready.json" ] && break; sleep 1; done
standin_url=$(python3 -c 'import json,sys; print(json.load(open(sys.argv[1]))["http"])' "$standin/ready.json" 2>/dev/null)
check "the installed stand-in serves" test -n "$standin_url"
wine "C:\\Program Files\\Quillon\\quillon.exe" </dev/null >/dev/null 2>&1 &
program=$!
check "the installed program's first run opens the Server dialog" bash -c "[ -n \"\$(wine '$build/tests/quillon-driver.exe' wait 60 1102 2>/dev/null)\" ]"
check "the Server dialog offers the stand-in's usual address" test "$(driver text 1102)" = "http://localhost:8080"
driver settext 1102 "$standin_url" >/dev/null
driver settext 1103 "$standin_url" >/dev/null
driver click 1102 1 >/dev/null
driver gone 20 1102 >/dev/null
check "the installed program shows the sign-in window" bash -c "[ -n \"\$(wine '$build/tests/quillon-driver.exe' wait 60 1001 2>/dev/null)\" ]"
driver settext 1000 "demo@example.com" >/dev/null
driver settext 1001 "demo" >/dev/null
driver click 1001 1 >/dev/null
check "the first run signs in at the stand-in and shows the albums" bash -c "[ -n \"\$(wine '$build/tests/quillon-driver.exe' wait 60 1003 2>/dev/null)\" ]"
driver click 1003 2 >/dev/null
wait $program
check "the installed program ends with 2 when its window is closed" test $? -eq 2
kill "$standin_pid" 2>/dev/null; wait "$standin_pid" 2>/dev/null
rm -rf "$standin"

# A silent uninstall removes what was installed and keeps the user's files.
write_user_files
wine "C:\\Program Files\\Quillon\\uninstall.exe" /S </dev/null >/dev/null 2>&1
# The uninstaller runs from a copy of itself and returns at once: wait for it.
wait_gone "$programs"
check "the program folder is gone" test ! -e "$programs"
check "the shortcut is gone" test ! -e "$shortcut"
check "the installed-programs entry is gone" bash -c "! wine reg query '$key' /reg:64 >/dev/null 2>&1"
check "a silent uninstall keeps the settings, account names and log" user_files_kept

# As a user uninstalls: the question about the user's files covers the log
# and Enter answers No.
wine "$setup" /S </dev/null >/dev/null 2>&1
write_user_files
wine "C:\\Program Files\\Quillon\\uninstall.exe" </dev/null >/dev/null 2>&1 &
check "the uninstaller's first page shows" bash -c "[ -n \"\$(wine '$build/tests/quillon-driver.exe' wait 60 1 2>/dev/null)\" ]"
driver click 1 1 >/dev/null
question=$(driver msgbox 60 default)
check "the uninstaller asks about the settings, account names and log" \
  grep -q 'settings.*account names.*log' <<<"$question"
check "Enter answers No" grep -q 'default button: 7' <<<"$question"
wait_gone "$programs"
check "the program folder is gone after the question" test ! -e "$programs"
# The last page's Close.
for _ in $(seq 5); do driver gone 2 1 >/dev/null && break; driver click 1 1 >/dev/null; done
check "No keeps the settings, account names and log" user_files_kept

# As a user installs: Install, then Finish with "Run Quillon" ticked (as it
# is to begin with) starts the installed program.
LANG=en_US.UTF-8 LC_ALL=en_US.UTF-8 wine "$setup" </dev/null >/dev/null 2>&1 &
installer=$!
driver wait 60 1 >/dev/null
driver click 1 1 >/dev/null
for _ in $(seq 60); do [ -f "$programs/uninstall.exe" ] && break; sleep 1; done
for _ in $(seq 10); do driver gone 2 1 >/dev/null && break; driver click 1 1 >/dev/null; done
# No server is named in the user's settings: the Server dialog comes first,
# over the sign-in window.
check "Finish with Run Quillon starts the installed program" \
  bash -c "[ -n \"\$(wine '$build/tests/quillon-driver.exe' wait 60 1102 2>/dev/null)\" ]"
driver click 1102 2 >/dev/null
driver gone 20 1102 >/dev/null
driver wait 60 1001 >/dev/null
driver click 1001 2 >/dev/null
wait $installer
wine "C:\\Program Files\\Quillon\\uninstall.exe" /S </dev/null >/dev/null 2>&1
wait_gone "$programs"

echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]
