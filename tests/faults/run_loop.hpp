#pragma once
// Runs Qt's event loop as the program's own exec() does until a condition
// holds. QTest's waits sleep 10 ms between passes, which would hold a flooded
// port to one read per pass; where throughput matters the tests wait here.

#include <QEventLoop>
#include <QTimer>

#include <functional>

namespace qm5::test {

// True as soon as done() holds; false if it still does not after timeoutMs.
inline bool runLoopUntil(const std::function<bool()>& done, int timeoutMs)
{
    if (done())
        return true;
    QEventLoop loop;
    QTimer check;
    check.setInterval(1);
    QObject::connect(&check, &QTimer::timeout, &loop, [&] {
        if (done())
            loop.quit();
    });
    QTimer deadline;
    deadline.setSingleShot(true);
    QObject::connect(&deadline, &QTimer::timeout, &loop, &QEventLoop::quit);
    check.start();
    deadline.start(timeoutMs);
    loop.exec();
    return done();
}

} // namespace qm5::test
