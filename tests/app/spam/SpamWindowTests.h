#pragma once

// What the window's spam tests share: the test mail every scorer calls spam, waiting for the
// scorer and the learner, a row's cell.

#include "AppFixture.h"
#include "SpamScores.h"

#include <QCoreApplication>
#include <QElapsedTimer>

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
