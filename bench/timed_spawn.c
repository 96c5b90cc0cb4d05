/* Runs a command and writes its wall time in seconds, from just before it is spawned to its exit,
   and its peak resident memory in kB, on one line of the file OUT: what the command costs,
   without the cost a shell adds when it builds a long argument list. Exits with the command's
   status. */
#include <spawn.h>
#include <stdio.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <time.h>

extern char** environ;

int main(int argc, char** argv) {
    if (argc < 3) {
        fprintf(stderr, "usage: timed_spawn OUT COMMAND [ARGUMENT...]\n");
        return 2;
    }
    FILE* out = fopen(argv[1], "we");
    if (!out) {
        perror(argv[1]);
        return 2;
    }
    struct timespec start, end;
    clock_gettime(CLOCK_MONOTONIC, &start);
    pid_t child;
    if (posix_spawn(&child, argv[2], NULL, NULL, argv + 2, environ) != 0) {
        perror(argv[2]);
        return 2;
    }
    int status;
    struct rusage usage;
    if (wait4(child, &status, 0, &usage) < 0) {
        perror("wait4");
        return 2;
    }
    clock_gettime(CLOCK_MONOTONIC, &end);
    fprintf(out, "%.3f %ld\n", (end.tv_sec - start.tv_sec) + (end.tv_nsec - start.tv_nsec) / 1e9,
            usage.ru_maxrss);
    if (fclose(out) != 0) {
        perror(argv[1]);
        return 2;
    }
    return WIFEXITED(status) ? WEXITSTATUS(status) : 1;
}
