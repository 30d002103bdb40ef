// peakrss PROGRAM [ARGUMENT...]: runs PROGRAM with its output thrown away and
// prints "PEAK_KIB CPU_MICROSECONDS EXIT_STATUS" of it.
//
// The benchmarks start it rather than the program itself: Linux counts into
// a child's peak resident memory that of the process it was started from
// (the process image it replaced), and this small process keeps the large
// benchmark's memory out of the figure.

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>

int main(int argc, char *argv[])
{
    if (argc < 2)
        return 2;
    const pid_t child = fork();
    if (child == 0) {
        const int null = open("/dev/null", O_WRONLY);
        dup2(null, STDOUT_FILENO);
        dup2(null, STDERR_FILENO);
        execv(argv[1], argv + 1);
        _exit(127);
    }
    int status = 0;
    rusage usage{};
    if (child < 0 || wait4(child, &status, 0, &usage) != child || !WIFEXITED(status))
        return 1;
    const long long cpu = (usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) * 1000000LL +
                          usage.ru_utime.tv_usec + usage.ru_stime.tv_usec;
    std::printf("%ld %lld %d\n", usage.ru_maxrss, cpu, WEXITSTATUS(status));
    return 0;
}
