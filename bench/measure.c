/* Runs a program once and prints what it cost: nanoseconds from spawning it
   to its exit, its user and system CPU time in microseconds, and its peak
   resident set size in kilobytes.

   Usage: measure [--pipe] INPUT PROGRAM [ARGS...]

   Standard input is the file INPUT and standard output /dev/null; with
   --pipe both are pipes, filled from INPUT by a child of this process and
   drained by this process, as in "cat INPUT | PROGRAM | cat >/dev/null".
   The CPU time is the program's alone. Kept small and spawning with
   posix_spawn: a child's peak counts the memory of the process it came
   from, and the time to spawn it counts in every start. */
#define _GNU_SOURCE
#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <stdio.h>
#include <string.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

extern char **environ;

static long long nanoseconds(void)
{
    struct timespec now;
    clock_gettime(CLOCK_MONOTONIC, &now);
    return now.tv_sec * 1000000000LL + now.tv_nsec;
}

/* A child that copies the file to the pipe's write end, then exits. */
static pid_t feed(const char *path, int pipeEnds[2])
{
    pid_t feeder = fork();
    if (feeder == 0) {
        close(pipeEnds[0]);
        int file = open(path, O_RDONLY);
        char block[65536];
        ssize_t count = 0;
        while (file >= 0 && (count = read(file, block, sizeof block)) > 0) {
            for (ssize_t done = 0, written; done < count; done += written) {
                if ((written = write(pipeEnds[1], block + done, (size_t)(count - done))) < 0) {
                    _exit(1);
                }
            }
        }
        _exit(file < 0 || count < 0);
    }
    return feeder;
}

int main(int argc, char **argv)
{
    int piped = argc > 1 && strcmp(argv[1], "--pipe") == 0;
    if (argc < 3 + piped) {
        fprintf(stderr, "usage: %s [--pipe] INPUT PROGRAM [ARGS...]\n", argv[0]);
        return 2;
    }
    const char *input = argv[1 + piped];
    char **command = argv + 2 + piped;
    int in[2] = {-1, -1}, out[2] = {-1, -1};
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    pid_t feeder = -1;
    if (piped) {
        signal(SIGPIPE, SIG_IGN); /* a program that stops reading is reported by its status */
        if (pipe(in) != 0 || pipe(out) != 0 || (feeder = feed(input, in)) < 0) {
            perror("measure");
            return 2;
        }
        posix_spawn_file_actions_adddup2(&actions, in[0], 0);
        posix_spawn_file_actions_adddup2(&actions, out[1], 1);
        posix_spawn_file_actions_addclose(&actions, in[1]);
        posix_spawn_file_actions_addclose(&actions, out[0]);
    } else {
        posix_spawn_file_actions_addopen(&actions, 0, input, O_RDONLY, 0);
        posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    }
    long long start = nanoseconds();
    pid_t child;
    if (posix_spawn(&child, command[0], &actions, NULL, command, environ) != 0) {
        perror("measure: spawn");
        return 2;
    }
    if (piped) {
        close(in[0]);
        close(in[1]);
        close(out[1]);
        char block[65536];
        while (read(out[0], block, sizeof block) > 0) {
        }
    }
    int status;
    struct rusage usage;
    if (wait4(child, &status, 0, &usage) < 0) {
        perror("measure");
        return 2;
    }
    long long elapsed = nanoseconds() - start;
    if (feeder > 0) {
        waitpid(feeder, NULL, 0);
    }
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
        fprintf(stderr, "measure: %s did not exit with 0\n", command[0]);
        return 1;
    }
    printf("%lld %ld %ld %ld\n", elapsed, usage.ru_utime.tv_sec * 1000000L + usage.ru_utime.tv_usec,
           usage.ru_stime.tv_sec * 1000000L + usage.ru_stime.tv_usec, usage.ru_maxrss);
    return 0;
}
