/* Runs a program with standard input from a file and standard output to
   /dev/null, and prints its peak resident set size in kilobytes. Kept small:
   a child's peak counts the memory of the process it was forked from. */
#include <fcntl.h>
#include <stdio.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

int main(int argc, char **argv)
{
    if (argc < 3) {
        fprintf(stderr, "usage: %s INPUT PROGRAM [ARGS...]\n", argv[0]);
        return 2;
    }
    pid_t child = fork();
    if (child == 0) {
        int input = open(argv[1], O_RDONLY);
        int output = open("/dev/null", O_WRONLY);
        if (input < 0 || output < 0 || dup2(input, 0) < 0 || dup2(output, 1) < 0) {
            _exit(127);
        }
        execv(argv[2], argv + 2);
        _exit(127);
    }
    int status;
    struct rusage usage;
    if (child < 0 || wait4(child, &status, 0, &usage) < 0) {
        perror("peak_rss");
        return 2;
    }
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
        fprintf(stderr, "peak_rss: %s did not exit with 0\n", argv[2]);
        return 1;
    }
    printf("%ld\n", usage.ru_maxrss);
    return 0;
}
