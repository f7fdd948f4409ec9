#pragma once

#include <QByteArray>
#include <QObject>
#include <QString>

#include <chrono>

class QTcpServer;
class QTcpSocket;

// The loopback end of the browser's redirect (RFC 8252): waits on 127.0.0.1 for the request
// that brings the sign-in's state back. Any local process may connect too, so a request with
// another state is answered 400 and the wait goes on, and each connection is bounded: one
// request line of at most MaxRequestLine bytes within RequestTime, at most MaxConnections at
// once (a new one pushes out the oldest, so idle ones cannot lock the browser out).
class TOAuth2Redirect : public QObject {
    Q_OBJECT
public:
    static constexpr qint64 MaxRequestLine = 8 * 1024;
    static constexpr int MaxConnections = 16;

    TOAuth2Redirect(QString state, QByteArray donePage, std::chrono::milliseconds requestTime,
                    QObject* parent);

    // Listens at a port of the system's choice; the reason when it cannot.
    QString Listen();
    quint16 Port() const;
    // Stops listening and drops the connections still to send their request; an answer on its
    // way still goes out.
    void Close();

    // What the listener holds at the moment: connections, and bytes read but not yet taken.
    int OpenConnections() const;
    qint64 BufferedBytes() const;

signals:
    // The request with the right state: the provider's code, or its error (with the
    // description after ": ").
    void Answered(const QString& code, const QString& error);

private:
    void Accept();
    void Read(QTcpSocket* socket);
    void Reply(QTcpSocket* socket, const QByteArray& status, const QByteArray& page);

    QTcpServer* server_;
    QString state_;
    QByteArray donePage_;
    std::chrono::milliseconds requestTime_;
    bool answered_ = false;
};
