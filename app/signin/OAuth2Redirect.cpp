#include "OAuth2Redirect.h"

#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>
#include <QUrlQuery>

namespace {

const char* const RepliedProperty = "replied";

bool Replied(const QTcpSocket* socket) {
    return socket->property(RepliedProperty).toBool();
}

void Drop(QTcpSocket* socket) {
    socket->abort();
    socket->deleteLater();
}

// The query of a request target. The redirect's query is form-encoded: "+" is a blank and
// "%2B" a plus, so the pluses become blanks before the one decoding.
QUrlQuery TargetQuery(const QByteArray& target) {
    const qsizetype mark = target.indexOf('?');
    if (mark < 0)
        return {};
    return QUrlQuery(QString::fromUtf8(target.mid(mark + 1)).replace(u'+', QStringLiteral("%20")));
}

QString Value(const QUrlQuery& query, const QString& name) {
    return query.queryItemValue(name, QUrl::FullyDecoded);
}

} // namespace

TOAuth2Redirect::TOAuth2Redirect(QString state, QByteArray donePage,
                                 std::chrono::milliseconds requestTime, QObject* parent)
    : QObject(parent), server_(new QTcpServer(this)), state_(std::move(state)),
      donePage_(std::move(donePage)), requestTime_(requestTime) {
    connect(server_, &QTcpServer::newConnection, this, &TOAuth2Redirect::Accept);
}

QString TOAuth2Redirect::Listen() {
    return server_->listen(QHostAddress::LocalHost, 0) ? QString() : server_->errorString();
}

quint16 TOAuth2Redirect::Port() const {
    return server_->serverPort();
}

void TOAuth2Redirect::Close() {
    server_->close();
    for (QTcpSocket* socket : findChildren<QTcpSocket*>(Qt::FindDirectChildrenOnly))
        if (!Replied(socket))
            Drop(socket);
}

int TOAuth2Redirect::OpenConnections() const {
    int open = 0;
    for (const QTcpSocket* socket : findChildren<QTcpSocket*>(Qt::FindDirectChildrenOnly))
        open += socket->state() != QAbstractSocket::UnconnectedState;
    return open;
}

qint64 TOAuth2Redirect::BufferedBytes() const {
    qint64 bytes = 0;
    for (const QTcpSocket* socket : findChildren<QTcpSocket*>(Qt::FindDirectChildrenOnly))
        bytes += socket->bytesAvailable();
    return bytes;
}

void TOAuth2Redirect::Accept() {
    while (QTcpSocket* socket = server_->nextPendingConnection()) {
        // Children keep their order of arrival: the oldest make room first.
        int open = OpenConnections();
        for (QTcpSocket* old : findChildren<QTcpSocket*>(Qt::FindDirectChildrenOnly)) {
            if (open < MaxConnections)
                break;
            if (old->state() != QAbstractSocket::UnconnectedState) {
                Drop(old);
                --open;
            }
        }
        socket->setParent(this);
        // Past the buffer, Qt stops reading and the sender waits: Read sees a full buffer.
        socket->setReadBufferSize(MaxRequestLine);
        connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
        connect(socket, &QTcpSocket::readyRead, this, [this, socket] { Read(socket); });
        // Whether it sent nothing, dribbles, or does not take its answer.
        QTimer::singleShot(requestTime_, socket, [socket] { Drop(socket); });
        Read(socket);
    }
}

void TOAuth2Redirect::Read(QTcpSocket* socket) {
    if (Replied(socket)) {
        socket->readAll(); // the rest of the request: nobody reads it
        return;
    }
    if (!socket->canReadLine()) {
        if (socket->bytesAvailable() >= MaxRequestLine)
            Drop(socket);
        return;
    }
    // "GET /?code=...&state=... HTTP/1.1"
    const QList<QByteArray> request = socket->readLine(MaxRequestLine + 1).trimmed().split(' ');
    const QByteArray target = request.value(1);
    if (request.size() != 3 || request[0] != "GET" || !request[2].startsWith("HTTP/")) {
        Reply(socket, "400 Bad Request", {});
        return;
    }
    const QUrlQuery query = TargetQuery(target);
    const bool signInAnswer = !answered_ && (query.hasQueryItem(QStringLiteral("code")) ||
                                             query.hasQueryItem(QStringLiteral("error")));
    if (!signInAnswer || !target.startsWith("/?")) {
        Reply(socket, "404 Not Found", {}); // a favicon or the like: the sign-in is still to come
        return;
    }
    if (Value(query, QStringLiteral("state")) != state_) {
        Reply(socket, "400 Bad Request", {}); // not from this sign-in
        return;
    }
    answered_ = true;
    Reply(socket, "200 OK", donePage_);
    QString error = Value(query, QStringLiteral("error"));
    const QString description = Value(query, QStringLiteral("error_description"));
    if (query.hasQueryItem(QStringLiteral("error")) && !description.isEmpty())
        error += QStringLiteral(": ") + description;
    emit Answered(Value(query, QStringLiteral("code")), error);
}

void TOAuth2Redirect::Reply(QTcpSocket* socket, const QByteArray& status, const QByteArray& page) {
    socket->setProperty(RepliedProperty, true);
    socket->readAll();
    socket->write("HTTP/1.1 " + status +
                  "\r\nContent-Type: text/html; charset=utf-8\r\n"
                  "Connection: close\r\nContent-Length: " +
                  QByteArray::number(page.size()) + "\r\n\r\n" + page);
    socket->disconnectFromHost();
}
