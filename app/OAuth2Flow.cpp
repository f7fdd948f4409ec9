#include "OAuth2Flow.h"

#include <QCryptographicHash>
#include <QDesktopServices>
#include <QEventLoop>
#include <QJsonDocument>
#include <QJsonObject>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QRandomGenerator>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>
#include <QUrlQuery>

#include <array>

namespace {

constexpr int TokenTransferTimeoutMs = 30000;

QString Base64Url(const QByteArray& bytes) {
    return QString::fromLatin1(
        bytes.toBase64(QByteArray::Base64UrlEncoding | QByteArray::OmitTrailingEquals));
}

// Unguessable text from the system's random source (verifier and state).
QString RandomText(int bytes) {
    QByteArray data(bytes, '\0');
    QRandomGenerator::system()->generate(data.begin(), data.end());
    return Base64Url(data);
}

QString S256(const QString& verifier) {
    return Base64Url(QCryptographicHash::hash(verifier.toLatin1(), QCryptographicHash::Sha256));
}

QByteArray FormBody(const QList<std::pair<QString, QString>>& fields) {
    QByteArray body;
    for (const auto& [name, value] : fields) {
        if (!body.isEmpty())
            body += '&';
        body += QUrl::toPercentEncoding(name) + '=' + QUrl::toPercentEncoding(value);
    }
    return body;
}

// A query value as a form encodes it ("+" for a blank).
QString QueryValue(const QUrlQuery& query, const QString& name) {
    QString value = query.queryItemValue(name, QUrl::FullyDecoded);
    return value.replace(u'+', u' ');
}

} // namespace

TOAuth2Flow::TOAuth2Flow(QObject* parent)
    : QObject(parent), network_(new QNetworkAccessManager(this)) {
    OpenBrowser = [](const QUrl& url) { QDesktopServices::openUrl(url); };
}

TOAuth2Flow::Outcome TOAuth2Flow::SignIn(const TOAuth2Provider& provider, const QString& user) {
    QTcpServer listener;
    if (!listener.listen(QHostAddress::LocalHost, 0))
        return {Result::Failed, {}, listener.errorString()};
    const QString verifier = RandomText(32);
    const QString state = RandomText(16);
    const QString redirect = QStringLiteral("http://127.0.0.1:%1/").arg(listener.serverPort());

    QUrl url(provider.AuthorizeUrl);
    QUrlQuery query(url);
    for (const auto& [name, value] : std::array<std::pair<QString, QString>, 8>{{
             {QStringLiteral("response_type"), QStringLiteral("code")},
             {QStringLiteral("client_id"), provider.ClientId},
             {QStringLiteral("redirect_uri"), redirect},
             {QStringLiteral("scope"), provider.Scopes},
             {QStringLiteral("state"), state},
             {QStringLiteral("code_challenge"), S256(verifier)},
             {QStringLiteral("code_challenge_method"), QStringLiteral("S256")},
             {QStringLiteral("login_hint"), user},
         }})
        query.addQueryItem(name, QString::fromLatin1(QUrl::toPercentEncoding(value)));
    url.setQuery(query.query(QUrl::FullyEncoded), QUrl::StrictMode);

    // The listener gives up after ListenTime at most; an unfinished sign-in leaves nothing.
    QTimer deadline;
    deadline.setSingleShot(true);
    connect(&deadline, &QTimer::timeout, this, [this] { Finish({Result::TimedOut, {}, {}}); });
    AcceptRedirect(listener, state, [&](const QString& code) {
        deadline.stop();
        listener.close();
        PostToken(provider,
                  {{QStringLiteral("grant_type"), QStringLiteral("authorization_code")},
                   {QStringLiteral("code"), code},
                   {QStringLiteral("redirect_uri"), redirect},
                   {QStringLiteral("code_verifier"), verifier}},
                  QString());
    });
    deadline.start(ListenTime);
    outcome_.reset();
    OpenBrowser(url);
    return Wait();
}

TOAuth2Flow::Outcome TOAuth2Flow::Refresh(const TOAuth2Provider& provider,
                                          const QString& refreshToken) {
    outcome_.reset();
    PostToken(provider,
              {{QStringLiteral("grant_type"), QStringLiteral("refresh_token")},
               {QStringLiteral("refresh_token"), refreshToken}},
              refreshToken);
    return Wait();
}

void TOAuth2Flow::Cancel() {
    if (Running())
        Finish({Result::Cancelled, {}, {}});
}

TOAuth2Flow::Outcome TOAuth2Flow::Wait() {
    if (!outcome_) {
        QEventLoop loop;
        loop_ = &loop;
        loop.exec();
        loop_ = nullptr;
    }
    if (reply_) {
        // Cancelled or timed out while the provider still answers: that answer goes unheard.
        QNetworkReply* reply = std::exchange(reply_, nullptr);
        reply->abort();
    }
    Outcome outcome = outcome_.value_or(Outcome{Result::Cancelled, {}, {}});
    outcome_.reset();
    return outcome;
}

void TOAuth2Flow::Finish(Outcome outcome) {
    if (outcome_)
        return;
    outcome_ = std::move(outcome);
    if (loop_)
        loop_->quit();
}

void TOAuth2Flow::AcceptRedirect(QTcpServer& listener, const QString& state,
                                 const std::function<void(const QString& code)>& onCode) {
    connect(&listener, &QTcpServer::newConnection, this, [this, &listener, state, onCode] {
        while (QTcpSocket* socket = listener.nextPendingConnection()) {
            // Unanswered, the socket goes with the listener; answered, it stays until its
            // answer is out.
            connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
            connect(socket, &QTcpSocket::readyRead, this, [this, socket, state, onCode] {
                if (!socket->canReadLine() || socket->property("answered").toBool())
                    return;
                socket->setProperty("answered", true);
                // "GET /?code=...&state=... HTTP/1.1"
                const QList<QByteArray> request = socket->readLine().trimmed().split(' ');
                const QUrl target(QStringLiteral("http://127.0.0.1") +
                                  QString::fromLatin1(request.value(1)));
                const QUrlQuery query(target);
                const bool signInAnswer = query.hasQueryItem(QStringLiteral("code")) ||
                                          query.hasQueryItem(QStringLiteral("error"));
                const QByteArray page = signInAnswer ? DonePage.toUtf8() : QByteArray();
                socket->write(
                    (signInAnswer ? "HTTP/1.1 200 OK\r\n" : "HTTP/1.1 404 Not Found\r\n") +
                    QByteArray("Content-Type: text/html; charset=utf-8\r\n"
                               "Connection: close\r\nContent-Length: ") +
                    QByteArray::number(page.size()) + "\r\n\r\n" + page);
                socket->setParent(this);
                socket->disconnectFromHost();
                if (!signInAnswer)
                    return; // a favicon or the like: the sign-in is still to come
                if (QueryValue(query, QStringLiteral("state")) != state) {
                    Finish({Result::Failed, {}, QStringLiteral("state mismatch")});
                    return;
                }
                if (query.hasQueryItem(QStringLiteral("error"))) {
                    const QString description =
                        QueryValue(query, QStringLiteral("error_description"));
                    Finish({Result::Failed,
                            {},
                            QueryValue(query, QStringLiteral("error")) +
                                (description.isEmpty() ? QString()
                                                       : QStringLiteral(": ") + description)});
                    return;
                }
                onCode(QueryValue(query, QStringLiteral("code")));
            });
        }
    });
}

void TOAuth2Flow::PostToken(const TOAuth2Provider& provider,
                            QList<std::pair<QString, QString>> form, const QString& keptRefresh) {
    form.append({QStringLiteral("client_id"), provider.ClientId});
    if (!provider.ClientSecret.isEmpty())
        form.append({QStringLiteral("client_secret"), provider.ClientSecret});
    QNetworkRequest request{QUrl(provider.TokenUrl)};
    request.setHeader(QNetworkRequest::ContentTypeHeader,
                      QStringLiteral("application/x-www-form-urlencoded"));
    request.setRawHeader("Accept", "application/json");
    request.setTransferTimeout(TokenTransferTimeoutMs);
    QNetworkReply* reply = network_->post(request, FormBody(form));
    reply_ = reply;
    connect(reply, &QNetworkReply::finished, this, [this, reply, keptRefresh] {
        reply->deleteLater();
        if (reply_ != reply)
            return;
        reply_ = nullptr;
        const QJsonObject answer = QJsonDocument::fromJson(reply->readAll()).object();
        const int status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
        const QString error = answer.value(QStringLiteral("error")).toString();
        if (!error.isEmpty() || status >= 400 || reply->error() != QNetworkReply::NoError) {
            const QString description =
                answer.value(QStringLiteral("error_description")).toString();
            // invalid_grant: the code or refresh token is no good (any more); sign in anew.
            Finish({error == QLatin1String("invalid_grant") ? Result::Refused : Result::Failed,
                    {},
                    error.isEmpty()
                        ? reply->errorString()
                        : error + (description.isEmpty() ? QString()
                                                         : QStringLiteral(": ") + description)});
            return;
        }
        TOAuth2Tokens tokens;
        tokens.Access = answer.value(QStringLiteral("access_token")).toString();
        tokens.Refresh = answer.value(QStringLiteral("refresh_token")).toString(keptRefresh);
        const int lifetime = answer.value(QStringLiteral("expires_in")).toInt(-1);
        if (lifetime >= 0)
            tokens.Expires = QDateTime::currentDateTimeUtc().addSecs(lifetime);
        if (tokens.Access.isEmpty()) {
            Finish({Result::Failed, {}, QStringLiteral("no access_token in the answer")});
            return;
        }
        Finish({Result::Done, tokens, {}});
    });
}
