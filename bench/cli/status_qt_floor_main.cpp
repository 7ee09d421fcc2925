// The same least work as status_floor_main.cpp on qm5ctl's own stack: a
// QCoreApplication and a QSerialPort (which takes the port's lock file) open
// the terminal, write "CR0" CR and wait for the reply's CR. What is left
// between this and qm5ctl is qm5ctl's own doing. With --exit it only starts.

#include <QCoreApplication>
#include <QSerialPort>

#include <cstdio>

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: qm5bench-cli-qt-floor DEVICE|--exit\n");
        return 2;
    }
    // The stack's own price: loaded, an application made, nothing done.
    if (qstrcmp(argv[1], "--exit") == 0)
        return 0;
    QSerialPort port(QString::fromLocal8Bit(argv[1]));
    port.setBaudRate(19200);
    if (!port.open(QIODevice::ReadWrite))
        return 3;
    port.write("CR0\r", 4);
    port.flush();
    QByteArray reply;
    while (!reply.contains('\r') && port.waitForReadyRead(2000))
        reply += port.readAll();
    return reply.contains('\r') ? 0 : 1;
}
