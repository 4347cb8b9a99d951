#!/usr/bin/env bash
# Completes gorvandel's options in bash, zsh and fish from where they are
# installed under PREFIX (/usr for the Debian package; /usr/local, or a
# folder given to cmake --install --prefix), each shell loading them as it
# would for a person: bash through bash-completion's loader, zsh through
# compinit at a pseudo-terminal (zpty), fish through its vendor folder.
# Needs bash-completion, zsh and fish, and PREFIX's gorvandel (fish completes
# only commands it finds). With --build, installs the build folder into a
# scratch prefix first, as ctest runs it.
# Usage: completions/check.sh PREFIX | completions/check.sh --build BUILD_FOLDER
# Exit status 1 if a shell completes otherwise; 77 where a shell is missing.
set -euo pipefail
missing=
[ -f /usr/share/bash-completion/bash_completion ] || missing+=" bash-completion"
command -v zsh >/dev/null || missing+=" zsh"
command -v fish >/dev/null || missing+=" fish"
[ -z "$missing" ] || { echo "skipped: not installed:$missing (each shell completes the options here)" && exit 77; }
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
if [ "$1" = --build ]; then
    "${CMAKE_COMMAND:-cmake}" --install "$2" --prefix "$work/prefix" >/dev/null
    set -- "$work/prefix"
fi
prefix=$(realpath "$1")
mkdir "$work/home" "$work/folder"
: >"$work/folder/a b.memory"
cd "$work/folder"
status=0

# Debian's zsh reads both folders; a build for /usr installs in the second.
share=$prefix/share zsh_folder=$prefix/share/zsh/site-functions
[ "$prefix" != /usr ] && [ -f "$zsh_folder/_gorvandel" ] || zsh_folder=$share/zsh/vendor-completions
for file in "$share/bash-completion/completions/gorvandel" "$zsh_folder/_gorvandel" \
    "$share/fish/vendor_completions.d/gorvandel.fish"; do
    [ -f "$file" ] || { echo "FAIL completions: no $file" >&2 && status=1; }
done
# Nothing of the caller's: only PREFIX's completions and program.
export HOME=$work/home XDG_DATA_DIRS=$share PATH=$prefix/games:$prefix/bin:$PATH
unset XDG_CONFIG_HOME XDG_DATA_HOME BASH_COMPLETION_USER_DIR
# What "-" then Tab offers: every option that --help lists, long ones first.
options=$(gorvandel --help | sed -n '/^Options:/,/^$/p' | grep -o -e '^  -[[:alpha:]]' -e ' --[[:alpha:]-]*')
every_option=$( (grep -e -- <<<"$options" && grep -v -e -- <<<"$options") | tr -d ' ' | paste -sd'|')

expect() { # SHELL EXPECTED ACTUAL: "LINE -> offered|offered..." a line per completed line
    [ "$2" = "$3" ] || { printf 'FAIL completions in %s:\n%s\ninstead of\n%s\n' "$1" "$3" "$2" >&2 && status=1; }
}
# A line -> what is offered at its end. Words are split as readline splits
# them (at blanks and after "="), and the function complete names is called.
bash_offers() {
    bash --norc --noprofile -c 'source /usr/share/bash-completion/bash_completion
        __load_completion gorvandel && read -ra registered <<<"$(complete -p gorvandel)" || exit 1
        for COMP_LINE; do
            read -ra COMP_WORDS <<<"${COMP_LINE//=/ = }"
            [[ $COMP_LINE == *" " ]] && COMP_WORDS+=("")
            COMP_POINT=${#COMP_LINE} COMP_CWORD=$((${#COMP_WORDS[@]} - 1)) COMPREPLY=()
            "${registered[-2]}" gorvandel "${COMP_WORDS[COMP_CWORD]}" "${COMP_WORDS[COMP_CWORD - 1]}"
            (IFS="|" && echo "$COMP_LINE -> ${COMPREPLY[*]}")
        done' bash "$@"
}
expect bash "gorvandel --me -> --memory
gorvandel - -> $every_option
gorvandel --memory a -> a b.memory
gorvandel --memory=a -> a b.memory
gorvandel -m a -> a b.memory
gorvandel --seed  -> 
gorvandel --seed= -> 
gorvandel --show= -> 
gorvandel -- - -> " "$(bash_offers "gorvandel --me" "gorvandel -" "gorvandel --memory a" "gorvandel --memory=a" \
    "gorvandel -m a" "gorvandel --seed " "gorvandel --seed=" "gorvandel --show=" "gorvandel -- -")"

fish_offers() {
    fish -c 'for line in $argv
        echo "$line -> $(complete -C "$line" | string replace -r "\t.*" "" | sort | string join -- "|")"
    end' "$@"
}
expect fish "gorvandel --me -> --memory
gorvandel - -> $(tr '|' '\n' <<<"$every_option" | LC_ALL=C.UTF-8 sort | paste -sd'|')
gorvandel --memory a -> a b.memory
gorvandel --memory=a -> --memory=a b.memory
gorvandel -m a -> a b.memory
gorvandel --seed  -> 
gorvandel  -> " "$(LC_ALL=C.UTF-8 fish_offers "gorvandel --me" "gorvandel -" "gorvandel --memory a" \
    "gorvandel --memory=a" "gorvandel -m a" "gorvandel --seed " "gorvandel ")"

# zsh at a pseudo-terminal: each line typed after the first prompt (so that
# zle reads it), then Tab, then Ctrl-T, which writes the line as completed.
# For /usr the folder added, /usr/share/zsh/site-functions, is not the
# package's: it must be found where Debian's zsh reads it.
cat >"$HOME/.zshrc" <<EOF
fpath=($([ "$prefix" = /usr ] || echo "$zsh_folder") \$fpath)
autoload -Uz compinit && compinit -u -D
report() { print -r -- "\$BUFFER" >>$work/buffers; BUFFER= }
zle -N report && bindkey '^T' report
PS1=ready
EOF
zsh_completes() {
    timeout 20 zsh -f -c 'zmodload zsh/zpty
        zpty shell zsh -i && zpty -r shell prompt "*ready*"
        for line; do zpty -w -n shell "$line$(printf "\t\024")"; done
        for ((tenths = 0; tenths < 100; tenths++)); do
            [[ -f $0 && $(wc -l <$0) -ge $# ]] && break
            sleep 0.1
        done
        zpty -d shell' "$work/buffers" "$@"
    cat "$work/buffers"
}
expect zsh 'gorvandel --memory=
gorvandel --memory a\ b.memory 
gorvandel --memory=a\ b.memory 
gorvandel -m a\ b.memory 
gorvandel --seed 
gorvandel -h 
gorvandel --show ' "$(zsh_completes "gorvandel --me" "gorvandel --memory a" "gorvandel --memory=a" \
    "gorvandel -m a" "gorvandel --seed " "gorvandel -h " "gorvandel --sh")"

[ "$status" -ne 0 ] || echo "ok completions: bash, zsh and fish from $prefix"
exit $status
