// sortie-replay as a child process that a test can watch, sample and kill while it plays.
#pragma once
#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <string>
#include <vector>

#include "support/build_paths.h"

extern char** environ;

// Starts sortie-replay (or `program`) with `args` after the program's name, its standard
// output into the file `output`; its standard error stays the test's. Returns its pid, or -1.
inline pid_t startReplay(const std::vector<std::string>& args, const std::string& output,
                         const std::string& program = SORTIE_REPLAY_PROGRAM) {
    std::vector<std::string> words{program};
    words.insert(words.end(), args.begin(), args.end());
    std::vector<char*> argv;
    for (std::string& w : words) argv.push_back(w.data());
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, output.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    pid_t pid = -1;
    if (posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ) != 0) pid = -1;
    posix_spawn_file_actions_destroy(&actions);
    return pid;
}

// Waits for the child to end: its exit status, or -1 when a signal ended it. `cpuSeconds`,
// when given, receives the processor time it used, and `peakKb` the peak of its resident
// memory over its whole life.
inline int waitReplay(pid_t pid, double* cpuSeconds = nullptr, long* peakKb = nullptr) {
    int status = 0;
    struct rusage usage {};
    if (wait4(pid, &status, 0, &usage) != pid) return -1;
    if (cpuSeconds)
        *cpuSeconds = static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
                      static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
    if (peakKb) *peakKb = usage.ru_maxrss;
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}
