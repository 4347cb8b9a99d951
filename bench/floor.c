/* The practical floor for a console program that must flush every line:
   prompt and flush, read a line, then, as gorvandel does in bench/run.py's
   session, one answer line and a flush for every line but a judgement,
   which says nothing after an action. It reads as many bytes at a time as
   gorvandel does. */
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/types.h>

int main(void)
{
    char *line = NULL;
    size_t capacity = 0;
    setvbuf(stdin, NULL, _IOFBF, 16384);
    for (;;) {
        fputs("Gorvandel> ", stdout);
        fflush(stdout);
        if (getline(&line, &capacity, stdin) < 0) {
            break;
        }
        if (strcmp(line, "reward\n") != 0 && strcmp(line, "punish\n") != 0) {
            fputs("Unknown command!\n", stdout);
            fflush(stdout);
        }
    }
    free(line);
    return 0;
}
