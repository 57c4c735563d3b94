/* freeze_at PID FILE SECONDS: stops process PID (SIGSTOP) as soon as FILE has its first bytes, then
 * prints the file's size once it can no longer grow. Exits 1 when the file did not appear in time.
 * The fault tests use it to make a fault in the middle of a package that is written in a blink: a
 * short sleep between looks keeps it off the core the installer needs, and still catches the file
 * within a fraction of a megabyte. */
#include <signal.h>
#include <stdio.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <time.h>

int main(int argc, char** argv) {
    if (argc != 4) {
        fprintf(stderr, "usage: freeze_at PID FILE SECONDS\n");
        return 2;
    }
    pid_t pid = (pid_t)atol(argv[1]);
    const char* file = argv[2];
    long limit = atol(argv[3]) * 10000L; /* looks of 100 microseconds */
    struct timespec pause = {0, 100000};
    struct stat st;
    for (long n = 0; n < limit; ++n) {
        if (stat(file, &st) == 0 && st.st_size > 0) {
            if (kill(pid, SIGSTOP) != 0) return 1;
            struct timespec settle = {0, 200000000}; /* writes already under way finish */
            nanosleep(&settle, NULL);
            if (stat(file, &st) != 0) return 1;
            printf("%lld\n", (long long)st.st_size);
            return 0;
        }
        nanosleep(&pause, NULL);
    }
    return 1;
}
