// sway's IPC against a socket of the test's own: a reply is read whole, and a
// compositor that never answers, answers garbage or goes away breaks the
// connection within its deadline instead of holding the caller.
#include "platform/linux/SwayIpc.h"
#include "platform/linux/SwayWindows.h"
#include "support/RecordingAlerts.h"

#include <QElapsedTimer>
#include <QJsonObject>
#include <QTemporaryDir>
#include <cstring>
#include <functional>
#include <gtest/gtest.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <thread>
#include <unistd.h>
#include <vector>

using namespace dexaro;

namespace {

// A server that hands each connection to serve on a thread of its own.
class FakeSway {
public:
    explicit FakeSway(std::function<void(int fd)> serve) : m_serve(std::move(serve)) {
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        const QByteArray path = QFile::encodeName(this->path());
        std::memcpy(address.sun_path, path.constData(), size_t(path.size()));
        m_listener = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
        ::bind(m_listener, reinterpret_cast<const sockaddr*>(&address), sizeof address);
        ::listen(m_listener, 4);
        m_thread = std::thread([this] {
            for (;;) {
                const int fd = ::accept(m_listener, nullptr, nullptr);
                if (fd < 0)
                    return;
                m_connections.emplace_back([this, fd] {
                    m_serve(fd);
                    ::close(fd);
                });
            }
        });
    }
    ~FakeSway() {
        ::shutdown(m_listener, SHUT_RDWR);
        ::close(m_listener);
        m_thread.join();
        for (std::thread& connection : m_connections)
            connection.join();
    }
    QString path() const { return m_dir.filePath(QStringLiteral("sway.sock")); }

    // Reads one request: its type, or -1 when none came whole.
    static qint64 readRequest(int fd) {
        char header[14];
        if (::recv(fd, header, sizeof header, MSG_WAITALL) != sizeof header)
            return -1;
        quint32 sizeAndType[2];
        std::memcpy(sizeAndType, header + 6, sizeof sizeAndType);
        QByteArray payload(qsizetype(sizeAndType[0]), '\0');
        if (!payload.isEmpty() &&
            ::recv(fd, payload.data(), size_t(payload.size()), MSG_WAITALL) != payload.size())
            return -1;
        return sizeAndType[1];
    }
    static void reply(int fd, quint32 type, const QByteArray& payload,
                      const char* magic = "i3-ipc") {
        QByteArray message(magic, 6);
        const quint32 header[2] = {quint32(payload.size()), type};
        message.append(reinterpret_cast<const char*>(header), sizeof header);
        message.append(payload);
        // In two parts, as a busy compositor may write it.
        ::send(fd, message.constData(), 9, MSG_NOSIGNAL);
        ::send(fd, message.constData() + 9, size_t(message.size() - 9), MSG_NOSIGNAL);
    }

private:
    QTemporaryDir m_dir;
    std::function<void(int)> m_serve;
    int m_listener = -1;
    std::thread m_thread;
    std::vector<std::thread> m_connections; // the accepting thread's
};

} // namespace

TEST(SwayIpc, AReplyIsReadWholeAndACompositorThatFailsBreaksTheConnectionInTime) {
    const struct {
        const char* name;
        std::function<void(int)> serve;
        bool answered;
    } rows[] = {
        {"answers",
         [](int fd) {
             const qint64 type = FakeSway::readRequest(fd);
             FakeSway::reply(fd, quint32(type), R"({"human_readable":"1.7"})");
         },
         true},
        {"never answers",
         [](int fd) {
             FakeSway::readRequest(fd);
             char byte;
             ::recv(fd, &byte, 1, 0); // until the client gives up and closes
         },
         false},
        {"answers in another protocol",
         [](int fd) { FakeSway::readRequest(fd), FakeSway::reply(fd, 7, "{}", "HTTP/1"); }, false},
        {"claims a reply larger than any",
         [](int fd) {
             FakeSway::readRequest(fd);
             const char header[14] = {'i', '3', '-', 'i', 'p', 'c', '\xff', '\xff', '\xff', '\x7f'};
             ::send(fd, header, sizeof header, MSG_NOSIGNAL);
         },
         false},
        {"hangs up", [](int fd) { FakeSway::readRequest(fd); }, false},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        FakeSway sway(row.serve);
        QString error;
        const auto ipc = SwayIpc::connect(sway.path(), &error);
        ASSERT_TRUE(ipc) << qPrintable(error);
        QElapsedTimer clock;
        clock.start();
        const auto reply = ipc->request(SwayIpc::getVersion, {}, 300);
        EXPECT_LT(clock.elapsed(), 1000);
        EXPECT_EQ(reply.has_value(), row.answered);
        EXPECT_EQ(ipc->isBroken(), !row.answered);
        if (reply)
            EXPECT_EQ(reply->object().value("human_readable").toString(), QStringLiteral("1.7"));
        else
            EXPECT_FALSE(ipc->request(SwayIpc::getTree, {}, 300)) << "broken stays broken";
    }
}

TEST(SwayIpc, NoSocketOrOneThatRefusesEventsGivesNoWindowLayer) {
    test::RecordingAlerts alerts;
    QString error;
    EXPECT_FALSE(SwayIpc::connect(QStringLiteral("/nonexistent/sway.sock"), &error));
    EXPECT_TRUE(error.contains(QStringLiteral("/nonexistent/sway.sock")));
    EXPECT_FALSE(SwayIpc::connect(QString(), &error));
    EXPECT_EQ(makeSwayWindows(alerts, QStringLiteral("/nonexistent/sway.sock")), nullptr);
    FakeSway refusing([](int fd) {
        const qint64 type = FakeSway::readRequest(fd);
        FakeSway::reply(fd, quint32(type), R"({"success":false})");
    });
    EXPECT_EQ(makeSwayWindows(alerts, refusing.path()), nullptr);
    EXPECT_TRUE(alerts.shown.isEmpty()) << "the platform falls back and says the limit itself";
}

TEST(SwayIpc, CommandErrorsNameWhatSwayRefused) {
    EXPECT_EQ(SwayIpc::commandErrors(QJsonDocument::fromJson(R"([{"success":true}])")), "");
    EXPECT_EQ(SwayIpc::commandErrors(QJsonDocument::fromJson(
                  R"([{"success":true},{"success":false,"error":"No matching node."}])")),
              QStringLiteral("No matching node."));
    EXPECT_FALSE(SwayIpc::commandErrors(QJsonDocument::fromJson("[]")).isEmpty());
}
