#pragma once

// What the window's spam tests share: the test mail every scorer calls spam, waiting for the
// scorer and the learner, a row's cell, a rule on the score.

#include "AppFixture.h"
#include "SpamScores.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QStandardPaths>

#include <string>

inline const std::string kGtube =
    "XJS*C4JDBQADN1.NSBN3*2IDNEN*GTUBE-STANDARD-ANTI-UBE-TEST-EMAIL*C.34X\r\n";

// Until the scorer and the learner have answered everything, or a minute.
inline bool AwaitScores(TForm1& f) {
    QElapsedTimer waited;
    waited.start();
    while ((f.Part<TSpamScores>().Outstanding() > 0 || f.Part<TSpamScores>().LearningRuns() > 0) &&
           waited.elapsed() < 60000)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    return f.Part<TSpamScores>().Outstanding() == 0 && f.Part<TSpamScores>().LearningRuns() == 0;
}

inline QString Cell(const QString& row, int column) {
    return row.section(u'|', column, column).trimmed();
}

// The shared rules mark the mails the scorer rates 7 or more; false when not written.
inline bool WriteSpamtestRule() {
    const QString data = QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
    QFile rules(data + "/rules.sieve");
    return QDir().mkpath(data) && rules.open(QIODevice::WriteOnly) &&
           rules.write("require [\"relational\", \"spamtest\", \"comparator-i;ascii-numeric\"];\n"
                       "# rule: rated spam\n"
                       "if spamtest :value \"ge\" :comparator \"i;ascii-numeric\" \"7\" "
                       "{ discard; }\n") > 0;
}
