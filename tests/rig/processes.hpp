#pragma once
// The project's programs as processes of their own, for the tests and the
// benchmarks that run them as a user does, and a TCP port for a daemon.

#include <QProcess>
#include <QStringList>

#include <string>

namespace qm5::test {

// A free TCP port on loopback just now, for a daemon to listen on.
quint16 freeTcpPort();

// A program started with its arguments, its error output passed through (or
// dropped); SIGTERM and a wait when this goes.
class ProgramProcess {
public:
    ProgramProcess(const QString& program, const QStringList& arguments, bool showErrors = true);
    ~ProgramProcess();
    ProgramProcess(const ProgramProcess&) = delete;
    ProgramProcess& operator=(const ProgramProcess&) = delete;

    bool started() const { return process_.state() == QProcess::Running; }
    int pid() const { return static_cast<int>(process_.processId()); }
    QProcess& process() { return process_; }

private:
    QProcess process_;
};

// qm5-virtual-projector: the terminal it serves is the first line it prints.
class VirtualProjectorProcess : public ProgramProcess {
public:
    VirtualProjectorProcess(const QString& program, const QStringList& arguments = {"--delay", "0"});
    // Empty when it did not start.
    const std::string& path() const { return path_; }

private:
    std::string path_;
};

} // namespace qm5::test
