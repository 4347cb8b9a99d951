# bash completion for gorvandel                           -*- shell-script -*-
# Installed as share/bash-completion/completions/gorvandel, where
# bash-completion loads it the first time gorvandel's words are completed.

_gorvandel()
{
    local cur prev words cword split
    _init_completion -s || return

    # The program takes no operands: after "--" nothing is valid.
    local word
    for word in "${words[@]:1:cword-1}"; do
        [[ $word == -- ]] && return
    done
    # Long options may be shortened while they stay unambiguous.
    case $prev in
    -m | --m | --me | --mem | --memo | --memor | --memory)
        _filedir
        return
        ;;
    -s | --se | --see | --seed)
        # A number: nothing to offer.
        return
        ;;
    esac
    $split && return
    COMPREPLY=($(compgen -W '--memory --seed --show --help --version -m -s -h -V' -- "$cur"))
} &&
    complete -F _gorvandel gorvandel

# ex: filetype=sh
