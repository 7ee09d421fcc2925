#include "rig/processes.hpp"

#include <QTcpServer>

namespace qm5::test {

quint16 freeTcpPort()
{
    QTcpServer probe;
    probe.listen(QHostAddress::LocalHost);
    return probe.serverPort();
}

ProgramProcess::ProgramProcess(const QString& program, const QStringList& arguments, bool showErrors)
{
    if (showErrors)
        process_.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    else
        process_.setStandardErrorFile(QProcess::nullDevice());
    process_.start(program, arguments);
    process_.waitForStarted();
}

ProgramProcess::~ProgramProcess()
{
    process_.terminate();
    if (!process_.waitForFinished(3000))
        process_.kill();
}

VirtualProjectorProcess::VirtualProjectorProcess(const QString& program, const QStringList& arguments)
    : ProgramProcess(program, arguments)
{
    if (process().waitForReadyRead(5000))
        path_ = process().readLine().trimmed().toStdString();
}

} // namespace qm5::test
