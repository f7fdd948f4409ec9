#include "KeyringStore.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QEventLoop>
#include <QTimer>

#include <qt6keychain/keychain.h>

namespace {

const QString Service = QStringLiteral("InboxPruner");

QString Key(const QString& server, const QString& user) {
    return user + u'@' + server;
}

TKeyringStore::Result ResultOf(const QKeychain::Job& job) {
    switch (job.error()) {
    case QKeychain::NoError:
        return TKeyringStore::Result::Done;
    case QKeychain::EntryNotFound:
        return TKeyringStore::Result::NotFound;
    default:
        return TKeyringStore::Result::Failed;
    }
}

// Jobs are children of the store and delete themselves once finished.
template <typename JobType, typename OnDone>
void Start(TKeyringStore* store, int& pending, const QString& server, const QString& user,
           JobType* job, OnDone onDone) {
    job->setAutoDelete(true);
    job->setKey(Key(server, user));
    ++pending;
    QObject::connect(job, &QKeychain::Job::finished, store, [store, &pending, job, onDone] {
        onDone(*job, ResultOf(*job));
        if (--pending == 0)
            emit store->AllJobsFinished();
    });
    job->start();
}

} // namespace

bool TKeyringStore::ServiceRuns() {
    QDBusConnection bus = QDBusConnection::sessionBus();
    return bus.isConnected() && bus.interface() &&
           bus.interface()->isServiceRegistered(QStringLiteral("org.freedesktop.secrets")).value();
}

TKeyringStore::TKeyringStore(QObject* parent) : QObject(parent) {}

void TKeyringStore::Read(const QString& server, const QString& user) {
    Start(this, pending_, server, user, new QKeychain::ReadPasswordJob(Service, this),
          [this, server, user](const QKeychain::ReadPasswordJob& job, Result result) {
              emit ReadFinished(server, user, result,
                                result == Result::Done ? job.textData() : QString(),
                                job.errorString());
          });
}

void TKeyringStore::Write(const QString& server, const QString& user, const QString& password) {
    auto* job = new QKeychain::WritePasswordJob(Service, this);
    job->setTextData(password);
    Start(this, pending_, server, user, job,
          [this, server, user](const QKeychain::WritePasswordJob& done, Result result) {
              emit WriteFinished(server, user, result, done.errorString());
          });
}

void TKeyringStore::Remove(const QString& server, const QString& user) {
    Start(this, pending_, server, user, new QKeychain::DeletePasswordJob(Service, this),
          [this, server, user](const QKeychain::DeletePasswordJob& job, Result result) {
              emit RemoveFinished(server, user, result, job.errorString());
          });
}

void TKeyringStore::WaitForJobs(int milliseconds) {
    if (pending_ == 0)
        return;
    QEventLoop loop;
    connect(this, &TKeyringStore::AllJobsFinished, &loop, &QEventLoop::quit);
    QTimer::singleShot(milliseconds, &loop, &QEventLoop::quit);
    loop.exec();
}
