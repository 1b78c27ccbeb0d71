#pragma once
// One connection to sway's IPC socket (the i3 IPC protocol: "i3-ipc", the
// payload's length and the message type in native byte order, then JSON).
// Every wait has a deadline: a compositor that stops answering breaks the
// connection instead of holding the caller.
#include <QByteArray>
#include <QJsonDocument>
#include <QString>
#include <memory>
#include <mutex>
#include <optional>

namespace dexaro {

class SwayIpc {
public:
    enum Type : quint32 {
        runCommand = 0,
        getWorkspaces = 1,
        subscribe = 2,
        getOutputs = 3,
        getTree = 4,
        getVersion = 7,
        getConfig = 9,
    };
    // Events have the high bit set.
    static constexpr quint32 eventBit = 0x80000000u;
    enum Event : quint32 {
        windowEvent = eventBit | 3,
        bindingEvent = eventBit | 5,
        shutdownEvent = eventBit | 6
    };

    struct Message {
        quint32 type = 0;
        QByteArray payload;
    };

    // nullptr and a readable error when the socket does not answer.
    static std::unique_ptr<SwayIpc> connect(const QString& socketPath, QString* error = nullptr);
    ~SwayIpc();
    SwayIpc(const SwayIpc&) = delete;
    SwayIpc& operator=(const SwayIpc&) = delete;

    // Sends a request and waits for its reply, timeoutMs at most; nullopt when
    // none came (the connection is broken then). Any thread, one at a time.
    std::optional<QJsonDocument> request(Type type, const QByteArray& payload = {},
                                         int timeoutMs = 1500);
    // The next message, for a connection that subscribed to events: waits up
    // to timeoutMs, or until wakeFd (when >= 0) becomes readable; nullopt then
    // or when the connection broke (see isBroken()).
    std::optional<Message> next(int timeoutMs, int wakeFd = -1);

    bool isBroken() const { return m_broken; }
    // The socket, to watch for events with (readable: next() has a message).
    int fd() const { return m_fd; }

    // The run_command reply's errors ("" when every command succeeded).
    static QString commandErrors(const QJsonDocument& reply);

private:
    explicit SwayIpc(int fd) : m_fd(fd) {}
    bool send(quint32 type, const QByteArray& payload, int timeoutMs);
    std::optional<Message> receive(int timeoutMs);

    int m_fd = -1;
    bool m_broken = false;
    std::mutex m_mutex;
};

} // namespace dexaro
