#pragma once

// The one-click unsubscribe of RFC 8058: a POST of "List-Unsubscribe=One-Click" to the https
// URI of List-Unsubscribe, and nothing else of the user: no cookies, no authorization, no
// redirect followed, the certificate verified against the system's trust anchors (and those of
// CaFile) as the mail server's is, TLS 1.2 at least, a time-out.
//
//   TOneClickPost post;
//   post.Start(url, [](const TOneClickResult& r) { ... });   // the window
//   const TOneClickResult r = post.Run(url);                  // mbxpop (needs a QCoreApplication)

#include <QNetworkAccessManager>
#include <QString>
#include <QTimer>
#include <QUrl>

#include <functional>

class QNetworkReply;

struct TOneClickResult {
    enum class TOutcome {
        Accepted,    // a 2xx answer
        Refused,     // another status
        Redirected,  // a 3xx answer, not followed
        TimedOut,    // no answer within the time-out
        Failed,      // no answer: the connection or TLS failed
        Certificate, // the certificate could not be verified
        NotHttps,    // not https: nothing was sent
        NoCaFile,    // CaFile held no certificate: nothing was sent
    };
    TOutcome Outcome = TOutcome::Failed;
    int Status = 0; // the HTTP status; 0 without an answer
    QString Detail; // reason phrase, redirect target or Qt's error text
    bool Ok() const { return Outcome == TOutcome::Accepted; }
    // What happened, in one line of the language chosen.
    QString Text(bool german) const;
};

class TOneClickPost {
public:
    TOneClickPost();
    ~TOneClickPost();
    TOneClickPost(const TOneClickPost&) = delete;
    TOneClickPost& operator=(const TOneClickPost&) = delete;

    QString CaFile;        // extra PEM trust anchors; empty: the system's only
    int TimeoutMs = 30000; // for the whole exchange

    // Sends the POST; done is called once, from the event loop (at once for a URI that is not
    // https). One POST at a time: a second Start aborts the first without calling its done.
    void Start(const QUrl& url, std::function<void(const TOneClickResult&)> done);
    // Start, waiting in a local event loop for the result.
    TOneClickResult Run(const QUrl& url);
    // Drops a running POST; its done is not called.
    void Abort();
    bool Running() const { return reply_ != nullptr; }

private:
    void Finish(const TOneClickResult& result);
    TOneClickResult ResultOfReply();

    QNetworkAccessManager manager_;
    QNetworkReply* reply_ = nullptr;
    QTimer timer_;
    bool timedOut_ = false;
    QString certificateErrors_;
    std::function<void(const TOneClickResult&)> done_;
};
