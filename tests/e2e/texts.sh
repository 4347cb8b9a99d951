# What the program writes, read from expected_texts.txt; for bash scripts to source.
texts_file=$(dirname "${BASH_SOURCE[0]}")/../expected_texts.txt

text() { # NAME: every text of that name, one per line
    sed -n "s/^$1 \"\(.*\)\"\r\{0,1\}\$/\1/p" "$texts_file"
}

argument_lines() { # ARGUMENT: the line of each argument action for ARGUMENT
    local form
    text argument | while IFS= read -r form; do printf '%s\n' "${form/\%s/"$1"}"; done
}
