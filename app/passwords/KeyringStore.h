#pragma once

#include <QObject>
#include <QString>

// The desktop's keyring (the freedesktop Secret Service) as the home of remembered passwords.
// Every call starts an asynchronous job and returns at once; its result arrives as a signal,
// so the window never waits on the keyring. Entries are keyed "USER@SERVER" under the service
// "InboxPruner" (a server name holds no "@", so the key is unambiguous).
class TKeyringStore : public QObject {
    Q_OBJECT
public:
    enum class Result { Done, NotFound, Failed };

    // True when a Secret Service is running on the session bus now. Decided once at start:
    // without one, passwords stay in the settings file.
    static bool ServiceRuns();

    explicit TKeyringStore(QObject* parent = nullptr);

    void Read(const QString& server, const QString& user);
    void Write(const QString& server, const QString& user, const QString& password);
    void Remove(const QString& server, const QString& user);

    // Jobs started and not finished yet.
    int Pending() const { return pending_; }
    // Lets the event loop run until every job has finished or the time is up (at close).
    void WaitForJobs(int milliseconds);

signals:
    void ReadFinished(const QString& server, const QString& user, TKeyringStore::Result result,
                      const QString& password, const QString& error);
    void WriteFinished(const QString& server, const QString& user, TKeyringStore::Result result,
                       const QString& error);
    void RemoveFinished(const QString& server, const QString& user, TKeyringStore::Result result,
                        const QString& error);
    void AllJobsFinished();

private:
    int pending_ = 0;
};
