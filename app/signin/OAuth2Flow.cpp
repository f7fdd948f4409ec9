#include "OAuth2Flow.h"

#include "OAuth2Redirect.h"

#include <QCryptographicHash>
#include <QEventLoop>
#include <QJsonDocument>
#include <QJsonObject>
#include <QJsonValue>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QRandomGenerator>
#include <QTimer>
#include <QUrlQuery>

#include <array>
#include <optional>

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

// A lifetime in seconds, as a number or (some providers) as text.
std::optional<qint64> Seconds(const QJsonValue& value) {
    bool ok = value.isDouble();
    const double seconds =
        value.isString() ? value.toString().trimmed().toDouble(&ok) : value.toDouble();
    // Up to ten years; beyond, or below 0, it says nothing usable.
    if (!ok || !(seconds >= 0 && seconds <= 10 * 365 * 86400.0))
        return std::nullopt;
    return static_cast<qint64>(seconds);
}

} // namespace

TOAuth2Flow::TOAuth2Flow(QObject* parent)
    : QObject(parent), network_(new QNetworkAccessManager(this)) {}

TOAuth2Flow::Outcome TOAuth2Flow::SignIn(const TOAuth2Provider& provider, const QString& user) {
    // Without one the listener would wait for a browser that never comes.
    if (!OpenBrowser)
        return {Result::Failed, {}, QStringLiteral("no browser to sign in with")};
    const QString verifier = RandomText(32);
    const QString state = RandomText(16);
    delete redirect_;
    redirect_ = new TOAuth2Redirect(state, DonePage.toUtf8(), RequestTime, this);
    if (const QString error = redirect_->Listen(); !error.isEmpty())
        return {Result::Failed, {}, error};
    const QString redirect = QStringLiteral("http://127.0.0.1:%1/").arg(redirect_->Port());

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
    connect(
        redirect_, &TOAuth2Redirect::Answered, this,
        [&](const QString& code, const QString& error) {
            deadline.stop();
            redirect_->Close();
            if (!error.isEmpty() || code.isEmpty()) {
                Finish({Result::Failed, {}, error.isEmpty() ? QStringLiteral("no code") : error});
                return;
            }
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
    Outcome outcome = Wait();
    redirect_->disconnect(this);
    redirect_->Close();
    return outcome;
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
        if (const auto lifetime = Seconds(answer.value(QStringLiteral("expires_in"))))
            tokens.Expires = QDateTime::currentDateTimeUtc().addSecs(*lifetime);
        if (tokens.Access.isEmpty()) {
            Finish({Result::Failed, {}, QStringLiteral("no access_token in the answer")});
            return;
        }
        Finish({Result::Done, tokens, {}});
    });
}
