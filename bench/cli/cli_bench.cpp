// qm5bench-cli [--smoke]: "qm5ctl status" from process start to exit against
// qm5-virtual-projector with no reply delay, beside the floor: a bare program
// that opens the same terminal, writes "CR0" CR and reads the reply. Prints
// ROW and NOTE lines for scripts/run-bench.

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <fcntl.h>
#include <spawn.h>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

extern char** environ;

namespace {

double nowMs()
{
    timespec t{};
    ::clock_gettime(CLOCK_MONOTONIC, &t);
    return static_cast<double>(t.tv_sec) * 1e3 + static_cast<double>(t.tv_nsec) / 1e6;
}

[[noreturn]] void cannotRun(const std::string& why)
{
    std::fprintf(stderr, "qm5bench-cli: %s\n", why.c_str());
    std::exit(2);
}

// Starts program; its stdout goes to a pipe whose read end is returned in
// out, or to /dev/null when out is null.
pid_t spawn(std::vector<std::string> args, int* out)
{
    int pipeFds[2] = {-1, -1};
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    if (out) {
        if (::pipe2(pipeFds, O_CLOEXEC) != 0)
            cannotRun(std::string("pipe2: ") + std::strerror(errno));
        posix_spawn_file_actions_adddup2(&actions, pipeFds[1], 1);
    } else {
        posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    }
    std::vector<char*> argv;
    for (std::string& a : args)
        argv.push_back(a.data());
    argv.push_back(nullptr);
    pid_t pid = 0;
    const int rc = ::posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (out) {
        ::close(pipeFds[1]);
        *out = pipeFds[0];
    }
    if (rc != 0)
        cannotRun(args[0] + ": " + std::strerror(rc));
    return pid;
}

int waitFor(pid_t pid)
{
    int status = 0;
    while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

// Start to exit of one run, in ms; the program must exit 0.
double timeRun(const std::vector<std::string>& args)
{
    const double start = nowMs();
    const int rc = waitFor(spawn(args, nullptr));
    const double took = nowMs() - start;
    if (rc != 0)
        cannotRun(args[0] + " exited with " + std::to_string(rc));
    return took;
}

std::string readLine(int fd)
{
    std::string line;
    char c = 0;
    while (::read(fd, &c, 1) == 1 && c != '\n')
        line.push_back(c);
    return line;
}

struct Stats {
    double median = 0;
    double p99 = 0;
};

// Nearest-rank percentiles, as the other benchmarks give them.
Stats summarise(std::vector<double> samples)
{
    std::sort(samples.begin(), samples.end());
    const std::size_t n = samples.size();
    const auto rank = static_cast<std::size_t>(std::ceil(0.99 * static_cast<double>(n)));
    return {n % 2 ? samples[n / 2] : (samples[n / 2 - 1] + samples[n / 2]) / 2,
        samples[std::max<std::size_t>(rank, 1) - 1]};
}

std::string pair(const Stats& s)
{
    char text[64];
    std::snprintf(text, sizeof text, "%.2f / %.2f ms", s.median, s.p99);
    return text;
}

} // namespace

int main(int argc, char** argv)
{
    const bool smoke = argc > 1 && std::strcmp(argv[1], "--smoke") == 0;
    const int runs = smoke ? 5 : 300;
    constexpr double goal = 1.5;

    int projectorOut = -1;
    const pid_t projector = spawn({VIRTUAL_PROJECTOR, "--delay", "0"}, &projectorOut);
    const std::string device = readLine(projectorOut);
    if (device.empty())
        cannotRun("the virtual projector gave no terminal");

    // The projector's end looks for a new opener only every few tens of ms
    // while nobody has the terminal open; holding it open here keeps that
    // wait out of both figures. The replies still go to whoever reads them.
    const int held = ::open(device.c_str(), O_RDWR | O_NOCTTY);
    if (held < 0)
        cannotRun(device + ": " + std::strerror(errno));
    ::usleep(100'000);

    // The tool must really answer "Stand by" before it is timed.
    int toolOut = -1;
    const pid_t check = spawn({QM5CTL, "--device", device, "status"}, &toolOut);
    const std::string said = readLine(toolOut);
    ::close(toolOut);
    if (waitFor(check) != 0 || said != "Stand by")
        cannotRun("qm5ctl status said \"" + said + "\"");

    const std::vector<std::string> tool{QM5CTL, "--device", device, "status"};
    const std::vector<std::string> floor{STATUS_FLOOR, device};
    // Both meet warm caches; then they take turns, so drift in the machine's
    // load touches both alike.
    for (int i = 0; i < 3; ++i) {
        timeRun(tool);
        timeRun(floor);
    }
    std::vector<double> toolMs;
    std::vector<double> floorMs;
    for (int i = 0; i < runs; ++i) {
        toolMs.push_back(timeRun(tool));
        floorMs.push_back(timeRun(floor));
    }
    ::close(held);
    ::kill(projector, SIGTERM);
    waitFor(projector);

    const Stats t = summarise(toolMs);
    const Stats f = summarise(floorMs);
    const double ratio = t.median / f.median;
    char measured[32];
    std::snprintf(measured, sizeof measured, "%.2fx", ratio);
    const char* verdict = smoke ? "not judged (smoke)" : ratio <= goal ? "met" : "**missed**";
    std::printf("ROW\tqm5ctl status, start to exit\t%s\t%s\t%s\t≤ %.1fx\t%s\n", pair(t).c_str(), pair(f).c_str(),
        measured, goal, verdict);
    std::printf("NOTE\tqm5ctl status: %d runs each, qm5ctl and the floor in turn, against qm5-virtual-projector "
                "--delay 0, whose terminal the bench holds open as well; floor: open the terminal (raw, 19200), write "
                "\"CR0\" CR, read to the reply's CR, exit "
                "(plain POSIX, no Qt, no lock file)\n",
        runs);
    return 0;
}
