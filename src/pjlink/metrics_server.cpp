#include "pjlink/metrics_server.hpp"

#include <QTcpSocket>
#include <QTimer>

#include <utility>

namespace qm5::pjlink {

namespace {

constexpr const char* metricsType = "text/plain; version=0.0.4; charset=utf-8";
constexpr const char* indexPage =
    "<html><head><title>qm5-pjlink</title></head><body><a href=\"/metrics\">Metrics</a></body></html>\n";

struct Request {
    std::string method;
    std::string path;
    bool keepAlive = true;
    bool hasBody = false;
};

std::string lowerCase(std::string text)
{
    for (char& c : text)
        c = (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
    return text;
}

class HttpClient : public QObject {
public:
    HttpClient(QTcpSocket* socket, const MetricsServer::Render& render, HttpLimits limits, QObject* parent)
        : QObject(parent)
        , socket_(socket)
        , render_(render)
        , limits_(limits)
    {
        socket_->setParent(this);
        // Nothing waits in Qt's buffer beyond one line and its end.
        socket_->setReadBufferSize(limits_.maxLineBytes + 2);
        idle_.setSingleShot(true);
        idle_.setInterval(limits_.idleMs);
        connect(&idle_, &QTimer::timeout, this, &HttpClient::close);
        connect(socket_, &QTcpSocket::readyRead, this, &HttpClient::readLines);
        connect(socket_, &QTcpSocket::disconnected, this, &QObject::deleteLater);
        idle_.start();
    }

private:
    void readLines()
    {
        idle_.start();
        while (!closing_ && socket_->canReadLine()) {
            const QByteArray raw = socket_->readLine(limits_.maxLineBytes + 2);
            if (!raw.endsWith('\n'))
                return close(); // longer than a line may be
            std::string line = raw.chopped(raw.endsWith("\r\n") ? 2 : 1).toStdString();
            take(line);
        }
        // A line that has not ended within the limit never will.
        if (!closing_ && socket_->bytesAvailable() > limits_.maxLineBytes)
            close();
    }

    void take(const std::string& line)
    {
        if (!inRequest_) {
            if (line.empty())
                return; // blank lines between requests are allowed
            request_ = {};
            const auto first = line.find(' ');
            const auto second = line.find(' ', first + 1);
            if (first == std::string::npos || second == std::string::npos || line.compare(second + 1, 5, "HTTP/") != 0)
                return respond("400 Bad Request", "text/plain", "bad request\n", false);
            request_.method = line.substr(0, first);
            request_.path = line.substr(first + 1, second - first - 1);
            request_.keepAlive = line.substr(second + 1) != "HTTP/1.0";
            inRequest_ = true;
            headers_ = 0;
            return;
        }
        if (!line.empty()) {
            if (++headers_ > limits_.maxHeaders)
                return close();
            const std::string header = lowerCase(line.substr(0, line.find(':')));
            const std::string value = lowerCase(line.substr(line.find(':') + 1));
            if (header == "connection")
                request_.keepAlive = value.find("close") == std::string::npos;
            if ((header == "content-length" && value.find_first_not_of(" 0") != std::string::npos)
                || header == "transfer-encoding")
                request_.hasBody = true;
            return;
        }
        inRequest_ = false;
        answer();
    }

    void answer()
    {
        // A request with a body is answered and the connection closed: the
        // body is never read.
        const bool keep = request_.keepAlive && !request_.hasBody;
        if (request_.method != "GET")
            return respond("405 Method Not Allowed", "text/plain", "only GET\n", false, "Allow: GET\r\n");
        std::string path = request_.path.substr(0, request_.path.find('?'));
        if (path == "/metrics")
            return respond("200 OK", metricsType, render_(), keep);
        if (path == "/")
            return respond("200 OK", "text/html; charset=utf-8", indexPage, keep);
        respond("404 Not Found", "text/plain", "not found\n", keep);
    }

    void respond(const char* status, const char* type, const std::string& body, bool keep, const char* extra = "")
    {
        std::string head = std::string("HTTP/1.1 ") + status + "\r\nContent-Type: " + type + "\r\nContent-Length: "
            + std::to_string(body.size()) + "\r\n" + extra + (keep ? "" : "Connection: close\r\n") + "\r\n";
        socket_->write(head.data(), static_cast<qint64>(head.size()));
        socket_->write(body.data(), static_cast<qint64>(body.size()));
        if (!keep)
            close();
    }

    void close()
    {
        if (std::exchange(closing_, true))
            return;
        idle_.stop();
        socket_->disconnectFromHost();
        // A client that does not read keeps unsent bytes from ever leaving.
        QTimer::singleShot(1000, this, [this] {
            socket_->abort();
            deleteLater();
        });
    }

    QTcpSocket* socket_;
    const MetricsServer::Render& render_;
    HttpLimits limits_;
    QTimer idle_;
    Request request_;
    int headers_ = 0;
    bool inRequest_ = false;
    bool closing_ = false;
};

} // namespace

MetricsServer::MetricsServer(Render render, HttpLimits limits, QObject* parent)
    : QObject(parent)
    , render_(std::move(render))
    , listener_(limits.maxClients,
          [this, limits](QTcpSocket* socket) { return new HttpClient(socket, render_, limits, this); })
{ }

} // namespace qm5::pjlink
