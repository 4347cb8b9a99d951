#!/usr/bin/env bash
# End-to-end sessions: runs the built program with piped input and checks
# what it writes, byte for byte where the output is fixed.
# Usage: sessions.sh PATH_TO_GORVANDEL SESSION
set -u

program=$1
session=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

PROMPT='Gorvandel> '
FAREWELL=$'Have a nice day!\nBye Gorvandel\n'
UNKNOWN=$'Unknown command!\n'
NO_DATA=$'Operating system has no data about its last action!\n'

fail() {
    printf 'FAIL %s: %s\n' "$session" "$*" >&2
    exit 1
}

# run INPUT [ARGS...]: runs the program on INPUT; sets status, leaves output
# in $work/out and $work/err.
run() {
    local input=$1
    shift
    printf '%s' "$input" | "$program" "$@" >"$work/out" 2>"$work/err"
    status=$?
}

# expect_transcript INPUT EXPECTED: the whole output, exit status 0, nothing on stderr.
expect_transcript() {
    run "$1"
    printf '%s' "$2" >"$work/expected"
    if ! cmp -s "$work/expected" "$work/out"; then
        diff <(od -c "$work/expected") <(od -c "$work/out") >&2
        fail "transcript differs (expected left, got right)"
    fi
    [ "$status" -eq 0 ] || fail "exit status $status, expected 0"
    [ ! -s "$work/err" ] || fail "unexpected standard error: $(cat "$work/err")"
}

# The answer lines of a session: its output with every prompt taken away.
answers() {
    sed "s/^\($PROMPT\)*//" "$work/out"
}

plain_line_forms=(
    '^Hello World!$'
    '^Uploading some data to the internet\.\.\.$'
    '^Downloading some data from the internet\.\.\.$'
    '^Generating some random numbers\.\.\.$'
    '^Calculating the meaning of life\.\.\.$'
    '^0x[0-9a-f]+$'
    '^[0-9]+$'
    '^[A-Z][a-z]{2} [A-Z][a-z]{2} [ 0-9][0-9] [0-9]{2}:[0-9]{2}:[0-9]{2} [0-9]{4}$'
)

# The ten argument lines for one argument, in table order.
argument_lines() {
    local a=$1
    printf '%s\n' \
        "Uploading \"$a\" to the internet..." \
        "Downloading \"$a\" from the internet..." \
        "Downloading random files similar to \"$a\" from the internet..." \
        "Deleting file \"$a\"..." \
        "Creating new file \"$a\"..." \
        "Append random data to file \"$a\"..." \
        "Transfer file \"$a\" to printer..." \
        "Print file \"$a\" to secret debug log..." \
        "Send file \"$a\" to EA..." \
        "Send file \"$a\" to Ubisoft"
}

# expect_argument_line LINE ARGUMENT: LINE is one of the ten forms.
expect_argument_line() {
    argument_lines "$2" | grep -qxF -- "$1" || fail "not an argument line for [$2]: [$1]"
}

repeat() {
    local i
    for ((i = 0; i < $1; i++)); do printf '%s\n' "$2"; done
}

case $session in
exit_first)
    expect_transcript $'exit\n' "$PROMPT$FAREWELL"
    ;;
exit_ends_reading)
    expect_transcript $'exit\ndo something\nexit\n' "$PROMPT$FAREWELL"
    ;;
empty_input)
    # End of input at the first prompt: a line end, then the farewell.
    expect_transcript '' "$PROMPT"$'\n'"$FAREWELL"
    ;;
end_without_exit)
    expect_transcript $'nonsense\n' "$PROMPT$UNKNOWN$PROMPT"$'\n'"$FAREWELL"
    ;;
last_line_without_newline)
    expect_transcript $'punish\nexit' "$PROMPT$NO_DATA$PROMPT$FAREWELL"
    ;;
unknown_commands)
    # Matching is exact: case, surrounding blanks, a missing or extra character.
    lines=('' 'EXIT' ' exit' 'exit ' 'Exit' 'reward ' ' punish' 'do something ' 'do somethingx'
        'do something with' 'Do something with x' 'do  something with x' 'dosomething' $'\t')
    input=$(printf '%s\n' "${lines[@]}")$'\nexit\n'
    expected=
    for _ in "${lines[@]}"; do expected+="$PROMPT$UNKNOWN"; done
    expect_transcript "$input" "$expected$PROMPT$FAREWELL"
    ;;
judging_without_action)
    expect_transcript $'reward\npunish\nexit\n' "$PROMPT$NO_DATA$PROMPT$NO_DATA$PROMPT$FAREWELL"
    ;;
argument_echo)
    # Quotes, leading spaces, backslashes and an empty argument come back unchanged.
    arguments=('report' '  two spaces first' 'say "hi", \n and 100%' '')
    input=
    for a in "${arguments[@]}"; do input+="do something with $a"$'\n'; done
    run "$input"$'exit\n'
    [ "$status" -eq 0 ] || fail "exit status $status"
    mapfile -t got < <(answers)
    [ "${#got[@]}" -eq 6 ] || fail "expected 6 lines, got ${#got[@]}"
    for i in "${!arguments[@]}"; do expect_argument_line "${got[$i]}" "${arguments[$i]}"; done
    [ "${got[4]}${got[5]}" = 'Have a nice day!Bye Gorvandel' ] || fail "no farewell"
    ;;
crlf_input)
    run $'do something with report\r\nreward\r\nfoo\r\nexit\r\n'
    mapfile -t got < <(answers)
    expect_argument_line "${got[0]}" report
    [ "${got[1]}" = 'Unknown command!' ] || fail "CRLF line not matched as typed: ${got[1]}"
    [ "${got[2]}${got[3]}" = 'Have a nice day!Bye Gorvandel' ] || fail "exit\\r\\n did not end the session"
    [ "$(grep -c $'\r' "$work/out")" -eq 0 ] || fail "a carriage return reached the output"
    ;;
arguments_ignored)
    run $'exit\n' --help -x extra
    [ "$status" -eq 0 ] && [ "$(cat "$work/out")" = "$PROMPT${FAREWELL%$'\n'}" ] || fail "arguments changed the session"
    ;;
plain_lines)
    # Every line is one of the eight forms, and each form shows up.
    run "$(repeat 400 'do something')"$'\nexit\n'
    seen=()
    while IFS= read -r line; do
        [ "$line" = 'Have a nice day!' ] || [ "$line" = 'Bye Gorvandel' ] && continue
        matched=
        for i in "${!plain_line_forms[@]}"; do
            if [[ $line =~ ${plain_line_forms[$i]} ]]; then
                matched=$i
                seen[i]=1
                break
            fi
        done
        [ -n "$matched" ] || fail "unexpected line: [$line]"
    done < <(answers)
    [ "${#seen[@]}" -eq 8 ] || fail "only ${#seen[@]} of the 8 plain actions ran in 400 tries"
    ;;
argument_lines)
    run "$(repeat 400 'do something with a b')"$'\nexit\n'
    answers | head -n 400 | sort -u >"$work/seen"
    argument_lines 'a b' | sort >"$work/all"
    cmp -s "$work/seen" "$work/all" || fail "lines seen differ from the ten forms: $(diff "$work/all" "$work/seen")"
    ;;
learning)
    # Rewarding whatever runs makes one action the favourite at weight 5,
    # which then always runs.
    input=
    for _ in $(seq 300); do input+=$'do something with x\nreward\n'; done
    run "$input"$'exit\n'
    last=$(answers | grep -v -e '^Have' -e '^Bye' | tail -n 50 | sort -u | wc -l)
    [ "$last" -eq 1 ] || fail "after 300 rewards the last 50 actions were not all the same ($last different)"
    ;;
interactive_flushes)
    # Through pipes, as under another program: every prompt and answer must
    # arrive before the program waits for the next line.
    coproc GORVANDEL { "$program" 2>&1; }
    expect_chunk() {
        local chunk
        IFS= read -r -N "${#1}" -t 5 chunk <&"${GORVANDEL[0]}" || fail "timed out waiting for [$1]"
        [ "$chunk" = "$1" ] || fail "expected [$1], got [$chunk]"
    }
    expect_chunk "$PROMPT"
    printf 'reward\n' >&"${GORVANDEL[1]}"
    expect_chunk "$NO_DATA$PROMPT"
    printf 'hello\n' >&"${GORVANDEL[1]}"
    expect_chunk "$UNKNOWN$PROMPT"
    for _ in $(seq 20); do
        printf 'do something\n' >&"${GORVANDEL[1]}"
        IFS= read -r -t 5 line <&"${GORVANDEL[0]}" || fail "no answer to do something"
        expect_chunk "$PROMPT"
    done
    printf 'exit\n' >&"${GORVANDEL[1]}"
    expect_chunk "$FAREWELL"
    wait "$GORVANDEL_PID" || fail "exit status $?"
    ;;
output_full)
    [ -w /dev/full ] || { echo "no /dev/full here"; exit 0; }
    printf 'do something\nexit\n' | "$program" >/dev/full 2>"$work/err"
    status=$?
    [ "$status" -ne 0 ] || fail "lost output reported as success"
    [ "$(wc -l <"$work/err")" -eq 1 ] || fail "expected one line on stderr, got: $(cat "$work/err")"
    ;;
closed_pipe)
    # With SIGPIPE ignored, a reader that has gone makes every write fail:
    # the farewell is lost, so the session must not end in success.
    status=$( (
        trap '' PIPE
        { sleep 0.3; printf 'exit\n'; } | { "$program" 2>"$work/err"; echo $? >"$work/status"; } | head -c ${#PROMPT} >/dev/null
    ); cat "$work/status")
    [ "$status" -ne 0 ] || fail "lost farewell reported as success"
    [ "$(wc -l <"$work/err")" -eq 1 ] || fail "expected one line on stderr, got: $(cat "$work/err")"
    ;;
read_failure)
    # A directory as standard input: the read fails without reaching end of input.
    "$program" <"$work" >"$work/out" 2>"$work/err"
    status=$?
    [ "$status" -eq 1 ] || fail "exit status $status, expected 1"
    [ ! -s "$work/err" ] || fail "unexpected standard error: $(cat "$work/err")"
    ;;
*)
    fail "no such session"
    ;;
esac
echo "ok $session"
