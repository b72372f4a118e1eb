// Start-up cost of the smc tool next to a static no-op spawned the same way, and of the whole
// 20-key refresh as the application runs it (`/bin/bash -c` with 20 invocations joined by "; ").
// The two sides of each comparison run alternately.
// Usage: bench_sim_spawn SMC NOOP [RUNS] [REFRESH_RUNS]; the key store comes from the environment
// (VANTREL_SIM_STATE_DIR), so a simulator must have written it.
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <utility>
#include <vector>

#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

extern char** environ;

namespace {

const char* kKeys[] = {"TPMP", "TPDX", "TCHP", "TCMz", "TG0D", "TPVD", "TB0T", "TB1T", "TB2T", "TD00",
                       "TD10", "TAOL", "Ts0P", "Ts1P", "TMVR", "F0Ac", "F1Ac", "PSTR", "PCPC", "ACID"};

double now()
{
    timespec t{};
    clock_gettime(CLOCK_MONOTONIC, &t);
    return t.tv_sec + t.tv_nsec / 1e9;
}

double childCpu()
{
    rusage u{};
    getrusage(RUSAGE_CHILDREN, &u);
    return u.ru_utime.tv_sec + u.ru_utime.tv_usec / 1e6 + u.ru_stime.tv_sec + u.ru_stime.tv_usec / 1e6;
}

// Spawns argv with standard output and error on /dev/null and waits; returns the exit status.
int spawnAndWait(const std::vector<std::string>& args)
{
    std::vector<char*> argv;
    for (const auto& a : args)
        argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    pid_t pid = 0;
    const int rc = posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (rc != 0)
        return -1;
    int status = 0;
    waitpid(pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

struct Figures {
    double medianMs = 0;
    double p90Ms = 0;
    double cpuMsPerRun = 0;
    int failures = 0;
};

Figures summarise(std::vector<double> wall, double cpuSeconds, int failures)
{
    Figures f;
    f.failures = failures;
    f.cpuMsPerRun = cpuSeconds * 1000.0 / static_cast<double>(wall.size());
    std::sort(wall.begin(), wall.end());
    f.medianMs = wall[wall.size() / 2];
    f.p90Ms = wall[wall.size() * 9 / 10];
    return f;
}

// Runs a and b alternately, runs times each, so that both see the same machine even while
// other work comes and goes; the wall and child CPU time of each run go to its own side.
std::pair<Figures, Figures> measurePair(const std::vector<std::string>& a, const std::vector<std::string>& b, int runs)
{
    std::vector<double> wall[2];
    double cpu[2] = {0, 0};
    int failures[2] = {0, 0};
    for (int i = 0; i < runs; ++i) {
        for (int side = 0; side < 2; ++side) {
            const double cpuBefore = childCpu();
            const double start = now();
            if (spawnAndWait(side == 0 ? a : b) != 0)
                ++failures[side];
            wall[side].push_back((now() - start) * 1000.0);
            cpu[side] += childCpu() - cpuBefore;
        }
    }
    return {summarise(std::move(wall[0]), cpu[0], failures[0]), summarise(std::move(wall[1]), cpu[1], failures[1])};
}

void print(const char* what, const Figures& f)
{
    std::printf("%-34s median %7.3f ms  p90 %7.3f ms  cpu %7.3f ms/run  failures %d\n", what, f.medianMs, f.p90Ms,
                f.cpuMsPerRun, f.failures);
}

std::string refreshCommand(const std::string& tool, bool withArguments)
{
    std::string cmd;
    for (const char* key : kKeys) {
        if (!cmd.empty())
            cmd += "; ";
        cmd += tool;
        if (withArguments)
            cmd += std::string(" -k ") + key + " -r";
    }
    return cmd;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc < 3) {
        std::fprintf(stderr, "usage: %s SMC NOOP [RUNS] [REFRESH_RUNS]\n", argv[0]);
        return 64;
    }
    const std::string smc = argv[1];
    const std::string noop = argv[2];
    const int runs = argc > 3 ? std::atoi(argv[3]) : 1000;
    const int refreshRuns = argc > 4 ? std::atoi(argv[4]) : 200;
    if (runs < 1 || refreshRuns < 1) {
        std::fprintf(stderr, "RUNS and REFRESH_RUNS are whole numbers from 1\n");
        return 64;
    }

    // Warm the page cache and the loader before measuring.
    measurePair({smc, "-k", "TPMP", "-r"}, {noop}, 20);
    const auto [tool, floor] = measurePair({smc, "-k", "TPMP", "-r"}, {noop}, runs);
    print("smc -k TPMP -r", tool);
    print("static no-op", floor);
    std::printf("%-34s %.2fx the no-op (median)\n", "smc / no-op", tool.medianMs / floor.medianMs);

    const auto [refresh, refreshFloor] = measurePair({"/bin/bash", "-c", refreshCommand(smc, true)},
                                                     {"/bin/bash", "-c", refreshCommand(noop, false)}, refreshRuns);
    print("bash -c 20 x smc", refresh);
    print("bash -c 20 x no-op", refreshFloor);
    std::printf("%-34s %.2fx wall, %.2fx cpu\n", "refresh / no-op refresh", refresh.medianMs / refreshFloor.medianMs,
                refresh.cpuMsPerRun / refreshFloor.cpuMsPerRun);
    return tool.failures + refresh.failures == 0 ? 0 : 1;
}
