// Drives the real main window on the offscreen platform: lists a mailbox, then times Mark all,
// the marked-size summary, unmarking, a sort, mark alike, and a click among scattered hidden
// rows with its undo on the listed rows. Prints one line of
// "key value" pairs for bench_window.py.
//   window_lister PORT USER PASSWORD
#include "Application.h"
#include "ConnectionSecurity.h"
#include "Find.h"
#include "Header.h"
#include "MailRows.h"
#include "Main.h"
#include "MarkAlike.h"
#include "MarkAlikeEntries.h"
#include "MarkCommands.h"
#include "MultiLst.h"
#include "SecurityChoice.h"
#include "ServerAddress.h"
#include "email.h"
#include "info.h"

#include <QComboBox>
#include <QElapsedTimer>
#include <QFile>
#include <QLineEdit>
#include <QTextStream>

#include <cstdio>
#include <ctime>
#include <string>

namespace {

// Peak resident memory of this process in MB (VmHWM).
double PeakMegabytes() {
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray& line : status.readAll().split('\n')) {
        if (line.startsWith("VmHWM:"))
            return line.mid(6).trimmed().split(' ').front().toDouble() / 1024.0;
    }
    return -1;
}

// The process's processor time: beside the wall time, what the listing costs the client when
// the machine is busy with other work.
double CpuMilliseconds() {
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) * 1000 + static_cast<double>(t.tv_nsec) / 1e6;
}

template <class F> double Milliseconds(F&& f) {
    QElapsedTimer timer;
    timer.start();
    f();
    return static_cast<double>(timer.nsecsElapsed()) / 1e6;
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 4) {
        std::fprintf(stderr, "usage: window_lister PORT USER PASSWORD\n");
        return 64;
    }
    TApplication application(argc, argv);
    QApplication::setOrganizationName(QStringLiteral("Fenn-Labs"));
    QApplication::setApplicationName(QStringLiteral("InboxPruner"));
    TForm1 form;
    form.SetWindows(new TAboutBox(&form), new TForm2(&form), new TForm3(&form));
    form.UiLanguages = [] { return QStringList{QStringLiteral("en-US")}; };
    form.show();
    QApplication::processEvents();

    const auto port = static_cast<uint16_t>(std::stoi(argv[1]));
    form.Login.servername->setEditText(QString::fromStdString(JoinHostPort("127.0.0.1", port)));
    form.Login.Username->setEditText(QString::fromLocal8Bit(argv[2]));
    form.Login.Password->setText(QString::fromLocal8Bit(argv[3]));
    ChooseSecurity(*form.Part<TConnectionSecurity>().Choice, TSecurity::None);

    const double cpuBefore = CpuMilliseconds();
    const double listMs = Milliseconds([&] { form.BtnConnectClick(); });
    const double listCpuMs = CpuMilliseconds() - cpuBefore;
    TMultiList& list = *form.mail_list;
    const int rows = list.count() - 1;
    QApplication::processEvents();
    const double markMs = Milliseconds([&] {
        form.BtnMarkClick();
        QApplication::processEvents();
    });
    TMarkedMails marked;
    const double summaryMs = Milliseconds([&] { marked = MarkedMails(form.Rows()); });
    const double unmarkMs = Milliseconds([&] {
        list.clearSelection();
        QApplication::processEvents();
    });
    const double sortMs = Milliseconds([&] {
        list.SortByColumn(4);
        QApplication::processEvents();
    });
    // Mark alike from the first row: the sender is read from each header, the subject from
    // each row's text.
    const auto alike = [&](TAlike kind) {
        list.clearSelection();
        list.setCurrentRow(1, QItemSelectionModel::NoUpdate);
        return Milliseconds([&] {
            form.Part<TMarkAlikeEntries>().MarkAlike(kind);
            QApplication::processEvents();
        });
    };
    const double senderMs = alike(TAlike::Sender);
    const double subjectMs = alike(TAlike::Subject);
    // Every mail marked, Find showing the scattered ones with a 7 in their subject: one plain
    // click keeps the hidden rows' marks, and undo gives the shown ones theirs back.
    form.BtnMarkClick();
    form.Part<TFind>().Field->setText(QStringLiteral("7"));
    QApplication::processEvents();
    int shownRow = 1;
    while (shownRow < list.count() && list.isRowHidden(shownRow))
        ++shownRow;
    const double findClickMs = Milliseconds([&] {
        list.setCurrentRow(shownRow, QItemSelectionModel::ClearAndSelect);
        QApplication::processEvents();
    });
    const int keptAfterClick = MarkedMails(form.Rows()).Count;
    const double undoMs = Milliseconds([&] {
        form.Part<TMarkCommands>().UndoMarks();
        QApplication::processEvents();
    });
    const int markedAfterUndo = MarkedMails(form.Rows()).Count;
    std::printf(
        "rows %d marked %d list_ms %.1f mark_ms %.2f summary_ms %.2f unmark_ms %.2f "
        "sort_ms %.1f alike_sender_ms %.1f alike_subject_ms %.1f find_click_ms %.1f "
        "kept_after_click %d undo_ms %.1f marked_after_undo %d peak_mb %.1f list_cpu_ms %.1f\n",
        rows, marked.Count, listMs, markMs, summaryMs, unmarkMs, sortMs, senderMs, subjectMs,
        findClickMs, keptAfterClick, undoMs, markedAfterUndo, PeakMegabytes(), listCpuMs);
    form.BtnDisconnectClick();
    return rows > 0 ? 0 : 1;
}
