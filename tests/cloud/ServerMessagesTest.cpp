// What a container on a server says when it cannot connect: what libpq or the server said, in
// sentences, and not the usual words of the error's code.
#include "cloud/Container.h"
#include "cloud/PostgresConnection.h"

#include <QTcpServer>

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

using cloud::Container;
using cloud::PostgresConnection;

TEST(LibpqMessages, AreJoinedIntoTheSentencesTheyAre) {
    const struct {
        const char* what;
        QString text;
        QString joined;
    } cases[] = {
        {"a hint after a sentence with no stop",
         "connection to server at \"h\" (192.0.2.10), port 5432 failed: Connection refused\n"
         "\tIs the server running on that host and accepting TCP/IP connections?\n",
         "connection to server at \"h\" (192.0.2.10), port 5432 failed: Connection refused. Is "
         "the server running on that host and accepting TCP/IP connections?"},
        {"a sentence over two lines after one with no stop",
         "server closed the connection unexpectedly\n"
         "\tThis probably means the server terminated abnormally\n"
         "\tbefore or while processing the request.\n",
         "server closed the connection unexpectedly. This probably means the server terminated "
         "abnormally before or while processing the request."},
        {"the server's words before libpq's",
         "FATAL:  terminating connection due to administrator command\n"
         "server closed the connection unexpectedly\n"
         "\tThis probably means the server terminated abnormally\n"
         "\tbefore or while processing the request.\n",
         "FATAL: terminating connection due to administrator command. server closed the "
         "connection unexpectedly. This probably means the server terminated abnormally before "
         "or while processing the request."},
        {"two hosts tried one after the other",
         "connection to server at \"a\" (192.0.2.1), port 1 failed: Connection refused\n"
         "\tIs the server running on that host and accepting TCP/IP connections?\n"
         "connection to server at \"b\" (192.0.2.2), port 2 failed: timeout expired\n",
         "connection to server at \"a\" (192.0.2.1), port 1 failed: Connection refused. Is the "
         "server running on that host and accepting TCP/IP connections? connection to server at "
         "\"b\" (192.0.2.2), port 2 failed: timeout expired"},
        {"a line that starts in lower case without being indented",
         "could not connect\nunknown host\n", "could not connect. unknown host"},
        {"one line", "invalid sslmode value: \"bogus\"\n", "invalid sslmode value: \"bogus\""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(PostgresConnection::joinedLines(c.text).toStdString(), c.joined.toStdString());
    }
}

// A server of another kind on the loopback port: it takes each connection, reads what the
// client says first, answers `answer` (or nothing) and closes it.
class OtherServer {
public:
    explicit OtherServer(QByteArray answer) : answer_(std::move(answer)) {
        listener_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t size = sizeof address;
        if (listener_ < 0 || ::bind(listener_, reinterpret_cast<sockaddr*>(&address), size) != 0 ||
            ::listen(listener_, 8) != 0 ||
            ::getsockname(listener_, reinterpret_cast<sockaddr*>(&address), &size) != 0)
            return;
        port_ = ntohs(address.sin_port);
        thread_ = std::thread([this] { serve(); });
    }
    ~OtherServer() {
        stop_ = true;
        if (thread_.joinable())
            thread_.join();
        if (listener_ >= 0)
            ::close(listener_);
    }
    OtherServer(const OtherServer&) = delete;
    OtherServer& operator=(const OtherServer&) = delete;

    quint16 port() const { return port_; }

private:
    void serve() {
        while (!stop_) {
            pollfd waiting{listener_, POLLIN, 0};
            if (::poll(&waiting, 1, 50) <= 0)
                continue;
            const int peer = ::accept4(listener_, nullptr, nullptr, SOCK_CLOEXEC);
            if (peer < 0)
                continue;
            // What the client sends first is read before the answer goes (and before the
            // connection is closed, which would otherwise reset it).
            pollfd asked{peer, POLLIN, 0};
            char request[4096];
            if (::poll(&asked, 1, 5'000) > 0)
                (void)!::read(peer, request, sizeof request);
            if (!answer_.isEmpty())
                (void)!::write(peer, answer_.constData(), size_t(answer_.size()));
            ::close(peer);
        }
    }

    QByteArray answer_;
    int listener_ = -1;
    quint16 port_ = 0;
    std::atomic<bool> stop_ = false;
    std::thread thread_;
};

TEST(ServerMessages, AConnectionThatFailsIsSaidInTheWordsOfTheClientOrTheServer) {
    QTcpServer closed;
    ASSERT_TRUE(closed.listen(QHostAddress::LocalHost));
    const quint16 closedPort = closed.serverPort();
    closed.close();
    OtherServer hangsUp{QByteArray()};
    OtherServer webServer{"HTTP/1.1 400 Bad Request\r\nContent-Length: 0\r\n\r\n"};
    ASSERT_NE(hangsUp.port(), 0);
    ASSERT_NE(webServer.port(), 0);
    const auto at = [](quint16 port, const char* parameters = "") {
        return QStringLiteral("postgresql://ann@127.0.0.1:%1/lists%2")
            .arg(port)
            .arg(QLatin1String(parameters));
    };
    const struct {
        const char* what;
        QString address;
        QString says; // libpq's words, on one line
    } cases[] = {
        {"a port nothing listens on", at(closedPort),
         "Connection refused. Is the server running on that host and accepting TCP/IP "
         "connections?"},
        {"a port where a server hangs up at once", at(hangsUp.port(), "?sslmode=disable"),
         "server closed the connection unexpectedly. This probably means the server terminated "
         "abnormally before or while processing the request."},
        {"a port where another kind of server answers", at(webServer.port(), "?sslmode=prefer"),
         "received invalid response to SSL negotiation: H"},
        {"an sslmode the client does not know", at(closedPort, "?sslmode=bogus"),
         "invalid sslmode value: \"bogus\""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        auto container = Container::openServer(c.address, 2'000);
        ASSERT_TRUE(container.ok()) << container.error().message.toStdString();
        const auto user = container.value()->currentUser(QStringLiteral("mac"));
        ASSERT_FALSE(user.ok());
        const QString& message = user.error().message;
        EXPECT_TRUE(
            message.startsWith("The cloud server " + Container::describeLocation(c.address)))
            << message.toStdString();
        EXPECT_TRUE(message.contains(c.says)) << message.toStdString();
        EXPECT_FALSE(message.contains(QLatin1String("network"))) << message.toStdString();
    }
}

} // namespace
