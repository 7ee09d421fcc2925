#pragma once
// Puts a Line behind a pseudo-terminal, served from the Qt event loop of the
// thread that opens it. The panel opens the slave path like a serial port.
//
// When nobody has the slave open, the master reports hang-up on every poll, so
// a read notifier would fire without end. Instead of holding a slave open
// ourselves (which would keep stale replies queued for the next opener), the
// endpoint then parks the notifier and checks for a new opener on a slow timer.
// Replies that fall due while nobody listens are lost, as on a real line.

#include <QElapsedTimer>
#include <QTimer>

#include <cstdint>
#include <memory>
#include <string>

class QSocketNotifier;

namespace qm5::sim {

class Line;

class PtyEndpoint {
public:
    static constexpr int peerPollMs = 25;
    static constexpr int writeRetryMs = 10;
    // Bytes the master would not take yet; beyond this they are dropped.
    static constexpr std::size_t maxBacklog = 64 * 1024;

    // line must outlive the endpoint.
    explicit PtyEndpoint(Line& line);
    ~PtyEndpoint();
    PtyEndpoint(const PtyEndpoint&) = delete;
    PtyEndpoint& operator=(const PtyEndpoint&) = delete;

    // Creates the pseudo-terminal in raw mode and starts serving it. On failure
    // returns false and, if error is given, says why.
    bool open(std::string* error = nullptr);
    void close();

    bool isOpen() const { return master_ >= 0; }
    // The device the panel opens, e.g. "/dev/pts/5"; empty when closed.
    const std::string& slavePath() const { return slavePath_; }
    // Whether someone has the slave open, as last seen.
    bool peerPresent() const { return peerPresent_; }

private:
    std::int64_t nowMs() const { return clock_.elapsed(); }
    bool readInput();
    void onReadable();
    void checkPeer();
    void peerLeft();
    void pump();
    void writeBacklog();
    bool hungUp() const;

    Line& line_;
    int master_ = -1;
    std::string slavePath_;
    std::unique_ptr<QSocketNotifier> notifier_;
    QTimer dueTimer_;
    QTimer peerTimer_;
    QElapsedTimer clock_;
    std::string backlog_;
    bool peerPresent_ = false;
};

} // namespace qm5::sim
