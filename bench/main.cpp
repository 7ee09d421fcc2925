// qm5bench [--smoke] FIGURE...: runs the named figures, printing ROW and NOTE
// lines for scripts/run-bench. Exits 2 when a figure cannot run at all.

#include <QApplication>

#include <cstdio>
#include <cstring>
#include <string>

#include "benches.hpp"
#include "support.hpp"

namespace {

struct Figure {
    const char* name;
    int (*run)();
};

constexpr Figure figures[] = {
    {"click", qm5::bench::benchClick},
    {"reply", qm5::bench::benchReply},
    {"cadence", qm5::bench::benchCadence},
    {"flood", qm5::bench::benchFlood},
    {"startup", qm5::bench::benchStartup},
    {"idle", qm5::bench::benchIdle},
};

int usage()
{
    std::fprintf(stderr, "usage: qm5bench [--smoke] info|click|reply|cadence|flood|startup|idle...\n");
    return 2;
}

} // namespace

int main(int argc, char** argv)
{
    // Every window of the benchmarks is offscreen, the children's included.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);

    std::vector<std::string> wanted;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--smoke") == 0)
            qm5::bench::setSmoke(true);
        else
            wanted.emplace_back(argv[i]);
    }
    if (wanted.empty())
        return usage();

    for (const std::string& name : wanted) {
        if (name == "info") {
            std::printf("QT\t%s\nPLATFORM\t%s\n", qVersion(), qPrintable(QApplication::platformName()));
            continue;
        }
        const Figure* figure = nullptr;
        for (const Figure& f : figures) {
            if (name == f.name)
                figure = &f;
        }
        if (!figure)
            return usage();
        try {
            if (const int rc = figure->run())
                return rc;
        } catch (const qm5::bench::SetupError& e) {
            std::fprintf(stderr, "qm5bench: %s could not run: %s\n", name.c_str(), e.what.c_str());
            return 2;
        }
    }
    return 0;
}
