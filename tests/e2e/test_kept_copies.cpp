// Deleting with copies kept, against a real Dovecot.
#include "AccountData.h"
#include "AppFixture.h"
#include "E2eSupport.h"
#include "ListColumns.h"
#include "RecentlyDeleted.h"
#include "viewer_test_support.h"

#include "MultiLst.h"

#include <QDir>
#include <QPushButton>
#include <QTreeWidget>

namespace {

// Marks rows 2 and 4 and deletes them, answering the confirmation; its text into question.
void DeleteRowsTwoAndFour(TForm1& f, QString& question) {
    f.mail_list->clearSelection();
    f.mail_list->item(2)->setSelected(true);
    f.mail_list->item(4)->setSelected(true);
    auto asked = WhenModalShown("DeleteConfirmation", [&](QWidget* box) {
        question = static_cast<QMessageBox*>(box)->informativeText();
        box->findChild<QPushButton*>("DeleteButton")->click();
    });
    f.Tools.BtnDelete->click();
    EXPECT_TRUE(*asked);
}

TEST_F(AppTest, DeletingKeepsByteIdenticalCopiesOrNothingIsDeleted) {
    SKIP_WITHOUT_DOVECOT();
    const std::vector<std::string> mails = {
        Mail("Anna <anna@example.org>", "One", "Mon, 01 May 2000 09:00:00 +0200"),
        Mail("Bernd <bernd@example.org>", "Two", "Tue, 02 May 2000 09:00:00 +0200"),
        Mail("Carla <carla@example.org>", "Three", "Wed, 03 May 2000 09:00:00 +0200"),
        Mail("Dora <dora@example.org>", "Four", "Thu, 04 May 2000 09:00:00 +0200",
             std::string(1100 * 1024, 'x') + "\r\n"),
    };
    const struct {
        const char* name;
        bool folderWritable;
        bool countOnly;             // no sizes listed: the limit applies once they are asked for
        std::vector<int> remaining; // mail 4, over the limit, goes without a copy either way
        const char* overLimit;      // the confirmation's line about the limit
    } cases[] = {
        {"copies kept", true, false, {1, 3}, "1 mail over 1 MB will not be kept."},
        {"folder is a file", false, false, {1, 2, 3}, "1 mail over 1 MB will not be kept."},
        {"sizes not listed",
         true,
         true,
         {1, 3},
         "The size of 2 mails is not known: those over 1 MB will not be kept."},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        DovecotServer server("kept", "secret", mails);
        Store()->setValue("KeepCopiesLimitMB", 1);
        TForm1& f = Open();
        FillLogin(server.port(), "kept", "secret");
        f.Login.Header_Nein->setChecked(c.countOnly);
        f.Tools.BtnConnect->click();
        ASSERT_EQ(f.ControlState(), TForm1::StateListed) << StatusLines().toStdString();
        const QString folder =
            KeptCopiesFolder(AccountFolderName("kept", "127.0.0.1", server.port()));
        if (!c.folderWritable) {
            ASSERT_TRUE(QDir().mkpath(QFileInfo(folder).path()));
            QFile blocker(folder);
            ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
        }
        QString question;
        DeleteRowsTwoAndFour(f, question);
        // The copies take what mail 2 takes (mail 4 gets none); unknown sizes tell nothing.
        const QString disk = c.countOnly
                                 ? QString()
                                 : QStringLiteral("\nThe copies take about %1 of local disk.")
                                       .arg(QString::fromStdString(
                                           DisplaySize(std::to_string(mails[1].size()))));
        EXPECT_EQ(question, QStringLiteral("A copy of each mail is kept for 30 days.\n") +
                                QString::fromUtf8(c.overLimit) + disk);
        EXPECT_EQ(server.RemainingMessages(), c.remaining) << StatusLines().toStdString();
        if (!c.folderWritable) {
            EXPECT_TRUE(StatusLines().contains(folder)) << StatusLines().toStdString();
            EXPECT_TRUE(StatusLines().contains("Mail 2")) << StatusLines().toStdString();
            continue;
        }
        // Only mail 2 got a copy; the window lists it and saves it byte for byte.
        const QStringList files = QDir(folder).entryList(QDir::Files);
        ASSERT_EQ(files.size(), 1);
        EXPECT_EQ(ReadFileBytes(QDir(folder).filePath(files[0])), mails[1]);
        QTemporaryDir saved;
        TRecentlyDeleted window(KeptCopiesRoot(), false, {});
        ASSERT_EQ(window.copy_list->topLevelItemCount(), 1);
        EXPECT_EQ(window.copy_list->topLevelItem(0)->text(2), "Bernd <bernd@example.org>");
        EXPECT_EQ(window.copy_list->topLevelItem(0)->text(3), "Two");
        window.AskSaveFileName = [&](QWidget*, const TSaveDialog& dialog) {
            EXPECT_EQ(dialog.FileName, "Two.eml");
            return saved.filePath(dialog.FileName);
        };
        window.btn_save->click();
        EXPECT_EQ(ReadFileBytes(saved.filePath("Two.eml")), mails[1]);
        window.btn_remove->click();
        EXPECT_EQ(window.copy_list->topLevelItemCount(), 0);
        EXPECT_TRUE(QDir(folder).entryList(QDir::Files).isEmpty());
    }
}

} // namespace
