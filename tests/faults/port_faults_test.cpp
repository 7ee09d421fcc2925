// Ports the panel cannot have: one another program holds, a directory, a
// regular file. Each must end in one warning naming the path and the cause,
// no byte on that port, and a panel that goes on working.

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSerialPort>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <fcntl.h>
#include <linux/capability.h>
#include <memory>
#include <optional>
#include <sys/ioctl.h>
#include <sys/syscall.h>
#include <unistd.h>

#include "panel.hpp"
#include "qt_support/eventually.hpp"
#include "raw_pty.hpp"

namespace qm5::test {
namespace {

constexpr int waitMs = 5000;
// Long enough for a frame the panel had queued to reach the far end.
constexpr int quietMs = 300;

// A process with CAP_SYS_ADMIN (root) opens a terminal that another holds
// with TIOCEXCL all the same; an ordinary user gets EBUSY. For as long as
// this lives the calling thread, which is the one the panel opens ports on,
// acts without that capability.
class WithoutSysAdmin {
public:
    WithoutSysAdmin()
    {
        if (::syscall(SYS_capget, &header_, saved_) != 0)
            return;
        __user_cap_data_struct reduced[2] = {saved_[0], saved_[1]};
        reduced[CAP_TO_INDEX(CAP_SYS_ADMIN)].effective &= ~CAP_TO_MASK(CAP_SYS_ADMIN);
        ok_ = ::syscall(SYS_capset, &header_, reduced) == 0;
    }
    ~WithoutSysAdmin()
    {
        if (ok_)
            ::syscall(SYS_capset, &header_, saved_);
    }
    WithoutSysAdmin(const WithoutSysAdmin&) = delete;
    WithoutSysAdmin& operator=(const WithoutSysAdmin&) = delete;
    bool ok() const { return ok_; }

private:
    __user_cap_header_struct header_{_LINUX_CAPABILITY_VERSION_3, 0};
    __user_cap_data_struct saved_[2] = {};
    bool ok_ = false;
};

// Someone else on the terminal: either a serial-port user like the panel
// itself (lock file and TIOCEXCL, as QSerialPort leaves them) or a plain
// open with TIOCEXCL and no lock file.
enum class Holder { SerialPortUser, ExclusiveOpen };

struct HeldPort {
    std::unique_ptr<QSerialPort> port;
    int fd = -1;
    std::optional<WithoutSysAdmin> noAdmin;

    bool hold(Holder holder, const std::string& path)
    {
        if (holder == Holder::SerialPortUser) {
            port = std::make_unique<QSerialPort>(QString::fromStdString(path));
            return port->open(QIODevice::ReadWrite);
        }
        fd = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
        if (fd < 0 || ::ioctl(fd, TIOCEXCL) != 0)
            return false;
        noAdmin.emplace();
        return noAdmin->ok();
    }
    void release()
    {
        port.reset();
        noAdmin.reset();
        if (fd >= 0)
            ::close(fd);
        fd = -1;
    }
    ~HeldPort() { release(); }
};

TEST(PortFaults, PortHeldByAnotherProgramWarnsAndSendsNothingThere)
{
    struct Row {
        const char* name;
        Holder holder;
        const char* cause;
        bool atStart; // port 1 held when the panel starts; else COM2 chosen later
    };
    const Row rows[] = {
        {"lock file, at start-up", Holder::SerialPortUser, "Permission error while locking the device", true},
        {"lock file, choosing COM2", Holder::SerialPortUser, "Permission error while locking the device", false},
        {"TIOCEXCL, at start-up", Holder::ExclusiveOpen, "Device or resource busy", true},
        {"TIOCEXCL, choosing COM2", Holder::ExclusiveOpen, "Device or resource busy", false},
    };

    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        RawPty held;
        RawPty free;
        std::string error;
        ASSERT_TRUE(held.open(&error)) << error;
        ASSERT_TRUE(free.open(&error)) << error;
        HeldPort holder;
        ASSERT_TRUE(holder.hold(row.holder, held.slavePath()));

        Panel panel;
        panel.ports[1] = row.atStart ? held.slavePath() : free.slavePath();
        panel.ports[2] = row.atStart ? free.slavePath() : held.slavePath();
        panel.start();
        if (!row.atStart) {
            ASSERT_TRUE(panel.warnings.empty());
            panel.chooseCom2();
        }
        ASSERT_EQ(panel.warnings.size(), 1u);
        EXPECT_EQ(panel.warnings[0], held.slavePath() + ": " + row.cause);
        EXPECT_FALSE(panel.comm->portOpen());
        EXPECT_EQ(panel.comm->commPort(), 1);
        // A failed choice leaves the port panel open for another try.
        EXPECT_EQ(panel.shown("Frame8"), !row.atStart);

        // Presses after the warning try the port again quietly.
        panel.click("Command44");
        panel.click("Command17");
        if (row.atStart) {
            // Port 1 is still held: nothing goes anywhere.
            EXPECT_EQ(held.readAtLeast(1, quietMs), "");
            EXPECT_EQ(free.readAvailable(), "");
            EXPECT_FALSE(panel.comm->portOpen());
        } else {
            // The fallback is port 1, which is free: the frames go there.
            EXPECT_EQ(free.readAtLeast(8, waitMs), "CR0\rC00\r");
            EXPECT_EQ(held.readAtLeast(1, quietMs), "");
        }
        EXPECT_EQ(panel.warnings.size(), 1u);
        QM5_ASSERT_EVENTUALLY_EQ(panel.label("Label12"), std::string(" X X X X"), waitMs);

        if (row.atStart) {
            // Once the other program lets go, the next press gets through.
            holder.release();
            panel.click("Command44");
            EXPECT_EQ(held.readAtLeast(4, waitMs), "CR0\r");
            EXPECT_TRUE(panel.comm->portOpen());
        }
        EXPECT_EQ(panel.ends, 0);
    }
}

TEST(PortFaults, DirectoryOrRegularFileAsDeviceIsRefused)
{
    QTemporaryDir scratch;
    ASSERT_TRUE(scratch.isValid());
    const std::string directory = scratch.filePath("not-a-port.d").toStdString();
    const std::string file = scratch.filePath("not-a-port").toStdString();
    ASSERT_TRUE(QDir().mkpath(QString::fromStdString(directory)));
    {
        QFile touch(QString::fromStdString(file));
        ASSERT_TRUE(touch.open(QIODevice::WriteOnly));
    }

    struct Row {
        const char* name;
        const std::string& path;
        const char* cause;
        bool atStart;
    };
    const Row rows[] = {
        {"directory, at start-up", directory, "Is a directory", true},
        {"directory, choosing COM2", directory, "Is a directory", false},
        {"regular file, at start-up", file, "Inappropriate ioctl for device", true},
        {"regular file, choosing COM2", file, "Inappropriate ioctl for device", false},
    };

    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        RawPty far;
        std::string error;
        ASSERT_TRUE(far.open(&error)) << error;
        Panel panel;
        panel.ports[1] = row.atStart ? row.path : far.slavePath();
        panel.ports[2] = row.atStart ? far.slavePath() : row.path;
        panel.start();
        if (!row.atStart)
            panel.chooseCom2();
        ASSERT_EQ(panel.warnings.size(), 1u);
        EXPECT_EQ(panel.warnings[0], row.path + ": " + row.cause);
        EXPECT_FALSE(panel.comm->portOpen());
        EXPECT_EQ(panel.shown("Frame8"), !row.atStart);

        panel.click("Command44");
        if (!row.atStart) {
            // Back on port 1, the panel is answered as before.
            ASSERT_EQ(far.readAtLeast(4, waitMs), "CR0\r");
            ASSERT_TRUE(far.writeAll("80\r"));
            QM5_ASSERT_EVENTUALLY_EQ(panel.label("Label22"), std::string(" Stand by"), waitMs);
        } else {
            QM5_ASSERT_EVENTUALLY_EQ(panel.label("Label12"), std::string(" X X X X"), waitMs);
        }
        EXPECT_EQ(panel.warnings.size(), 1u);
        EXPECT_EQ(QFileInfo(QString::fromStdString(file)).size(), 0) << "a byte went into the file";
        EXPECT_TRUE(QFileInfo(QString::fromStdString(directory)).isDir());
    }
}

} // namespace
} // namespace qm5::test
