#!/usr/bin/env bash
# The Windows build's memory file end to end under wine: learning kept under a name in any language and found again,
# through a folder named in one too, and shown by --show; names of devices refused, in a refusal that names the file
# whole (an invalid file and a second run: memory_file_test). Then at a console (windows_console.py).
# Usage: windows.sh WINE_LOADER PATH_TO_GORVANDEL_EXE
set -u
wine=$1 program=$(realpath "$2")
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
source "$(dirname "$0")/texts.sh"
# wine reads the arguments in the locale's character set; its services must not hold the caller's pipes.
export LANG=C.UTF-8 WINEDEBUG=-all
"${wine%/*}/wineserver" -p >/dev/null 2>&1 || wineserver -p >/dev/null 2>&1
"$wine" wineboot >/dev/null 2>&1

fail() { printf 'FAIL windows: %s\n' "$*" >&2; exit 1; }
"$wine" cmd /c exit 0 </dev/null >/dev/null 2>&1 || { echo "skipped windows: $wine runs no Windows program here"; exit 77; }
run() { (cd "$work" && printf '%s' "$1" | "$wine" "$program" "${@:2}" >out 2>err); status=$?; } # INPUT ARGS...: output in $work/out and err, status in $status

mkdir "$work/José"
run "$(repeat 300 $'do something with x\nreward')" -m 'José/café.memory'
[ "$status" -eq 0 ] && [ "$(grep -c '^argument [a-z-]* 5$' "$work/José/café.memory")" -eq 1 ] ||
    fail "learning in José/café.memory: status $status, [$(cat "$work/err")], $(ls -R "$work")"
run "$(repeat 30 'do something with y')" -m 'José/café.memory'
[ "$(sed "s/^$(text prompt)//" "$work/out" | head -n 30 | sort -u | wc -l)" -eq 1 ] || fail "the favourite was forgotten"
"$wine" "$program" --help | tr -d '\r' | grep -q 'Ctrl-Z then Enter ends the$' || fail "--help names Ctrl-Z then Enter"
# --show names the file whole: in UTF-8 to a pipe, and at a console (a pseudo-terminal) through the console's own call.
title="What Gorvandel has learned, kept in José/café.memory:"
run '' --show -m José/café.memory && [ "$(head -n 1 "$work/out" | tr -d '\r')" = "$title" ] || fail "--show to a pipe: $(cat "$work/out")"
(cd "$work" && script -qec "'$wine' '$program' --show -m José/café.memory" /dev/null </dev/null) |
    sed 's/\x1b\[[?0-9;]*[a-zA-Z]//g' | grep -qF "$title" || fail "--show at a console"
printf 'do something\n' | "$wine" "$program" >/dev/full 2>"$work/err"; status=$?
[ "$status" -eq 1 ] && grep -q '^gorvandel: cannot write to standard output: ' "$work/err" || fail "a full disk at standard output: status $status"
for name in 日本.memory Ωmega.memory; do
    run $'do something\nreward' -m "$name"
    [ "$status" -eq 0 ] && [ -f "$work/$name" ] && [ -f "$work/$name.lock" ] || fail "$name: $(ls "$work")"
done
# Names of devices are refused before the system sees them (LPT¹ named whole); so is a name with no room for FILE.lock.
for name in CON conin\$ NUL.txt 'aux. memory' COM1 LPT¹; do
    run 'exit' -m "$name"
    [ "$status" -eq 2 ] && [ "$(tr -d '\r' <"$work/err")" = "gorvandel: cannot keep a memory in $name: it names a device, not a file" ] ||
        fail "$name: status $status, [$(cat "$work/err")]"
done
run '' --show -m con.memory
[ "$(tr -d '\r' <"$work/err")" = "gorvandel: cannot keep a memory in con.memory: it names a device, not a file" ] || fail "--show con"
long=$(printf 'n%.0s' {1..252})
run 'exit' -m "$long"
[ "$status" -eq 2 ] && [[ $(tr -d '\r' <"$work/err") == "gorvandel: cannot keep a memory in $long: the name is too long to keep a lock file ("*") beside it" ]] ||
    fail "a name with no room for its lock: status $status, [$(cat "$work/err")]"
# A command file as PowerShell's ">" writes it: UTF-16 after its mark, CR LF line ends; answers in CR LF.
{ printf '\xFF\xFE' && printf 'do something with café\r\nhello\r\nexit\r\n' | iconv -t UTF-16LE; } >"$work/in"
"$wine" "$program" <"$work/in" >"$work/out" 2>"$work/err"
[ "$?" -eq 0 ] && grep -q $'café"[^"]*\r$' "$work/out" && [ "$(grep -c -F "$(text unknown)"$'\r' "$work/out")" -eq 1 ] &&
    [ "$(tail -n 1 "$work/out")" = "$(text farewell | tail -n 1)"$'\r' ] || fail "a UTF-16 command file: [$(cat "$work/out" "$work/err")]"
# Piped input is the bytes sent (a CR before CR LF stays, 0x1A ends nothing); the prompt leaves before any input comes.
mkfifo "$work/pipe" && { "$wine" "$program" <"$work/pipe" >"$work/out" 2>&1 & } && exec 3>"$work/pipe"
wait_for "$work/out" "the first prompt, with the input still open" && printf 'do something with a\r\r\n\x1a\nexit\n' >&3 && exec 3>&- && wait
grep -q $'"a\r"' "$work/out" && grep -qF "$(text unknown)" "$work/out" && grep -qF "$(text farewell | tail -n 1)" "$work/out" ||
    fail "piped bytes: $(brief "$work/out" | od -c | head -n 4)"
echo "ok windows"
command -v python3 >/dev/null || { echo "skipped windows console: no python3"; exit 0; }
python3 "$(dirname "$0")/windows_console.py" "$wine" "$program"
