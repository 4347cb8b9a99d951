#!/usr/bin/env bash
# End-to-end sessions of the built program with piped input.
# Usage: sessions.sh PATH_TO_GORVANDEL GROUP
set -u
program=$1 group=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
P='Gorvandel> ' BYE=$'Have a nice day!\nBye Gorvandel\n' UNKNOWN=$'Unknown command!\n'
NO_DATA=$'Operating system has no data about its last action!\n'

fail() { printf 'FAIL %s: %s\n' "$group" "$*" >&2; exit 1; }
run() { # INPUT [ARGS...]: output in $work/out and $work/err, exit status in $status
    printf '%s' "$1" | "$program" "${@:2}" >"$work/out" 2>"$work/err"
    status=$?
}
answers() { sed "s/^\($P\)*//" "$work/out"; } # the output without its prompts
repeat() { for ((i = 0; i < $1; i++)); do printf '%s\n' "$2"; done; }
# expect_forms N FORM...: each answer but the farewell matches one of the
# extended regular expressions, and each of them is matched at least once.
expect_forms() {
    local forms=("${@:2}")
    answers | grep -v -x -e 'Have a nice day!' -e 'Bye Gorvandel' | head -n "$1" >"$work/lines"
    for form in "${forms[@]}"; do grep -q -x -E -- "$form" "$work/lines" || fail "never seen: $form"; done
    ! grep -v -x -E "${forms[@]/#/-e}" "$work/lines" >"$work/odd" || fail "unexpected lines: $(sort -u "$work/odd")"
}
argument_forms() { # the ten argument lines for a regex-quoted argument
    local a=$1
    printf '%s\n' "Uploading \"$a\" to the internet\.\.\." "Downloading \"$a\" from the internet\.\.\." \
        "Downloading random files similar to \"$a\" from the internet\.\.\." "Deleting file \"$a\"\.\.\." \
        "Creating new file \"$a\"\.\.\." "Append random data to file \"$a\"\.\.\." "Transfer file \"$a\" to printer\.\.\." \
        "Print file \"$a\" to secret debug log\.\.\." "Send file \"$a\" to EA\.\.\." "Send file \"$a\" to Ubisoft"
}

case $group in
transcripts) # whole transcripts where the output is fixed: input, then expected output
    nine_unknown=
    for _ in {1..9}; do nine_unknown+="$P$UNKNOWN"; done
    cases=(
        $'exit\ndo something\n' "$P$BYE"
        '' "$P"$'\n'"$BYE"
        $'nonsense\n' "$P$UNKNOWN$P"$'\n'"$BYE"
        $'reward\npunish\nexit' "$P$NO_DATA$P$NO_DATA$P$BYE"
        $'\nEXIT\n exit\nexit \nreward \ndo something \ndo somethingx\ndo something with\n\t\nexit\n'
        "$nine_unknown$P$BYE"
        $'foo\r\nexit\r\r\nexit\r\n' "$P$UNKNOWN$P$UNKNOWN$P$BYE"
        $'exit\r' "$P$UNKNOWN$P"$'\n'"$BYE"
    )
    for ((c = 0; c < ${#cases[@]}; c += 2)); do
        run "${cases[c]}" --ignored-argument
        printf '%s' "${cases[c + 1]}" | cmp -s - "$work/out" || fail "session $((c / 2)): got [$(cat "$work/out")]"
        [ "$status" -eq 0 ] && [ ! -s "$work/err" ] || fail "session $((c / 2)): status $status, stderr [$(cat "$work/err")]"
    done
    ;;
arguments) # every argument comes back unchanged in one of the ten forms, each form seen
    run "$(repeat 200 'do something with  say "hi", \n 100%'; repeat 200 $'do something with \r')"$'\n'
    mapfile -t forms < <(argument_forms ' say "hi", \\n 100%'; argument_forms '')
    expect_forms 400 "${forms[@]}"
    ;;
plain) # every plain line has one of the eight forms, each form seen
    run "$(repeat 400 'do something')"
    expect_forms 400 'Hello World!' 'Uploading some data to the internet\.\.\.' \
        'Downloading some data from the internet\.\.\.' 'Generating some random numbers\.\.\.' \
        'Calculating the meaning of life\.\.\.' '0x[0-9a-f]+' '[0-9]+' \
        '[A-Z][a-z]{2} [A-Z][a-z]{2} [ 0-9][0-9] [0-9]{2}:[0-9]{2}:[0-9]{2} [0-9]{4}'
    ;;
learning) # rewarding whatever runs makes a favourite of weight 5, which then always runs
    run "$(repeat 300 $'do something with x\nreward')"
    [ "$(answers | head -n 300 | tail -n 50 | sort -u | wc -l)" -eq 1 ] || fail "no favourite after 300 rewards"
    ;;
flushes) # through pipes, every prompt and answer arrives before the program waits
    coproc G { "$program"; }
    send() { printf '%s\n' "$1" >&"${G[1]}"; }
    expect() { IFS= read -r -N "${#1}" -t 5 got <&"${G[0]}" && [ "$got" = "$1" ] || fail "expected [$1], got [$got]"; }
    expect "$P"
    send reward && expect "$NO_DATA$P"
    send hello && expect "$UNKNOWN$P"
    for _ in $(seq 20); do send 'do something' && read -r -t 5 _ <&"${G[0]}" && expect "$P" || fail "no answer"; done
    send exit && expect "$BYE"
    ;;
failures) # lost output must not end in success; a failed read ends with 1
    printf 'exit\n' | "$program" >/dev/full 2>"$work/err"
    [ $? -ne 0 ] && [ "$(wc -l <"$work/err")" -eq 1 ] || fail "output to /dev/full"
    (trap '' PIPE; { sleep 0.3; echo exit; } | { "$program" 2>"$work/err"; echo $? >"$work/status"; } | head -c 11 >/dev/null)
    [ "$(cat "$work/status")" -ne 0 ] && [ "$(wc -l <"$work/err")" -eq 1 ] || fail "farewell lost to a closed pipe"
    "$program" <"$work" >/dev/null 2>"$work/err"
    [ $? -eq 1 ] && [ ! -s "$work/err" ] || fail "reading a directory"
    ;;
*) fail "no such group" ;;
esac
echo "ok $group"
