#include "OneClickPost.h"

#include "OneClickTexts.h"

#include <QEventLoop>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QSslCertificate>
#include <QSslConfiguration>
#include <QSslError>

namespace {

QString Said(const TText& text, bool german) {
    return QString::fromUtf8(Pick(text, german));
}

// Everything the request carries: the body and its type, nothing stored or remembered.
QNetworkRequest OneClickRequest(const QUrl& url, const QSslConfiguration& tls) {
    QUrl target = url;
    // Userinfo in the URI would go out as Basic authorization.
    target.setUserInfo({});
    QNetworkRequest request(target);
    request.setHeader(QNetworkRequest::ContentTypeHeader,
                      QByteArrayLiteral("application/x-www-form-urlencoded"));
    request.setHeader(QNetworkRequest::UserAgentHeader, QByteArrayLiteral("InboxPruner"));
    // Qt would name the user's languages otherwise.
    request.setRawHeader(QByteArrayLiteral("Accept-Language"), QByteArrayLiteral("*"));
    // RFC 8058 forbids senders to redirect: a 3xx is the answer, never followed.
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute,
                         QNetworkRequest::ManualRedirectPolicy);
    request.setAttribute(QNetworkRequest::CookieLoadControlAttribute, QNetworkRequest::Manual);
    request.setAttribute(QNetworkRequest::CookieSaveControlAttribute, QNetworkRequest::Manual);
    request.setAttribute(QNetworkRequest::AuthenticationReuseAttribute, QNetworkRequest::Manual);
    request.setAttribute(QNetworkRequest::CacheLoadControlAttribute,
                         QNetworkRequest::AlwaysNetwork);
    request.setAttribute(QNetworkRequest::CacheSaveControlAttribute, false);
    request.setSslConfiguration(tls);
    return request;
}

} // namespace

QString TOneClickResult::Text(bool german) const {
    using namespace oneclick_texts;
    const QString status = QString::number(Status) + (Detail.isEmpty() ? "" : " " + Detail);
    switch (Outcome) {
    case TOutcome::Accepted:
        return Said(Accepted, german) + status;
    case TOutcome::Refused:
        return Said(Refused, german) + status;
    case TOutcome::Redirected:
        return Said(Redirected, german) + QString::number(Status) + " " + Detail;
    case TOutcome::TimedOut:
        return Said(TimedOut, german);
    case TOutcome::Failed:
        return Said(Failed, german) + Detail;
    case TOutcome::Certificate:
        return Said(Certificate, german) + Detail;
    case TOutcome::NotHttps:
        return Said(NotHttps, german);
    case TOutcome::NoCaFile:
        return Said(NoCaFile, german) + Detail;
    }
    return {};
}

TOneClickPost::TOneClickPost() {
    timer_.setSingleShot(true);
    QObject::connect(&timer_, &QTimer::timeout, &manager_, [this] {
        timedOut_ = true;
        if (reply_)
            reply_->abort();
    });
}

TOneClickPost::~TOneClickPost() {
    Abort();
}

void TOneClickPost::Abort() {
    timer_.stop();
    done_ = nullptr;
    if (QNetworkReply* reply = std::exchange(reply_, nullptr)) {
        reply->disconnect();
        reply->abort();
        reply->deleteLater();
    }
}

void TOneClickPost::Start(const QUrl& url, std::function<void(const TOneClickResult&)> done) {
    Abort();
    done_ = std::move(done);
    TOneClickResult refused;
    if (url.scheme().compare("https", Qt::CaseInsensitive) != 0 || !url.isValid() ||
        url.host().isEmpty()) {
        refused.Outcome = TOneClickResult::TOutcome::NotHttps;
        Finish(refused);
        return;
    }
    QSslConfiguration tls = QSslConfiguration::defaultConfiguration();
    tls.setProtocol(QSsl::TlsV1_2OrLater);
    tls.setPeerVerifyMode(QSslSocket::VerifyPeer);
    if (!CaFile.isEmpty()) {
        const QList<QSslCertificate> anchors = QSslCertificate::fromPath(CaFile, QSsl::Pem);
        if (anchors.isEmpty()) {
            refused.Outcome = TOneClickResult::TOutcome::NoCaFile;
            refused.Detail = CaFile;
            Finish(refused);
            return;
        }
        tls.addCaCertificates(anchors);
    }
    timedOut_ = false;
    certificateErrors_.clear();
    reply_ =
        manager_.post(OneClickRequest(url, tls), QByteArrayLiteral("List-Unsubscribe=One-Click"));
    QNetworkReply* reply = reply_;
    // The answer's body says nothing the status does not: read away, never kept.
    QObject::connect(reply, &QNetworkReply::readyRead, reply, [reply] { reply->readAll(); });
    QObject::connect(reply, &QNetworkReply::sslErrors, reply,
                     [this](const QList<QSslError>& errors) {
                         for (const QSslError& error : errors)
                             certificateErrors_ +=
                                 (certificateErrors_.isEmpty() ? "" : "; ") + error.errorString();
                     });
    QObject::connect(reply, &QNetworkReply::finished, reply, [this] {
        timer_.stop();
        const TOneClickResult result = ResultOfReply();
        reply_->deleteLater();
        reply_ = nullptr;
        Finish(result);
    });
    timer_.start(TimeoutMs);
}

TOneClickResult TOneClickPost::ResultOfReply() {
    using O = TOneClickResult::TOutcome;
    TOneClickResult result;
    result.Status = reply_->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    if (result.Status >= 300 && result.Status < 400) {
        result.Outcome = O::Redirected;
        result.Detail = QString::fromLatin1(reply_->rawHeader("Location"));
    } else if (result.Status >= 200 && result.Status < 300) {
        result.Outcome = O::Accepted;
    } else if (result.Status > 0) {
        result.Outcome = O::Refused;
    } else if (timedOut_) {
        result.Outcome = O::TimedOut;
    } else if (!certificateErrors_.isEmpty()) {
        result.Outcome = O::Certificate;
        result.Detail = certificateErrors_;
    } else {
        result.Outcome = O::Failed;
        result.Detail = reply_->errorString();
    }
    if (result.Status > 0 && result.Outcome != O::Redirected)
        result.Detail =
            reply_->attribute(QNetworkRequest::HttpReasonPhraseAttribute).toString().trimmed();
    return result;
}

void TOneClickPost::Finish(const TOneClickResult& result) {
    if (auto done = std::exchange(done_, nullptr))
        done(result);
}

TOneClickResult TOneClickPost::Run(const QUrl& url) {
    TOneClickResult result;
    QEventLoop loop;
    bool finished = false;
    Start(url, [&](const TOneClickResult& r) {
        result = r;
        finished = true;
        loop.quit();
    });
    if (!finished)
        loop.exec();
    return result;
}
