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
skip() { echo "skipped $group: $*"; exit 77; }
run() { printf '%s' "$1" | "$program" "${@:2}" >"$work/out" 2>"$work/err"; status=$?; } # INPUT [ARGS...]: output in $work/out and err, status in $status
answers() { sed "s/^\($P\)*//" "$work/out"; } # the output without its prompts
expect_failure() { # STATUS MESSAGE: the run ended with STATUS and said only MESSAGE on standard error
    [ "$status" -eq "$1" ] && [ "$(cat "$work/err")" = "gorvandel: $2" ] || fail "expected status $1 and [gorvandel: $2], got $status and [$(brief "$work/err")]"
}

case $group in
transcripts) # standard input as the program reads it: input, then the whole output
    cases=($'exit\ndo something\n' "$P$BYE" '' "$P"$'\n'"$BYE" $'reward\nnonsense\nexit' "$P$NO_DATA$P$UNKNOWN$P$BYE")
    for ((c = 0; c < ${#cases[@]}; c += 2)); do
        run "${cases[c]}"
        printf '%s' "${cases[c + 1]}" | cmp -s - "$work/out" || fail "session $((c / 2)): got [$(brief "$work/out")]"
        [ "$status" -eq 0 ] && [ ! -s "$work/err" ] || fail "session $((c / 2)): status $status, stderr [$(brief "$work/err")]"
    done
    ;;
actions) # every action's line is seen, arguments come back exactly as typed, and nothing else is written
    argument=' say "hi", \n 100% & %s café 😀'
    session="$(repeat 300 'do something'; repeat 300 "do something with $argument"; repeat 200 $'do something with \r')"$'\n'
    run "$session"
    { text plain; argument_lines "$argument"; argument_lines ''; } >"$work/fixed"
    answers | head -n 800 >"$work/lines"
    grep -v -x -F -f "$work/lines" "$work/fixed" >"$work/unseen" && fail "never seen: $(brief "$work/unseen")"
    grep -v -x -F -f "$work/fixed" "$work/lines" |
        grep -v -x -E -e '0x[0-9a-f]+' -e '[0-9]+' \
            -e '[A-Z][a-z]{2} [A-Z][a-z]{2} [ 0-9][0-9] [0-9]{2}:[0-9]{2}:[0-9]{2} [0-9]{4}' >"$work/odd" &&
        fail "unexpected lines: $(sort -u "$work/odd" | head -n 4)"
    # Each run takes its seed from the clock, so two runs choose differently.
    cp "$work/out" "$work/first" && sleep 0.01
    run "$session"
    cmp -s "$work/first" "$work/out" && fail "two runs chose the same 800 actions"
    ;;
memory) # what is learned is kept between runs, never torn, and one run at a time has it
    m=$work/memory.txt
    # Rewarding whatever runs makes a favourite of weight 5, kept for the next run, which always runs it.
    run "$(repeat 300 $'do something with x\nreward')" --memory "$m" -s 7 && cp "$work/out" "$work/with"
    run "$(repeat 300 $'do something with x\nreward')" -s 7
    cmp -s "$work/out" "$work/with" || fail "the memory changed what the program says"
    [ "$(sed -n '1p;$p' "$m")" = $'gorvandel memory 2\nend' ] && ! grep -q '^plain .*[1-5]$' "$m" &&
        [ "$(grep -c '^argument [a-z-]* 5$' "$m")" -eq 1 ] || fail "learned: [$(brief "$m")]"
    run "$(repeat 50 'do something with y')" --memory="$m" && [ "$(answers | head -n 50 | sort -u | wc -l)" -eq 1 ] || fail "the favourite was forgotten"
    # Through a link the file itself is kept and locked; a file that merely has a like name is left alone.
    ln -s "$m" "$work/link" && echo precious >"$m.tmp"
    run $'do something\nreward' -m "$work/link"
    [ -L "$work/link" ] && [ "$(grep -c '^plain [a-z-]* 1$' "$m")" -eq 1 ] &&
        [ "$(cat "$m.tmp")" = precious ] || fail "saved through a link: [$(brief "$m")], [$(brief "$m.tmp")]"
    # A save that fails, here past a file size limit, says so, ends with status 1 and leaves the file as it was.
    # Standard error goes through a pipe: the limit would stop a file.
    cp "$m" "$work/kept" && err=$(ulimit -f 0 && printf 'do something\nreward\nexit\n' | "$program" -m "$m" 2>&1 >/dev/null)
    status=$? && echo "$err" >"$work/err" && expect_failure 1 "cannot save memory file $m: File too large"
    cmp -s "$m" "$work/kept" && ! compgen -G "$m.tmp-*" >/dev/null || fail "a failed save touched the file"
    # A second program is refused while one runs; one that was killed blocks nothing.
    { sleep 1; echo exit; } | "$program" -m "$m" >"$work/first" 2>&- &
    wait_for "$work/first" "the first prompt of the session holding $m" # locked by then
    [ "$(readlink /proc/$!/fd/2)" = /dev/null ] || fail "a file took the place of closed standard error" # where a notice would go
    run 'exit' -m "$work/link" && expect_failure 2 "$work/link is in use by another gorvandel"
    kill -KILL $! && wait $! 2>/dev/null
    # What a killed save left beside a whole file is removed by the next run; the user's files named alike stay.
    touch "$m.tmp-k1lled0save0" && cp "$m" "$m.tmp-20261206" && echo notes | tee "$m".tmp-{draft,2024,abcdefghijkl} >/dev/null
    for i in 1 2 3; do run $'do something\nreward\npunish' -m "$m"; done
    [ "$status" -eq 0 ] && [ "$(echo "$m".tmp-*)" = "$(echo "$m".tmp-{2024,abcdefghijkl,draft})" ] &&
        [ "$(cat "$m".tmp-*)" = $'notes\nnotes\nnotes' ] || fail "a killed save's file stayed, or the user's went: status $status"
    rm "$m".tmp-* && mv "$m" "$m.tmp-0123456789ab" && run 'exit' -m "$m"; [ -s "$m" ] || status=9
    expect_failure 0 "$m was missing: put in place the last save found beside it, $m.tmp-0123456789ab"
    # A newer version's line is said once, at the start, and outlives the saves.
    sed -i 's/^end$/plain teleport 2\nend/' "$m" && run $'do something\nreward\ndo something\nreward' -m "$m"
    [ "$(cat "$work/err")" = "gorvandel: $m:$(grep -n teleport "$m" | cut -d: -f1): 'plain teleport' names no action this version knows; the line is kept as it stands" ] &&
        [ "$(tail -n 2 "$m")" = $'plain teleport 2\nend' ] || fail "a newer version's line: [$(brief "$work/err")], [$(brief "$m")]"
    LC_ALL=C.UTF-8 run 'exit' -m "$work/no"$'\n\xc2\x9b\x9b\xe2\x81\xa6'"ne/memory" && # LF, C1 as UTF-8 and raw, U+2066
        expect_failure 2 "cannot keep a memory in $work/no????ne/memory: the folder $work/no????ne does not exist (gorvandel does not make it)"
    # A memory mounted on its own, which no save could replace, is refused before the first prompt.
    touch "$work/mounted" "$work/source" && mount_one() { unshare -rm sh -c "mount --bind $work/source $work/mounted && $1"; }
    if ! mount_one true 2>/dev/null; then echo "(no mount namespace can be made here: a mounted memory is not tried)"; else
        mount_one "exec '$program' -m $work/mounted" </dev/null >"$work/out" 2>"$work/err"
        status=$? && expect_failure 2 "cannot keep a memory in $work/mounted: it is a mount point, which a save cannot replace; keep the memory in a mounted folder instead"
    fi
    # What stands where the lock goes is named.
    ln -s "$work/elsewhere" "$work/linked.lock"
    run 'exit' -m "$work/linked" && expect_failure 2 "cannot use the lock file $work/linked.lock: it is a symbolic link, which is not followed"
    # A name with no room for the temporary file's suffix still saves (cut, with a digest); one without room for FILE.lock is refused.
    long=$work/$(printf 'n%.0s' {1..245})
    run $'do something\nreward' -m "$long"
    [ "$status" -eq 0 ] && grep -q '^plain.* 1' "$long" && [ "$(ls "$work" | grep -c '^nnn')" -eq 2 ] || fail "a long name: status $status"
    run 'exit' -m "$long"nnnnnn && expect_failure 2 "cannot keep a memory in $long""nnnnnn: the name is too long to keep a lock file ($long""nnnnnn.lock) beside it"
    # A folder an ordinary user cannot read cannot be flushed after a save: found out at the start, with nothing left there.
    if [ "$(id -u)" -ne 0 ]; then
        mkdir -m 300 "$work/unread" && run 'exit' -m "$work/unread/m" && chmod 700 "$work/unread"
        expect_failure 2 "cannot keep a memory in $work/unread/m: Permission denied" && [ -z "$(ls -A "$work/unread")" ] || fail "left: $(ls -A "$work/unread")"
    fi
    ;;
owners) # root writes for another user only what that user could, and leaves the user's files the user's
    [ "$(id -u)" -eq 0 ] || skip "needs root to act for another user"
    chmod 755 "$work" && mkdir -m 1777 "$work/shared" && printf 'x' >"$work/shared/root's" && chmod 666 "$work/shared/root's"
    as_nobody=(setpriv --reuid=nobody --regid=nogroup --clear-groups)
    printf 'reward\n' | "${as_nobody[@]}" "$program" -m "$work/shared/root's" >"$work/out" 2>"$work/err"
    status=$? && expect_failure 2 "cannot keep a memory in $work/shared/root's: the file belongs to another user"
    [ "$(ls -A "$work/shared")" = "root's" ] || fail "a refused file of another user's: $(ls -A "$work/shared")"
    # Root follows no link another user made, and makes nothing there or where it leads; root's own it follows.
    ln -s "$work/pwned" "$work/shared/m" && chown -h nobody "$work/shared/m"
    run 'reward' -m "$work/shared/m"
    expect_failure 2 "cannot keep a memory in $work/shared/m: a symbolic link on the way belongs to another user, and is not followed"
    [ "$(ls -A "$work/shared" | tr '\n' ' ')" = "m root's " ] && ! compgen -G "$work/pwned*" >/dev/null || fail "a refused link made files"
    chown -h root "$work/shared/m" && run 'reward' -m "$work/shared/m" && [ "$status" -eq 0 ] || fail "root's own link was refused: $(brief "$work/err")"
    # A lock file another user made first is refused, named with its owner.
    touch "$work/shared/ann.lock" && chown nobody "$work/shared/ann.lock" && run 'exit' -m "$work/shared/ann"
    expect_failure 2 "cannot use the lock file $work/shared/ann.lock: it belongs to another user (nobody)"
    # A file root saves stays its owner's.
    m=$work/m && run $'do something\nreward' -m "$m" && chown nobody:nogroup "$m" && chmod 640 "$m" && run $'do something\nreward' -m "$m"
    [ "$status" -eq 0 ] && [ "$(stat -c %U:%G:%a "$m")" = nobody:nogroup:640 ] || fail "root took the file: $(stat -c %U:%G:%a "$m")"
    ;;
read-only) # a read-only file system is named as such
    mkdir "$work/ro" && unshare -m mount -t tmpfs tmpfs "$work/ro" 2>"$work/err" || skip "no mount namespace here: $(brief "$work/err")"
    run $'do something\nreward' -m "$work/kept"
    unshare -m sh -c "mount -t tmpfs -o size=1m tmpfs '$work/ro' && cp '$work/kept' '$work/ro/m' && mount -o remount,ro '$work/ro' &&
        printf 'reward\n' | '$program' -m '$work/ro/m'" >"$work/out" 2>"$work/err"
    status=$? && expect_failure 2 "cannot keep a memory in $work/ro/m: Read-only file system"
    ;;
show) # --show draws what a memory file holds, only reading it
    mkdir "$work/kept" && m=$work/kept/mémoire && listing() { find "$work/kept" -printf '%p %s %T@ %m %n\n' | sort; }
    printf 'gorvandel memory 1\nplain 0 3 0 0 0 0 0 0\nargument 0 0 0 0 0 0 0 0 0 -2\n' >"$m"
    # Another run that holds it does not stand in the way of a look.
    in_use=$work/kept/$(printf 'in use %.0s' {1..8}) && cp "$m" "$in_use" # a name too long to share the title's line
    { sleep 1; echo exit; } | "$program" -m "$in_use" >"$work/first" &
    wait_for "$work/first" "the first prompt of the session holding $in_use"
    listing >"$work/before"
    LC_ALL=C run '' -m "$m" --show -s 5
    [ "$status" -eq 0 ] && [ ! -s "$work/err" ] || fail "status $status, [$(brief "$work/err")]"
    LC_ALL=C grep -q '[^ -~]' "$work/out" && fail "not plain ASCII or not plain text: $(LC_ALL=C grep -n '[^ -~]' "$work/out" | head -n 4)"
    grep -Eq "^\* $(text plain | sed -n 2p | sed 's/\./\\./g') +\+3  -{10}\|#{6}-{4}  80\.0%$" "$work/out" ||
        fail "the favourite of weight 3: $(brief "$work/out")"
    # The others share the rest of the plain chances; no argument weight is positive, so all are equally likely.
    plain=$(text 'plain\|described' | wc -l) arguments=$(text argument | wc -l)
    others=$(awk "BEGIN { printf \"%.1f\", 20 / ($plain - 1) }") each=$(awk "BEGIN { printf \"%.1f\", 100 / $arguments }")
    [ "$(grep -c " ${others//./\\.}%$" "$work/out")" -eq $((plain - 1)) ] && [ "$(grep -c " ${each//./\\.}%$" "$work/out")" -eq "$arguments" ] &&
        [ "$(grep -Ec '   0  -{10}\|-{10} ' "$work/out")" -eq $((plain + arguments - 2)) ] &&
        grep -Eq "^  $(text argument | tail -n 1 | sed 's/%s/TEXT/') +-2  -{6}#{4}\|-{10} +${each//./\\.}%$" "$work/out" ||
        fail "chances or bars: $(grep -n '%$' "$work/out" | head -n 4)"
    [ "$(awk '{ print length($0) }' "$work/out" | sort -n | tail -n 1)" -le 80 ] && grep -q '^  Downloading random files similar to "TE\.\.\.   0' "$work/out" || fail "not the 80 columns of a pipe"
    LC_ALL=C.UTF-8 run '' --memory="$in_use" --show && [ "$status" -eq 0 ] && grep -q '█' "$work/out" && grep -q '│' "$work/out" || fail "no blocks in UTF-8: status $status"
    [ "$(head -n 2 "$work/out")" = "What Gorvandel has learned, kept in this file:"$'\n'"$in_use" ] || fail "a long title: $(brief "$work/out")"
    run '' --show && [ "$status" -eq 0 ] && grep -q "^Nothing is kept without --memory" "$work/out" || fail "without a file: $status"
    fits=$(printf 'é%.0s' {1..28}) && cd "$work/kept" # a title of 80 columns (108 bytes) fits; at 81 the name has a line
    LC_ALL=C.UTF-8 run '' --show -m "$fits"
    [ "$status" -eq 0 ] && [ "$(head -n 1 "$work/out")" = "Nothing has been learned in $fits yet: every weight is 0." ] ||
        fail "a title of 80 columns: $status, $(head -n 2 "$work/out")"
    LC_ALL=C.UTF-8 run '' --show -m "$fits"$'\xe2\x80\xae' # with a mark that would turn the line around
    [ "$(head -n 2 "$work/out")" = "Nothing has been learned yet (every weight is 0) in this file:"$'\n'"$fits?" ] ||
        fail "a title of 81 columns: $(head -n 2 "$work/out")"
    wait
    listing | cmp -s - "$work/before" || fail "the folder changed: $(listing | diff "$work/before" -)"
    # A look is refused as a session is: the same line, the same status, nothing said or drawn.
    mkdir "$work/refused" && cd "$work/refused" && mkdir folder && cp "$m" read-only && cp "$m" linked && ln linked "other name"
    printf 'gorvandel memory 1\nplain 0 0 0 0 0 0 0 0\nargument 6 0 0 0 0 0 0 0 0 0\n' >bad && chmod 444 read-only
    for name in bad nodir/m '~/m' read-only "other name" folder; do
        run exit -m "$name" && mv "$work/err" "$work/session" && session=$status
        [ -s "$work/out" ] && fail "$name: a session spoke before its refusal: $(brief "$work/out")"
        run '' --show -m "$name"
        [ "$session" -eq 2 ] && [ "$status" -eq 2 ] && [ ! -s "$work/out" ] && cmp -s "$work/session" "$work/err" ||
            fail "$name: a session said [$(cat "$work/session")], $session; a look [$(cat "$work/err")], $status"
    done
    run '' --show --memory='~/m' && [ ! -e nodir ] && [ ! -e '~' ] &&
        expect_failure 2 "cannot keep a memory in ~/m: ~ was not expanded, which the shell does only at the start of a word: write --memory ~/m or --memory=\$HOME/m"
    run '' --show -m '~nobody-here/m' &&
        expect_failure 2 "cannot keep a memory in ~nobody-here/m: ~nobody-here was not expanded, which the shell does only at the start of a word and for a user that exists: write --memory ~nobody-here/m"
    # The last save a crash left beside a missing file is drawn, and left where it is.
    mkdir "$work/crashed" && cp "$in_use" "$work/crashed/m.tmp-1a2b3c4d5e6f" && run '' --show -m "$work/crashed/m"
    head -n 2 "$work/out" | grep -q "$work/crashed/m.tmp-1a2b3c4d5e6f" && head -n 1 "$work/out" | grep -q 'next run puts in place' &&
        grep -q ' 80\.0%$' "$work/out" && [ "$(ls "$work/crashed")" = m.tmp-1a2b3c4d5e6f ] || fail "a leftover save: $(head -n 2 "$work/out")"
    # At a terminal the picture fits its window, up to the last column but one (colours take none), and leaves no quote
    # open; it is painted unless NO_COLOR is set (here at 30 columns; set but empty, it paints still) or TERM is dumb (at 40).
    timeout 10 script -qec true /dev/null </dev/null >/dev/null 2>&1 || { echo "ok $group (no pseudo-terminal from script(1): the picture at one is not tried)" && exit 0; }
    for columns in 200 80 40 30; do
        plain=$([ "$columns" -le 40 ] && echo 1) no_color=$([ "$columns" -eq 30 ] && echo 1) term=$([ "$columns" -eq 40 ] && echo dumb || echo xterm)
        timeout 10 script -qec "stty cols $columns && TERM=$term NO_COLOR=$no_color LC_ALL=C.UTF-8 '$program' --show -m ../kept/mémoire" /dev/null </dev/null >"$work/raw"
        sed 's/\r//; s/\x1b\[[0-9;]*m//g' "$work/raw" >"$work/out" && painted=$(grep -q $'\x1b\[' "$work/raw" && echo 1)
        [ "$(LC_ALL=C.UTF-8 wc -L <"$work/out")" -lt "$columns" ] && grep -q "Ubisoft" "$work/out" && [ "$painted$plain" = 1 ] &&
            ! grep '"' "$work/out" | grep -vq '^[^"]*"TEXT"[^"]*$' || fail "at $columns columns: $(brief "$work/raw")"
    done
    ;;
failures) # every failure ends with status 1 and one line on standard error
    mkfifo "$work/fifo" # input that never comes: a prompt that cannot be written ends the program before it waits
    timeout 5 "$program" <>"$work/fifo" >/dev/full 2>"$work/err"
    status=$? && expect_failure 1 "cannot write to standard output: No space left on device"
    "$program" --version >/dev/full 2>"$work/err"; status=$? && expect_failure 1 "cannot write to standard output: No space left on device"
    for last in exit ''; do # the farewell that cannot be written, after "exit" and at the end of input
        rm -f "$work/read" && (trap '' PIPE; { wait_for "$work/read" "the prompt read"; printf %s "$last"; } |
            { "$program" 2>"$work/err"; echo $? >"$work/status"; } | { head -c 11 >/dev/null; exec 0<&-; echo >"$work/read"; })
        status=$(cat "$work/status") && expect_failure 1 "cannot write to standard output: Broken pipe"; done
    # With the default signal setting a closed pipe ends it as it ends every filter.
    rm -f "$work/read" && { wait_for "$work/read" "the prompt read"; echo exit; } |
        { "$program" 2>"$work/err"; echo $? >"$work/status"; } | { head -c 11 >/dev/null; exec 0<&-; echo >"$work/read"; }
    [ "$(cat "$work/status")" -eq 141 ] && [ ! -s "$work/err" ] || fail "SIGPIPE: status $(cat "$work/status")"
    "$program" <"$work" >/dev/null 2>"$work/err"; status=$? && expect_failure 1 "cannot read standard input: Is a directory"
    "$program" <&- >/dev/null 2>"$work/err"; status=$? && expect_failure 1 "cannot read standard input: Bad file descriptor"
    # Memory runs out on one long line, at whichever allocation the limit stops; three times the line is enough.
    [ -n "${GORVANDEL_SANITIZED:-}" ] && echo "ok $group (the memory limits are skipped: sanitizers reserve too much)" && exit 0
    { printf 'do something with '; head -c 100000000 /dev/zero | tr '\0' x; } >"$work/long"
    ran_out=0 limits=(100000 140000 180000 220000 260000 280000 300000) # the last: 3x the line
    for limit in "${limits[@]}"; do
        (ulimit -v "$limit" && exec "$program" <"$work/long" >/dev/null 2>"$work/err")
        status=$? && [ "$status" -eq 0 ] && [ ! -s "$work/err" ] && continue
        expect_failure 1 "out of memory" && ran_out=$((ran_out + 1))
    done
    [ "$ran_out" -gt 0 ] && [ "$ran_out" -lt ${#limits[@]} ] || fail "memory ran out under $ran_out of ${#limits[@]} limits: a copy too many?"
    ;;
options) # help and version on standard output; a usage error on standard error only; a seed repeats a session
    for spelling in --he -hV --v -Vh; do
        run 'exit' $spelling
        [[ $spelling == -V* || $spelling == --v* ]] && first="gorvandel $GORVANDEL_VERSION" || first="Usage: gorvandel [OPTION]..."
        [ "$status" -eq 0 ] && [ ! -s "$work/err" ] && [ "$(head -n 1 "$work/out")" = "$first" ] &&
            ! grep -q '.\{80\}' "$work/out" || fail "$spelling: status $status, [$(head -n 1 "$work/out")], or a wide line"
    done
    for error in -x --seed=x operand; do
        run 'exit' "$error"
        [ "$status" -eq 2 ] && [ ! -s "$work/out" ] && [ "$(wc -l <"$work/err")" -eq 2 ] &&
            [ "$(tail -n 1 "$work/err")" = "Try 'gorvandel --help' for more information." ] ||
            fail "$error: status $status, stdout [$(brief "$work/out")], stderr [$(brief "$work/err")]"
    done
    # A session without its date lines, which follow the clock.
    seeded() { run "$(repeat 100 $'do something\nreward\ndo something with x\npunish')" "$@" && grep -v ':..:' "$work/out"; }
    seeded -s 4294967295 >"$work/first"
    [ "$status" -eq 0 ] && [ "$(wc -l <"$work/first")" -ge 150 ] || fail "the largest seed: status $status"
    seeded --se=4294967295 | cmp -s - "$work/first" || fail "--se=4294967295 gave another session"
    seeded --seed=0 | cmp -s - "$work/first" && fail "seeds 0 and 4294967295 gave the same session"
    ;;
*) fail "no such group" ;;
esac
echo "ok $group"
