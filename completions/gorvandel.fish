# fish completion for gorvandel, in a vendor_completions.d folder of fish's.
# The program takes no operands: no file names but after --memory.
complete -c gorvandel -f
complete -c gorvandel -s m -l memory -r -F -d 'Keep what is learned in FILE'
complete -c gorvandel -s s -l seed -r -f -d 'Seed the random choices (0 to 4294967295)'
complete -c gorvandel -l show -d 'Draw what the memory holds, and exit'
complete -c gorvandel -s h -l help -d 'Show a short help and exit'
complete -c gorvandel -s V -l version -d 'Show the version and licence and exit'
