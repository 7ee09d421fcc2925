#pragma once
// Bounded waits on Qt's event loop. QTest's QTRY_ macros report to QTest's own
// log and merely return from the test function, so a failed wait would pass
// silently under GoogleTest; these fail the test instead.

#include <QEventLoop>
#include <QTimer>

#include <functional>

#define QM5_ASSERT_EVENTUALLY_EQ(actual, expected, timeoutMs)                                                          \
    do {                                                                                                               \
        (void)::qm5::test::runLoopUntil([&] { return (actual) == (expected); }, (timeoutMs));                          \
        ASSERT_EQ((actual), (expected)) << "still different after " << (timeoutMs) << " ms";                           \
    } while (0)

#define QM5_ASSERT_EVENTUALLY(condition, timeoutMs)                                                                    \
    do {                                                                                                               \
        (void)::qm5::test::runLoopUntil([&] { return static_cast<bool>(condition); }, (timeoutMs));                    \
        ASSERT_TRUE(condition) << "still false after " << (timeoutMs) << " ms";                                        \
    } while (0)

namespace qm5::test {

inline constexpr int waitMs = 5000;

// Runs the event loop as exec() does until done() or timeoutMs; QTest's
// waits sleep 10 ms a pass, which would hold a flooded port to one read a pass.
inline bool runLoopUntil(const std::function<bool()>& done, int timeoutMs)
{
    QEventLoop loop;
    QTimer check;
    QObject::connect(&check, &QTimer::timeout, &loop, [&] {
        if (done())
            loop.quit();
    });
    QTimer::singleShot(timeoutMs, &loop, &QEventLoop::quit);
    check.start(1);
    return done() || (loop.exec(), done());
}

inline void runLoopFor(int ms)
{
    runLoopUntil([] { return false; }, ms);
}

} // namespace qm5::test
