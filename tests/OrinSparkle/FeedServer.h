#pragma once

#include <QByteArray>
#include <QList>
#include <QTcpServer>
#include <QTcpSocket>

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
            connect(socket, &QTcpSocket::readyRead, this, [this, socket] {
                QByteArray &head = m_heads[socket];
                head += socket->readAll();
                if (!head.contains("\r\n\r\n") || m_answered.contains(socket))
                    return;
                m_answered.append(socket);
                requests.append(head);
                socket->write(m_response);
                socket->disconnectFromHost();
            });
        }
    }

    QTcpServer m_server;
    QByteArray m_response;
    QHash<QTcpSocket *, QByteArray> m_heads;
    QList<QTcpSocket *> m_answered;
};
