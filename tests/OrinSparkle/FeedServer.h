#pragma once

#include <QByteArray>
#include <QList>
#include <QTcpServer>
#include <QTcpSocket>

#include <memory>

using namespace Qt::StringLiterals;

// Serves one canned HTTP response on 127.0.0.1 to every request, and remembers the requests.
class FeedServer : public QObject {
    Q_OBJECT

public:
    explicit FeedServer(QObject *parent = nullptr)
        : QObject(parent) {
        connect(&m_server, &QTcpServer::newConnection, this, &FeedServer::accept);
    }

    bool listen() { return m_server.listen(QHostAddress::LocalHost, 0); }
    QString url(const QString &scheme = u"http"_s) const {
        return u"%1://127.0.0.1:%2/appcast.xml"_s.arg(scheme).arg(m_server.serverPort());
    }

    void respond(const QByteArray &body, int status = 200,
                 const QByteArray &type = "application/rss+xml") {
        m_response = "HTTP/1.1 " + QByteArray::number(status) + " Canned\r\nContent-Type: " + type +
                     "\r\nContent-Length: " + QByteArray::number(body.size()) +
                     "\r\nConnection: close\r\n\r\n" + body;
    }

    // Request heads received so far.
    QList<QByteArray> requests;

private:
    void accept() {
        while (QTcpSocket *socket = m_server.nextPendingConnection()) {
            connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
            // Per connection, not per socket address: a new socket may reuse a deleted one's.
            auto head = std::make_shared<QByteArray>();
            connect(socket, &QTcpSocket::readyRead, this, [this, socket, head] {
                if (head->contains("\r\n\r\n"))
                    return; // answered
                *head += socket->readAll();
                if (!head->contains("\r\n\r\n"))
                    return;
                requests.append(*head);
                socket->write(m_response);
                socket->disconnectFromHost();
            });
        }
    }

    QTcpServer m_server;
    QByteArray m_response;
};
