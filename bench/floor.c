/* The practical floor for a console program that must flush every line:
   prompt and flush, read a line, write one answer line and flush. */
#include <stdio.h>
#include <stdlib.h>
#include <sys/types.h>

int main(void)
{
    char *line = NULL;
    size_t capacity = 0;
    ssize_t length;
    for (;;) {
        fputs("Gorvandel> ", stdout);
        fflush(stdout);
        length = getline(&line, &capacity, stdin);
        if (length < 0) {
            break;
        }
        fputs("Unknown command!\n", stdout);
        fflush(stdout);
    }
    free(line);
    return 0;
}
