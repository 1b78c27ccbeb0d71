#pragma once
// A tiny HTTP server on 127.0.0.1 for tests of network clients: it answers
// every request the same way, chosen by its mode.
#include <QByteArray>
#include <QTcpServer>
#include <QTcpSocket>
#include <QUrl>

namespace dexaro::test {

class LocalHttpServer : public QObject {
public:
    enum class Mode {
        Serve,        // 200 with the body
        RedirectLoop, // 302 back to the same address
        Close,        // reads the request, closes without a word
        Hang,         // reads the request, never answers
    };

    explicit LocalHttpServer(Mode mode = Mode::Serve, QByteArray body = {})
        : m_mode(mode), m_body(std::move(body)) {
        m_server.listen(QHostAddress::LocalHost);
        QObject::connect(&m_server, &QTcpServer::newConnection, this, [this] {
            while (QTcpSocket* socket = m_server.nextPendingConnection()) {
                socket->setParent(this);
                QObject::connect(socket, &QTcpSocket::readyRead, this,
                                 [this, socket] { answer(socket); });
            }
        });
    }

    QUrl url() const {
        return QUrl(QStringLiteral("http://127.0.0.1:%1/appcast.xml").arg(m_server.serverPort()));
    }
    int requests = 0;

private:
    void answer(QTcpSocket* socket) {
        QByteArray& request = m_pending[socket];
        request += socket->readAll();
        if (!request.contains("\r\n\r\n"))
            return;
        request.clear();
        ++requests;
        switch (m_mode) {
        case Mode::Serve:
            socket->write(
                "HTTP/1.1 200 OK\r\nContent-Type: application/rss+xml\r\nContent-Length: " +
                QByteArray::number(m_body.size()) + "\r\n\r\n" + m_body);
            break;
        case Mode::RedirectLoop:
            socket->write("HTTP/1.1 302 Found\r\nLocation: " + url().toEncoded() +
                          "\r\nContent-Length: 0\r\n\r\n");
            break;
        case Mode::Close:
            socket->close();
            break;
        case Mode::Hang:
            break;
        }
    }

    QTcpServer m_server;
    Mode m_mode;
    QByteArray m_body;
    QHash<QTcpSocket*, QByteArray> m_pending;
};

} // namespace dexaro::test
