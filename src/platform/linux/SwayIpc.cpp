#include "platform/linux/SwayIpc.h"

#include <QJsonArray>
#include <QJsonObject>
#include <QStringList>
#include <chrono>
#include <cstring>
#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

namespace dexaro {

namespace {

constexpr char magic[] = {'i', '3', '-', 'i', 'p', 'c'};
constexpr int headerSize = int(sizeof magic) + 8;
// A reply larger than this is no reply of sway's (a tree of a few thousand windows is far less).
constexpr quint32 largestPayload = 64u << 20;

using Clock = std::chrono::steady_clock;

int remainingMs(Clock::time_point deadline) {
    const auto left =
        std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
    return left > 0 ? int(left) : 0;
}

// Waits until fd is ready for events (or wakeFd is readable) before the deadline.
// 1 ready, 0 timed out or woken, -1 error.
int waitFor(int fd, short events, Clock::time_point deadline, int wakeFd = -1) {
    for (;;) {
        pollfd fds[2] = {{fd, events, 0}, {wakeFd, POLLIN, 0}};
        const int n = ::poll(fds, wakeFd >= 0 ? 2 : 1, remainingMs(deadline));
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            return -1;
        if (n == 0 || (wakeFd >= 0 && (fds[1].revents & POLLIN)))
            return 0;
        if (fds[0].revents & (POLLERR | POLLNVAL))
            return -1;
        return 1; // readable, or hung up with data perhaps still to read
    }
}

} // namespace

std::unique_ptr<SwayIpc> SwayIpc::connect(const QString& socketPath, QString* error) {
    const QByteArray path = socketPath.toLocal8Bit();
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    if (path.isEmpty() || size_t(path.size()) >= sizeof address.sun_path) {
        if (error)
            *error = QStringLiteral("No usable sway IPC socket is named (SWAYSOCK).");
        return nullptr;
    }
    std::memcpy(address.sun_path, path.constData(), size_t(path.size()));
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    if (fd < 0 || ::connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) {
        if (error)
            *error = QStringLiteral("sway's IPC socket %1 does not answer: %2")
                         .arg(socketPath, QString::fromLocal8Bit(std::strerror(errno)));
        if (fd >= 0)
            ::close(fd);
        return nullptr;
    }
    return std::unique_ptr<SwayIpc>(new SwayIpc(fd));
}

SwayIpc::~SwayIpc() {
    if (m_fd >= 0)
        ::close(m_fd);
}

bool SwayIpc::send(quint32 type, const QByteArray& payload, int timeoutMs) {
    QByteArray message(magic, sizeof magic);
    const quint32 header[2] = {quint32(payload.size()), type};
    message.append(reinterpret_cast<const char*>(header), sizeof header);
    message.append(payload);
    const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
    qsizetype sent = 0;
    while (sent < message.size()) {
        const ssize_t n =
            ::send(m_fd, message.constData() + sent, size_t(message.size() - sent), MSG_NOSIGNAL);
        if (n > 0) {
            sent += n;
            continue;
        }
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK) &&
            waitFor(m_fd, POLLOUT, deadline) == 1)
            continue;
        return false;
    }
    return true;
}

std::optional<SwayIpc::Message> SwayIpc::receive(int timeoutMs) {
    const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
    const auto readExactly = [&](char* into, qsizetype size) {
        qsizetype got = 0;
        while (got < size) {
            const ssize_t n = ::recv(m_fd, into + got, size_t(size - got), 0);
            if (n > 0) {
                got += n;
                continue;
            }
            if (n == 0)
                return false; // the compositor closed the connection
            if (errno == EINTR)
                continue;
            if ((errno == EAGAIN || errno == EWOULDBLOCK) && waitFor(m_fd, POLLIN, deadline) == 1)
                continue;
            return false;
        }
        return true;
    };
    char header[headerSize];
    if (!readExactly(header, headerSize) || std::memcmp(header, magic, sizeof magic) != 0)
        return std::nullopt;
    quint32 sizeAndType[2];
    std::memcpy(sizeAndType, header + sizeof magic, sizeof sizeAndType);
    if (sizeAndType[0] > largestPayload)
        return std::nullopt;
    Message message;
    message.type = sizeAndType[1];
    message.payload.resize(qsizetype(sizeAndType[0]));
    if (!readExactly(message.payload.data(), message.payload.size()))
        return std::nullopt;
    return message;
}

std::optional<QJsonDocument> SwayIpc::request(Type type, const QByteArray& payload, int timeoutMs) {
    std::lock_guard lock(m_mutex);
    if (m_broken)
        return std::nullopt;
    if (!send(type, payload, timeoutMs)) {
        m_broken = true;
        return std::nullopt;
    }
    // On a connection that subscribed, events may come before the reply.
    for (;;) {
        const auto message = receive(timeoutMs);
        if (!message) {
            m_broken = true;
            return std::nullopt;
        }
        if (message->type & eventBit)
            continue;
        return QJsonDocument::fromJson(message->payload);
    }
}

std::optional<SwayIpc::Message> SwayIpc::next(int timeoutMs, int wakeFd) {
    std::lock_guard lock(m_mutex);
    if (m_broken)
        return std::nullopt;
    const int ready =
        waitFor(m_fd, POLLIN, Clock::now() + std::chrono::milliseconds(timeoutMs), wakeFd);
    if (ready == 0)
        return std::nullopt;
    auto message = ready > 0 ? receive(1500) : std::nullopt;
    if (!message)
        m_broken = true;
    return message;
}

QString SwayIpc::commandErrors(const QJsonDocument& reply) {
    QStringList errors;
    const QJsonArray results = reply.array();
    if (results.isEmpty())
        return QStringLiteral("sway gave no answer to the command");
    for (const QJsonValue& result : results) {
        const QJsonObject object = result.toObject();
        if (!object.value(QStringLiteral("success")).toBool())
            errors << object.value(QStringLiteral("error")).toString(QStringLiteral("refused"));
    }
    return errors.join(QStringLiteral("; "));
}

} // namespace dexaro
