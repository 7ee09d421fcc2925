// qm5bench-cli [--smoke]: "qm5ctl status" from process start to exit against
// qm5-virtual-projector with no reply delay, beside the floor: a bare program
// that opens the same terminal, writes "CR0" CR and reads the reply. For
// reference the same program on Qt (QCoreApplication, QSerialPort), and one
// that only links QtCore and exits. Prints ROW and NOTE lines for
// scripts/run-bench.

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

    const std::vector<std::vector<std::string>> programs{
        {QM5CTL, "--device", device, "status"},
        {STATUS_FLOOR, device},
        {STATUS_QT_FLOOR, device},
        {STATUS_QT_FLOOR, "--exit"},
    };
    // Every program meets warm caches; then they take turns, so drift in
    // the machine's load touches them alike.
    std::vector<std::vector<double>> ms(programs.size());
    for (int i = -3; i < runs; ++i) {
        for (std::size_t p = 0; p < programs.size(); ++p) {
            const double took = timeRun(programs[p]);
            if (i >= 0)
                ms[p].push_back(took);
        }
    }
    ::close(held);
    ::kill(projector, SIGTERM);
    waitFor(projector);

    std::vector<Stats> s;
    for (auto& samples : ms)
        s.push_back(summarise(samples));
    const double ratio = s[0].median / s[1].median;
    const char* verdict = smoke ? "not judged (smoke)" : ratio <= goal ? "met" : "**missed**";
    std::printf("ROW\tqm5ctl status, start to exit\t%s\t%s\t%.2fx\t≤ %.1fx\t%s\n", pair(s[0]).c_str(),
        pair(s[1]).c_str(), ratio, goal, verdict);
    std::printf("ROW\tqm5ctl status beside the same on Qt (reference)\t%s\t%s\t%.2fx\t-\t-\n", pair(s[0]).c_str(),
        pair(s[2]).c_str(), s[0].median / s[2].median);
    std::printf("NOTE\tqm5ctl status: %d runs of each program in turn, against qm5-virtual-projector --delay 0, "
                "whose terminal the bench holds open as well. Floor: open the terminal (raw, 19200), write \"CR0\" "
                "CR, read to the reply's CR, exit (plain POSIX, no Qt, no lock file). Reference: the same with "
                "QCoreApplication and QSerialPort, lock file included\n",
        runs);
    std::printf("NOTE\tA program that links QtCore, makes its QCoreApplication and exits takes %s (median / "
                "p99): the price of the stack before any work, against %s for the bare floor's whole run\n",
        pair(s[3]).c_str(), pair(s[1]).c_str());
    return 0;
}
