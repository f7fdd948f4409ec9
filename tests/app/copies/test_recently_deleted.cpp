// Recently deleted over a folder of copies: sorting, search, totals, saving, a hostile copy.
#include "FileMode.h"
#include "KeptCopies.h"
#include "ListColumns.h"
#include "RecentlyDeleted.h"
#include "Screenshot.h"
#include "viewer_test_support.h"

#include <QDir>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QTemporaryDir>
#include <QTest>
#include <QTreeWidget>
#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

enum { Deleted, Date, Sender, Subject, Size, Account };

constexpr int64_t T0 = 1767261600000; // 2026-01-01 10:00 UTC

std::string Mail(const std::string& from, const std::string& subject, const std::string& date,
                 size_t bodyBytes) {
    return "From: " + from + "\r\nSubject: " + subject + "\r\nDate: " + date + "\r\n\r\n" +
           std::string(bodyBytes, 'x') + "\r\n";
}

class RecentlyDeletedTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(root.isValid());
        const std::string anna = QFile::encodeName(root.filePath("anna@h:1")).toStdString();
        const std::string bob = QFile::encodeName(root.filePath("bob@h:2")).toStdString();
        Keep(anna,
             Mail("Anna <anna@example.org>", "Invoice", "Wed, 3 May 2000 09:00:00 +0000", 100),
             T0 + 1000);
        Keep(bob,
             Mail("Bernd <bernd@example.org>", "Lunch", "Mon, 1 May 2000 09:00:00 +0000", 5000),
             T0 + 3000);
        Keep(bob,
             Mail("Carla <carla@example.org>", "anna's photos", "Tue, 2 May 2000 09:00:00 +0000",
                  2000),
             T0 + 2000);
        // No line break at all: a header that never ends.
        Keep(anna, std::string(1024 * 1024, 'h'), T0);
    }
    void Keep(const std::string& folder, const std::string& mail, int64_t at) {
        TKeptCopies(folder).Keep(mail, at);
        sizes.push_back(mail.size());
    }
    // The subjects of the rows shown, top to bottom.
    static QStringList Shown(const TRecentlyDeleted& window) {
        QStringList subjects;
        for (int i = 0; i < window.copy_list->topLevelItemCount(); ++i) {
            const QTreeWidgetItem* row = window.copy_list->topLevelItem(i);
            if (!row->isHidden())
                subjects << row->text(Subject);
        }
        return subjects;
    }
    static QString SizeText(uint64_t bytes) {
        return QString::fromStdString(DisplaySize(std::to_string(bytes)));
    }

    QTemporaryDir root;
    std::vector<size_t> sizes; // Invoice, Lunch, photos, the long one
};

TEST_F(RecentlyDeletedTest, SortsSearchesAndTotals) {
    TRecentlyDeleted window(root.path(), false, {});
    EXPECT_EQ(Shown(window), (QStringList{"Lunch", "anna's photos", "Invoice", ""}))
        << "newest deletion first";
    EXPECT_EQ(window.copy_list->topLevelItem(0)->text(Date),
              QDateTime::fromSecsSinceEpoch(957171600).toString("yyyy-MM-dd hh:mm"));

    struct Case {
        int column;
        Qt::SortOrder order;
        QStringList subjects;
    };
    const Case cases[] = {
        {Date, Qt::AscendingOrder, {"", "Lunch", "anna's photos", "Invoice"}},
        {Deleted, Qt::AscendingOrder, {"", "Invoice", "anna's photos", "Lunch"}},
        {Size, Qt::DescendingOrder, {"", "Lunch", "anna's photos", "Invoice"}},
        {Subject, Qt::AscendingOrder, {"", "anna's photos", "Invoice", "Lunch"}},
        // The long copy's first line reads as an envelope "From " line: "hhh…".
        {Sender, Qt::DescendingOrder, {"", "anna's photos", "Lunch", "Invoice"}},
    };
    for (const Case& c : cases) {
        window.copy_list->sortByColumn(c.column, c.order);
        EXPECT_EQ(Shown(window), c.subjects) << c.column;
    }
    // The user sorts with a click on a caption.
    QHeaderView* header = window.copy_list->header();
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    QTest::mouseClick(header->viewport(), Qt::LeftButton, {},
                      QPoint(header->sectionViewportPosition(Size) + 4, header->height() / 2));
    EXPECT_EQ(header->sortIndicatorSection(), Size);
    EXPECT_EQ(Shown(window).size(), 4);

    const uint64_t all = sizes[0] + sizes[1] + sizes[2] + sizes[3];
    EXPECT_EQ(window.totals->text(), "4 mails, " + SizeText(all) + " in all");
    window.search_field->setText("ANNA"); // the sender of one, the subject of another
    window.copy_list->sortByColumn(Subject, Qt::AscendingOrder);
    EXPECT_EQ(Shown(window), (QStringList{"anna's photos", "Invoice"}));
    EXPECT_EQ(window.totals->text(), "2 of 4 mails, " + SizeText(sizes[0] + sizes[2]) + " in all");
    window.search_field->setText("nobody");
    EXPECT_TRUE(Shown(window).isEmpty());
    EXPECT_EQ(window.totals->text(), "0 of 4 mails, 0 Byte in all");

    TRecentlyDeleted german(root.path(), true, {});
    german.search_field->setText("lunch");
    EXPECT_EQ(german.totals->text(),
              QString::fromUtf8("1 von 4 Mails, zusammen ") + SizeText(sizes[1]));
    EXPECT_EQ(german.copy_list->headerItem()->text(Date), "Datum");
}

TEST_F(RecentlyDeletedTest, SavingKeepsTheCopyAndWritesOwnerOnly) {
    TRecentlyDeleted window(root.path(), false, {});
    std::vector<TSaveDialog> asked;
    QString target;
    window.AskSaveFileName = [&](QWidget*, const TSaveDialog& dialog) {
        asked.push_back(dialog);
        return target;
    };
    const TDeletedMail* lunch = window.MailOf(window.copy_list->topLevelItem(0));
    ASSERT_TRUE(lunch);
    const QString copy = QFile::decodeName(lunch->Copy.File.c_str());
    const std::string bytes = ReadFileBytes(copy);

    // Saved onto the copy itself: the copy is still there, whole.
    target = copy;
    window.btn_save->click();
    EXPECT_EQ(ReadFileBytes(copy), bytes);
    window.Reload();
    EXPECT_EQ(window.Mails().size(), 4u);

    QTemporaryDir elsewhere;
    target = elsewhere.filePath("Lunch.eml");
    window.btn_save->click();
    EXPECT_EQ(ReadFileBytes(target), bytes);
    EXPECT_EQ(FileMode(target), 0600);
    window.btn_save->click();
    ASSERT_EQ(asked.size(), 3u);
    EXPECT_EQ(asked[0].Folder, QDir::homePath()) << "no folder known: the home folder";
    EXPECT_EQ(asked[0].FileName, "Lunch.eml");
    EXPECT_EQ(asked[2].Folder, QFileInfo(elsewhere.path()).absoluteFilePath());
}

TEST_F(RecentlyDeletedTest, AHeaderWithoutEndIsReadOnlyInPart) {
    const std::string anna = QFile::encodeName(root.filePath("anna@h:1")).toStdString();
    const std::vector<TKeptCopy> copies = TKeptCopies(anna).List();
    ASSERT_EQ(copies.size(), 2u);
    EXPECT_EQ(copies[0].Size, 1024u * 1024u);
    EXPECT_EQ(copies[0].Header.size(), 256u * 1024u);
    EXPECT_EQ(copies[1].Header, "From: Anna <anna@example.org>\r\nSubject: Invoice\r\n"
                                "Date: Wed, 3 May 2000 09:00:00 +0000\r\n\r\n");
}

TEST_F(RecentlyDeletedTest, OpensWideEnoughForSubjectAndSize) {
    for (const bool german : {false, true}) {
        TRecentlyDeleted window(root.path(), german, {});
        window.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
        EXPECT_TRUE(window.screen()->availableGeometry().contains(window.frameGeometry()));
        const QHeaderView* header = window.copy_list->header();
        for (const int column : {Subject, Size}) {
            EXPECT_GE(header->sectionViewportPosition(column), 0) << column;
            EXPECT_LE(header->sectionViewportPosition(column) + header->sectionSize(column),
                      window.copy_list->viewport()->width())
                << column;
        }
        EXPECT_TRUE(SaveScreenshot(window, german ? "recently-deleted-de" : "recently-deleted-en"));
    }
}

} // namespace
