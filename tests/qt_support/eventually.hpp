#pragma once
// Bounded waits on Qt's event loop for GoogleTest. QTest's QTRY_ macros report
// to QTest's own log and merely return from the test function, so a failed
// wait would pass silently under GoogleTest; these fail the test instead.

#include <QTest>

#include <gtest/gtest.h>

#define QM5_ASSERT_EVENTUALLY_EQ(actual, expected, timeoutMs)                                                          \
    do {                                                                                                               \
        (void)QTest::qWaitFor([&] { return (actual) == (expected); }, (timeoutMs));                                    \
        ASSERT_EQ((actual), (expected)) << "still different after " << (timeoutMs) << " ms";                           \
    } while (0)

#define QM5_ASSERT_EVENTUALLY(condition, timeoutMs)                                                                    \
    do {                                                                                                               \
        (void)QTest::qWaitFor([&] { return static_cast<bool>(condition); }, (timeoutMs));                              \
        ASSERT_TRUE(condition) << "still false after " << (timeoutMs) << " ms";                                        \
    } while (0)
