#!/usr/bin/env bash
# End-to-end sessions of the built program with piped input.
# Usage: sessions.sh PATH_TO_GORVANDEL GROUP
set -u
program=$1 group=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
source "$(dirname "$0")/texts.sh"
P=$(text prompt) UNKNOWN=$(text unknown)$'\n' NO_DATA=$(text no-data)$'\n' BYE=$(text farewell)$'\n'

fail() { printf 'FAIL %s: %s\n' "$group" "$*" >&2; exit 1; }
run() { # INPUT [ARGS...]: output in $work/out and $work/err, exit status in $status
    printf '%s' "$1" | "$program" "${@:2}" >"$work/out" 2>"$work/err"
    status=$?
}
answers() { sed "s/^\($P\)*//" "$work/out"; } # the output without its prompts
repeat() { for ((i = 0; i < $1; i++)); do printf '%s\n' "$2"; done; }
# expect_failure STATUS MESSAGE: the run ended with STATUS and said only MESSAGE on standard error
expect_failure() {
    [ "$status" -eq "$1" ] && [ "$(cat "$work/err")" = "gorvandel: $2" ] ||
        fail "expected status $1 and [gorvandel: $2], got $status and [$(cat "$work/err")]"
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
        run "${cases[c]}"
        printf '%s' "${cases[c + 1]}" | cmp -s - "$work/out" || fail "session $((c / 2)): got [$(cat "$work/out")]"
        [ "$status" -eq 0 ] && [ ! -s "$work/err" ] || fail "session $((c / 2)): status $status, stderr [$(cat "$work/err")]"
    done
    ;;
actions) # every action's line is seen, arguments come back exactly as typed, and nothing else is written
    argument=' say "hi", \n 100% & %s'
    session="$(repeat 300 'do something'; repeat 300 "do something with $argument"; repeat 200 $'do something with \r')"$'\n'
    run "$session"
    { text plain; argument_lines "$argument"; argument_lines ''; } >"$work/fixed"
    answers | head -n 800 >"$work/lines"
    grep -v -x -F -f "$work/lines" "$work/fixed" >"$work/unseen" && fail "never seen: $(cat "$work/unseen")"
    grep -v -x -F -f "$work/fixed" "$work/lines" |
        grep -v -x -E -e '0x[0-9a-f]+' -e '[0-9]+' \
            -e '[A-Z][a-z]{2} [A-Z][a-z]{2} [ 0-9][0-9] [0-9]{2}:[0-9]{2}:[0-9]{2} [0-9]{4}' >"$work/odd" &&
        fail "unexpected lines: $(sort -u "$work/odd")"
    # Each run takes its seed from the clock, so two runs choose differently.
    cp "$work/out" "$work/first" && sleep 0.01
    run "$session"
    cmp -s "$work/first" "$work/out" && fail "two runs chose the same 800 actions"
    ;;
memory) # what is learned is kept in the memory file, never torn, and a file that is not a memory is left alone
    m=$work/memory.txt
    run "$(repeat 20 'do something with x')" -m "$m"
    [ "$status" -eq 0 ] && [ ! -e "$m" ] || fail "created without a change: status $status"
    # Rewarding whatever runs makes a favourite of weight 5, kept for the next run, which always runs it.
    run "$(repeat 300 $'do something with x\nreward')" --memory "$m" -s 7 && cp "$work/out" "$work/with"
    run "$(repeat 300 $'do something with x\nreward')" -s 7
    cmp -s "$work/out" "$work/with" || fail "the memory changed what the program says"
    [ "$(sed -n 1p "$m")" = "gorvandel memory 1" ] && [ "$(sed -n 2p "$m")" = "plain 0 0 0 0 0 0 0 0" ] &&
        [ "$(sed -n 3p "$m" | tr ' ' '\n' | grep -c '^5$')" -eq 1 ] || fail "learned: [$(cat "$m")]"
    run "$(repeat 50 'do something with y')" --memory="$m"
    [ "$(answers | head -n 50 | sort -u | wc -l)" -eq 1 ] || fail "the favourite was forgotten"
    # Through a link the file itself is kept and locked; a file that merely has a like name is left alone.
    ln -s "$m" "$work/link" && echo precious >"$m.tmp"
    run $'do something\nreward' -m "$work/link"
    [ -L "$work/link" ] && [ "$(sed -n 2p "$m" | tr ' ' '\n' | grep -c '^1$')" -eq 1 ] &&
        [ "$(cat "$m.tmp")" = precious ] || fail "saved through a link: [$(cat "$m")], [$(cat "$m.tmp")]"
    # A save that fails says so, ends with status 1 and leaves the file as it was.
    cp "$m" "$work/kept"
    # Standard error goes through a pipe: the size limit would stop a file.
    err=$(trap '' XFSZ && ulimit -f 0 && printf 'do something\nreward\nexit\n' | "$program" -m "$m" 2>&1 >/dev/null)
    status=$? && echo "$err" >"$work/err" && expect_failure 1 "cannot save memory file $m: File too large"
    cmp -s "$m" "$work/kept" && ! compgen -G "$m.tmp-*" >/dev/null || fail "a failed save touched the file"
    # A second program is refused while one runs; one that was killed blocks nothing.
    { sleep 1; echo exit; } | "$program" -m "$m" >"$work/first" &
    until [ -s "$work/first" ]; do sleep 0.01; done # locked by its first prompt
    run 'exit' -m "$work/link"
    expect_failure 2 "$work/link is in use by another gorvandel"
    kill -KILL $! && wait $! 2>/dev/null
    run 'exit' -m "$m" && [ "$status" -eq 0 ] || fail "a killed program blocked its memory"
    # Not a memory, or no place for one: refused before the first prompt, the file's bytes unchanged.
    header='gorvandel memory 1' plain='plain 0 0 0 0 0 0 0 0' argument='argument 0 0 0 0 0 0 0 0 0 0'
    refusals=(
        $'\x7fELF\x02\x01\n' "1: not text"
        "$header"$'\n'"$plain"$'\n' "3: missing: 'argument' and 10 weights"
        $'gorvandel memory 9\n' "1: memory format version 9 is newer than this program reads (1)"
        "$header"$'\n'"$plain 0"$'\n'"$argument"$'\n' "2: expected 'plain' and 8 weights, found 9"
        "$header"$'\n'"$plain"$'\n'"${argument% 0} 6"$'\n' "3: weight 6 is outside -5 to 5"
        "$header"$'\n'"$plain"$'\n'"$argument"$'\nreward\n' "4: more lines than a memory holds"
    )
    for ((r = 0; r < ${#refusals[@]}; r += 2)); do
        printf '%s' "${refusals[r]}" >"$m" && cp "$m" "$work/kept"
        run 'reward' -m "$m"
        expect_failure 2 "$m:${refusals[r + 1]}"
        [ ! -s "$work/out" ] && cmp -s "$m" "$work/kept" || fail "refusing [${refusals[r]}] touched the file or spoke"
    done
    # The temporary file is named after the lock: one a kill left is removed; where none can be made, no start.
    printf '%s\n' "$header" "$plain" "$argument" >"$m" && temporary=$m.tmp-$(stat -c %i "$m.lock")
    touch "$temporary" && run 'exit' -m "$m"
    [ "$status" -eq 0 ] && [ ! -e "$temporary" ] || fail "a leftover temporary file stayed: status $status"
    mkdir -p "$work/folder" "$temporary/in the way"
    run 'exit' -m "$m" && expect_failure 2 "cannot keep a memory in $m: File exists"
    rm -r "$temporary"
    run 'exit' -m "$work/folder" && expect_failure 2 "cannot read memory file $work/folder: Is a directory"
    [ ! -e "$work/folder.lock" ] || fail "a refused start left a lock file"
    run 'exit' -m "$work/no"$'\n'"ne/memory" && expect_failure 2 "cannot keep a memory in $work/no?ne/memory: No such file or directory"
    ln "$m" "$work/hard"
    run 'exit' -m "$m" && expect_failure 2 "cannot keep a memory in $m: the file has other names (hard links) that a save would part from it"
    rm "$work/hard" && chmod 444 "$m"
    run 'exit' -m "$m" && expect_failure 2 "cannot keep a memory in $m: the file is read-only"
    # A save keeps the file's permissions; a link standing where the lock goes is not followed.
    chmod 640 "$m" && run $'do something\nreward' -m "$m"
    [ "$(stat -c %a "$m")" = 640 ] || fail "a save changed the permissions to $(stat -c %a "$m")"
    ln -s "$work/elsewhere" "$work/linked.lock"
    run 'exit' -m "$work/linked" && expect_failure 2 "cannot keep a memory in $work/linked: Too many levels of symbolic links"
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
failures) # every failure ends with status 1 and one line on standard error
    printf 'exit\n' | "$program" >/dev/full 2>"$work/err"
    status=$? && expect_failure 1 "cannot write to standard output: No space left on device"
    (trap '' PIPE; { sleep 0.3; echo exit; } | { "$program" 2>"$work/err"; echo $? >"$work/status"; } | head -c 11 >/dev/null)
    status=$(cat "$work/status") && expect_failure 1 "cannot write to standard output: Broken pipe"
    # With the default signal setting a closed pipe ends it as it ends every filter.
    { sleep 0.3; echo exit; } | { "$program" 2>"$work/err"; echo $? >"$work/status"; } | head -c 11 >/dev/null
    [ "$(cat "$work/status")" -eq 141 ] && [ ! -s "$work/err" ] || fail "SIGPIPE: status $(cat "$work/status")"
    "$program" <"$work" >/dev/null 2>"$work/err"
    status=$? && expect_failure 1 "cannot read standard input: Is a directory"
    "$program" <&- >/dev/null 2>"$work/err"
    status=$? && expect_failure 1 "cannot read standard input: Bad file descriptor"
    # Memory runs out on one long line, at whichever allocation the limit stops.
    [ -n "${GORVANDEL_SANITIZED:-}" ] && echo "ok $group (the memory limits are skipped: sanitizers reserve too much)" && exit 0
    { printf 'do something with '; head -c 100000000 /dev/zero | tr '\0' x; } >"$work/long"
    ran_out=0
    for limit in 100000 140000 180000 220000 260000 300000 400000; do
        (ulimit -v "$limit" && exec "$program" <"$work/long" >/dev/null 2>"$work/err")
        status=$?
        [ "$status" -eq 0 ] && [ ! -s "$work/err" ] && continue
        expect_failure 1 "out of memory"
        ran_out=$((ran_out + 1))
    done
    [ "$ran_out" -gt 0 ] && [ "$ran_out" -lt 7 ] || fail "memory ran out under $ran_out of 7 limits"
    ;;
options) # each spelling; usage errors say so on standard error only, with status 2; a seed repeats a session
    for spelling in -h --help --he -hV; do
        run 'exit' $spelling
        [ "$status" -eq 0 ] && [ ! -s "$work/err" ] && head -n 1 "$work/out" | grep -q '^Usage: gorvandel ' ||
            fail "$spelling: status $status"
    done
    for spelling in -V --version --v -Vh; do
        run 'exit' $spelling
        [ "$status" -eq 0 ] && [ "$(head -n 1 "$work/out")" = "gorvandel $GORVANDEL_VERSION" ] &&
            grep -q MIT "$work/out" || fail "$spelling: status $status, [$(head -n 1 "$work/out")]"
    done
    errors=(
        -x "invalid option -- 'x'" -sx "invalid seed 'x': expected a number from 0 to 4294967295"
        --frob "unrecognized option '--frob'" --=5 "unrecognized option '--=5'"
        --help=yes "option '--help' doesn't allow an argument"
        -s "option requires an argument -- 's'" --seed "option '--seed' requires an argument"
        --seed=-1 "invalid seed '-1': expected a number from 0 to 4294967295"
        "--seed= 1" "invalid seed ' 1': expected a number from 0 to 4294967295"
        "-s 4294967296" "invalid seed '4294967296': expected a number from 0 to 4294967295"
        operand "extra operand 'operand'" "-s 1 -- -h" "extra operand '-h'" - "extra operand '-'"
    )
    for ((e = 0; e < ${#errors[@]}; e += 2)); do
        read -r -a words <<<"${errors[e]}"
        [[ ${errors[e]} == *=* ]] && words=("${errors[e]}")
        run 'exit' "${words[@]}"
        [ "$status" -eq 2 ] && [ ! -s "$work/out" ] &&
            [ "$(cat "$work/err")" = "gorvandel: ${errors[e + 1]}"$'\n'"Try 'gorvandel --help' for more information." ] ||
            fail "${errors[e]}: status $status, stdout [$(cat "$work/out")], stderr [$(cat "$work/err")]"
    done
    # A session without its date lines, which follow the clock.
    seeded() { run "$(repeat 100 $'do something\nreward\ndo something with x\npunish')" "$@" && grep -v ':..:' "$work/out"; }
    seeded -s 4294967295 >"$work/first"
    for spelling in "-s4294967295" "--seed 4294967295" "--seed=4294967295" "--se=4294967295"; do
        seeded $spelling | cmp -s - "$work/first" || fail "$spelling gave another session"
    done
    seeded --seed=0 | cmp -s - "$work/first" && fail "seeds 0 and 4294967295 gave the same session"
    ;;
*) fail "no such group" ;;
esac
echo "ok $group"
