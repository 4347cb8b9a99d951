# What the program writes, read from expected_texts.txt, and helpers the scripts share; for bash to source.
texts_file=$(dirname "${BASH_SOURCE[0]}")/../expected_texts.txt

text() { # NAME: every text of that name (a basic regular expression), one per line
    sed -n "s/^\($1\) \"\(.*\)\"\r\{0,1\}\$/\2/p" "$texts_file"
}

argument_lines() { # ARGUMENT: the line of each argument action for ARGUMENT
    text argument | while IFS= read -r form; do printf '%s\n' "${form/\%s/"$1"}"; done
}

repeat() { for ((i = 0; i < $1; i++)); do printf '%s\n' "$2"; done; } # COUNT LINE: LINE, COUNT times
brief() { head -n 4 "$1" | cut -c 1-160; } # FILE: its first lines, enough to see what went wrong
wait_for() { # FILE WHAT: waits up to 10 seconds for FILE to hold something, else fails naming WHAT
    for ((tries = 0; tries < 1000; tries++)); do [ -s "$1" ] && return; sleep 0.01; done
    fail "waited 10 seconds for $2"
}
