// Ports the panel cannot have: one another program holds, a directory, a regular file.

#include <gtest/gtest.h>

#include <QDir>
#include <QFileInfo>
#include <QSerialPort>
#include <QTemporaryDir>

#include "layout/control_names.hpp"
#include "link/port_map.hpp"
#include "rig/eventually.hpp"
#include "rig/panel_rig.hpp"
#include "rig/raw_pty.hpp"
#include <QTest>

namespace qm5::test {
namespace {

namespace c = controls;

TEST(PortFaults, PortHeldOrNotATerminalWarnsOnceAndSendsNothingThere)
{
    QTemporaryDir scratch;
    const QString directory = scratch.filePath("not-a-port.d"), file = scratch.filePath("not-a-port");
    ASSERT_TRUE(QDir().mkpath(directory));
    ASSERT_TRUE(QFile(file).open(QIODevice::WriteOnly));

    const std::pair<QString, const char*> kinds[] = {{"", "Permission error while locking the device"},
        {directory, "Is a directory"}, {file, "Inappropriate ioctl for device"}};
    for (const auto& [notATerminal, cause] : kinds) {
        for (const bool atStart : {true, false}) { // else the user chooses COM2
            SCOPED_TRACE(std::string(cause) + (atStart ? ", at start-up" : ", choosing COM2"));
            RawPty held, free;
            std::string bad = notATerminal.isEmpty() ? held.path() : notATerminal.toStdString();
            // Another program on the terminal, with lock file and TIOCEXCL as QSerialPort leaves them.
            auto holder = std::make_unique<QSerialPort>(QString::fromStdString(held.path()));
            ASSERT_TRUE(!notATerminal.isEmpty() || holder->open(QIODevice::ReadWrite));

            PanelRig panel(atStart ? bad : free.path(), atStart ? free.path() : bad);
            if (!atStart) {
                panel.click(c::comButton);
                panel.click(c::com2);
            }
            ASSERT_EQ(panel.warnings.size(), 1u);
            EXPECT_EQ(panel.warnings[0], bad + ": " + cause);
            EXPECT_FALSE(panel.serial().isOpen());
            EXPECT_EQ(panel.window().isVisible(c::portPanel), !atStart) << "a failed choice leaves the port panel open";

            // A press after the warning tries again quietly; the fallback is port 1.
            panel.click(c::statusQuery);
            if (atStart) {
                QM5_ASSERT_EVENTUALLY_EQ(panel.caption(c::rxdLine), std::string(" X X X X"), waitMs);
            } else {
                ASSERT_EQ(free.readAtLeast(4, waitMs), "CR0\r");
                ASSERT_TRUE(free.writeAll("80\r"));
                QM5_ASSERT_EVENTUALLY_EQ(panel.caption(c::statusLine), std::string(" Stand by"), waitMs);
            }
            EXPECT_EQ(held.readAtLeast(1, 300), "") << "a frame on the held port";
            EXPECT_EQ(free.readAvailable(), "");
            EXPECT_EQ(QFileInfo(file).size(), 0) << "a byte went into the file";
            EXPECT_EQ(panel.warnings.size(), 1u);
            EXPECT_EQ(panel.ends, 0);

            if (atStart && notATerminal.isEmpty()) {
                holder.reset(); // once the other program lets go, the next press gets through
                panel.click(c::statusQuery);
                EXPECT_EQ(held.readAtLeast(4, waitMs), "CR0\r");
                EXPECT_TRUE(panel.serial().isOpen());
            }
        }
    }
}

// The device a port number stands for is decided when the port is chosen: a
// pulled adapter is tried again under its own name, never swapped for the
// built-in port that the map would fall back to.
TEST(PortFaults, PulledAdapterNeverTurnsIntoTheBuiltInPort)
{
    QTemporaryDir scratch;
    RawPty builtIn;
    const PortDevices devices{scratch.filePath("qm5rsc-com").toStdString(), {builtIn.path(), "/nonexistent/ttyS1"}};
    const std::string link = devices.linkStem + "1";
    auto adapter = std::make_unique<RawPty>();
    adapter->linkAs(link);
    PanelRig panel([devices](int port) { return devicePathForPort(port, devices); });
    panel.click(c::statusQuery);
    ASSERT_EQ(adapter->readAtLeast(4, waitMs), "CR0\r");

    ::unlink(link.c_str()); // pulled: udev removes the link, the device goes
    adapter.reset();
    QM5_ASSERT_EVENTUALLY(!panel.serial().isOpen(), waitMs);
    panel.click(c::powerOn);
    QM5_ASSERT_EVENTUALLY_EQ(panel.caption(c::rxdLine), std::string(" X X X X"), waitMs);

    RawPty replugged;
    replugged.linkAs(link);
    panel.click(c::powerOff);
    EXPECT_EQ(replugged.readAtLeast(4, waitMs), "C01\r");
    EXPECT_EQ(builtIn.readAvailable(), "") << "a frame went to the built-in port";
    EXPECT_TRUE(panel.warnings.empty());
}

} // namespace
} // namespace qm5::test
