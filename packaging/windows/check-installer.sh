#!/usr/bin/env bash
# The x64 installer under wine64, in a wine prefix of its own, as a person
# moving and upgrading it would use it: installed in Program Files, then in
# another folder (the first goes whole; the registry key and the Start menu
# shortcuts are the second's), then again in place (a file of the user's
# stays), then uninstalled (only that file is left). A Gorvandel running
# from the folder, or an earlier install whose uninstaller fails or leaves
# the program, stops the install, which changes nothing.
#
# Usage: packaging/windows/check-installer.sh gorvandel-VERSION-windows-x64.exe
# Needs wine64 (/usr/lib/wine/wine64, or $WINE). Exit status 1 on a failure.
set -euo pipefail
installer=$(realpath "$1")
wine=${WINE:-/usr/lib/wine/wine64}
export WINEDEBUG=-all WINEPREFIX
WINEPREFIX=$(mktemp -d)
trap '"${wine%/*}/wineserver" -k 2>/dev/null; rm -rf "$WINEPREFIX"' EXIT
"$wine" wineboot -i >/dev/null 2>&1

drive=$WINEPREFIX/drive_c
key='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\Gorvandel'
menu="$drive/ProgramData/Microsoft/Windows/Start Menu/Programs/Gorvandel (64-bit)"
first='C:\Program Files\Gorvandel' second='C:\Tools\Gorvandel B'

fail() { printf 'FAIL installer: %s\n' "$*" >&2; exit 1; }
unix() { local path=${1#C:\\}; printf '%s/%s' "$drive" "${path//\\//}"; }
install() { # [FOLDER]: NSIS takes no quotes after /D=, and wine quotes an argument with a space
    local words=()
    [ $# -eq 0 ] || read -ra words <<<"/D=$1"
    "$wine" "$installer" /S "${words[@]}"
}
value() { "$wine" reg query "$key" /v "$1" 2>/dev/null | tr -d '\r' | sed -n "s/^ *$1 *REG_SZ *//p"; }
installed_in() { # FOLDER: its files, the registry's entries and the shortcuts, and the program runs
    local name
    for name in gorvandel.exe README.txt LICENSE.txt Uninstall.exe; do
        [ -f "$(unix "$1")/$name" ] || fail "no $name in $1: $(ls "$(unix "$1")" 2>&1)"
    done
    [ "$(value UninstallString)" = "\"$1\\Uninstall.exe\"" ] && [ "$(value DisplayIcon)" = "$1\\gorvandel.exe" ] ||
        fail "the registry names $(value UninstallString), not $1"
    [ "$(ls "$menu" | tr '\n' /)" = "Gorvandel read me.lnk/Gorvandel.lnk/Uninstall.lnk/" ] ||
        fail "the Start menu holds $(ls "$drive/ProgramData/Microsoft/Windows/Start Menu/Programs")"
    for name in "Gorvandel read me" Gorvandel Uninstall; do
        strings "$menu/$name.lnk" | grep -qF "$1\\" || fail "$name.lnk leads to $(strings "$menu/$name.lnk" | grep -F 'C:\')"
    done
    [ "$(printf 'exit\n' | "$wine" "$1\\gorvandel.exe" | tr -d '\r')" = $'Gorvandel> Have a nice day!\nBye Gorvandel' ] ||
        fail "the program installed in $1 does not answer"
}

install
installed_in "$first"
install "$second"
[ ! -e "$(unix "$first")" ] || fail "$first is left after installing in $second: $(ls "$(unix "$first")")"
installed_in "$second"

echo 'gorvandel memory 1' >"$(unix "$second")/mine.memory"
install "$second"
installed_in "$second"
[ -f "$(unix "$second")/mine.memory" ] || fail "upgrading in place lost a file of the user's"

# While Gorvandel runs from the folder, a silent install elsewhere or in place and a silent uninstall
# (told by _?= to run in place, so that its status is its own) fail, and nothing changes.
run_from() { # FOLDER: gorvandel.exe runs from there until stop_running
    rm -f "$WINEPREFIX/input" "$WINEPREFIX/output" && mkfifo "$WINEPREFIX/input"
    "$wine" "$1\\gorvandel.exe" <"$WINEPREFIX/input" >"$WINEPREFIX/output" 2>&1 &
    exec 3>"$WINEPREFIX/input"
    for ((tenths = 0; tenths < 300; tenths++)); do
        [ ! -s "$WINEPREFIX/output" ] || break
        sleep 0.1
    done
}
stop_running() { exec 3>&-; wait; }
run_from "$second"
before=$(cd "$(unix "$second")" && md5sum *)
for attempt in install_in_gorvc install_in_place uninstall; do
    status=0
    case $attempt in
    install_in_gorvc) install 'C:\Tools\GorvC' || status=$? ;;
    install_in_place) install "$second" || status=$? ;;
    uninstall) read -ra words <<<"_?=$second" && "$wine" "$second\\Uninstall.exe" /S "${words[@]}" || status=$? ;;
    esac
    [ "$status" -ne 0 ] && [ ! -e "$(unix 'C:\Tools\GorvC')" ] && [ "$(cd "$(unix "$second")" && md5sum *)" = "$before" ] &&
        [ "$(value UninstallString)" = "\"$second\\Uninstall.exe\"" ] ||
        fail "$attempt while Gorvandel runs: status $status, $(ls "$(unix 'C:\Tools')"), $(value UninstallString)"
done
installed_in "$second"
stop_running
# Nor does an install into a folder where a copy from the zip file runs: the earlier install stays.
mkdir -p "$(unix 'C:\Tools\GorvC')" && cp "$(unix "$second")/gorvandel.exe" "$(unix 'C:\Tools\GorvC')"
run_from 'C:\Tools\GorvC'
status=0 && install 'C:\Tools\GorvC' || status=$?
[ "$status" -ne 0 ] && [ "$(ls "$(unix 'C:\Tools\GorvC')")" = gorvandel.exe ] ||
    fail "an install where Gorvandel runs from the zip file: status $status, $(ls "$(unix 'C:\Tools\GorvC')")"
stop_running
rm -r "$(unix 'C:\Tools\GorvC')"
installed_in "$second"

# The uninstaller runs from a copy of itself that it does not wait for, and removes the Start menu last.
"$wine" "$second\\Uninstall.exe" /S
for ((tenths = 0; tenths < 300; tenths++)); do
    [ -e "$(unix "$second")/Uninstall.exe" ] || [ -e "$menu" ] || break
    sleep 0.1
done
[ "$(ls "$(unix "$second")")" = mine.memory ] || fail "uninstalling left $(ls "$(unix "$second")")"
[ ! -e "$menu" ] || fail "uninstalling left the Start menu folder"
! "$wine" reg query 'HKLM\Software\The Gorvandel developers' >/dev/null 2>&1 && [ -z "$(value UninstallString)" ] ||
    fail "uninstalling left registry keys"

# An uninstaller that fails: gorvandel.exe in its place refuses /S.
rm -r "$(unix "$second")"
install "$first"
cp "$(unix "$first")/gorvandel.exe" "$(unix "$first")/Uninstall.exe"
status=0 && install "$second" || status=$?
[ "$status" -ne 0 ] && [ ! -e "$(unix "$second")" ] && [ "$(value UninstallString)" = "\"$first\\Uninstall.exe\"" ] ||
    fail "an install over a failing uninstaller: status $status, $(ls "$(unix "$second")" 2>&1)"
# An earlier uninstaller that says 0 but leaves the program (whoami stands for one) stops the install too.
cp "$drive/windows/system32/whoami.exe" "$(unix "$first")/Uninstall.exe"
status=0 && install "$second" || status=$?
[ "$status" -ne 0 ] && [ ! -e "$(unix "$second")" ] && [ "$(value UninstallString)" = "\"$first\\Uninstall.exe\"" ] ||
    fail "an install over an uninstaller that left the program: status $status, $(ls "$(unix "$second")" 2>&1)"
echo "ok installer: moved, upgraded in place and removed; stopped by a running Gorvandel and by a failing uninstaller"
