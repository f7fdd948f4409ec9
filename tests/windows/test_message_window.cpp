// The message window: attachment list, saving the mail and its attachments, HTML mails.
#include "MailHeaderBlock.h"
#include "MbxMsg.h"
#include "OfflineTextView.h"
#include "email.h"
#include "viewer_test_support.h"

#include <QDesktopServices>
#include <QFileDialog>
#include <QFileInfo>
#include <QImage>
#include <QLabel>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace {

using namespace std::string_literals;

using Attachment = std::pair<std::string, std::string>; // name, decoded bytes

std::unique_ptr<TMbxMsg> Mail(std::vector<std::string> text, std::vector<Attachment> files = {}) {
    auto msg = std::make_unique<TMbxMsg>();
    msg->Text = std::move(text);
    for (auto& [name, data] : files)
        msg->Attachments.Add(name).Data = data;
    return msg;
}

// Bytes that survive no text conversion: NUL, CR LF, high bytes.
const std::string kPdfBytes = "%PDF-1.4\r\n\0\x80\xFF\xFE trailer\n"s;
const std::string kTxtBytes = "plain b\r\n";

class MessageWindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(dir.isValid());
        form.SetCurrentMsgSource([this] { return current.get(); });
        form.AskSaveFileName = answer.Asker();
    }

    // What the main window does: keep the mail, fill the window, show it.
    void Open(std::unique_ptr<TMbxMsg> msg) {
        current = std::move(msg);
        form.ShowMessageOf(*current);
        form.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));
    }
    QStringList Entries() const {
        QStringList names;
        for (int i = 0; i < form.attachment_list->count(); ++i)
            names << form.attachment_list->item(i)->text();
        return names;
    }
    QString Memo() const { return form.memo_email_anzeigen->toPlainText(); }
    QString PathIn(const char* name) const { return dir.filePath(QString::fromLatin1(name)); }

    QTemporaryDir dir;
    std::unique_ptr<TMbxMsg> current;
    SaveAnswer answer;
    TForm3 form;
};

// The save dialogs keep their English titles in either language.
TEST_F(MessageWindowTest, DialogTitlesDoNotFollowTheLanguage) {
    for (const bool language : {true, false}) {
        form.SetGermanUI(language);
        Open(Mail({"Hello"}, {{"a.pdf", kPdfBytes}}));
        EXPECT_TRUE(form.lab_anhang->font().bold());
        form.btn_save_email->click();
        form.btn_save_attachments->click();
        ASSERT_EQ(answer.asked.size(), 2u);
        EXPECT_EQ(answer.asked[0].Title, QStringLiteral("Save E-Mail"));
        EXPECT_EQ(answer.asked[1].Title, QStringLiteral("Save Attachment"));
        answer.asked.clear();
        form.btn_close->click();
    }
}

TEST_F(MessageWindowTest, MailWithoutAttachmentsDisablesSavingOne) {
    Open(Mail({"Just text"}));
    EXPECT_EQ(form.attachment_list->count(), 0);
    EXPECT_FALSE(form.btn_save_attachments->isEnabled());
    EXPECT_TRUE(form.btn_save_email->isEnabled());
}

TEST_F(MessageWindowTest, AttachmentsAreListedByNameWithoutRegardToCase) {
    Open(Mail({"x"}, {{"b.txt", kTxtBytes}, {"a.pdf", kPdfBytes}}));
    EXPECT_EQ(Entries(), QStringList({"a.pdf", "b.txt"}));
    EXPECT_EQ(form.attachment_list->currentRow(), 0);
    EXPECT_TRUE(form.btn_save_attachments->isEnabled());
    form.btn_close->click();

    Open(Mail({"x"}, {{"c.doc", ""}, {"B.txt", ""}, {"a.pdf", ""}, {"Z.zip", ""}}));
    EXPECT_EQ(Entries(), QStringList({"a.pdf", "B.txt", "c.doc", "Z.zip"}));
}

TEST_F(MessageWindowTest, SavingTheFirstEntryWritesExactlyItsBytes) {
    Open(Mail({"x"}, {{"b.txt", kTxtBytes}, {"a.pdf", kPdfBytes}}));
    answer.path = PathIn("saved.pdf");
    form.btn_save_attachments->click();
    ASSERT_EQ(answer.asked.size(), 1u);
    EXPECT_EQ(answer.asked[0].FileName, QStringLiteral("a.pdf"));
    EXPECT_EQ(answer.asked[0].Filter, QStringLiteral("*"));
    EXPECT_TRUE(answer.asked[0].DefaultExt.isEmpty());
    EXPECT_EQ(ReadFileBytes(answer.path), kPdfBytes);
    EXPECT_TRUE(form.save_dialog_attachment.FileName.isEmpty()) << "nothing proposed next";
}

TEST_F(MessageWindowTest, SavingOverwritesAnExistingFile) {
    answer.path = PathIn("old.txt");
    QFile old(answer.path);
    ASSERT_TRUE(old.open(QIODevice::WriteOnly));
    old.write(QByteArray(4096, 'o'));
    old.close();
    Open(Mail({"x"}, {{"b.txt", kTxtBytes}}));
    form.btn_save_attachments->click();
    EXPECT_EQ(ReadFileBytes(answer.path), kTxtBytes);
}

TEST_F(MessageWindowTest, TwoAttachmentsOfOneNameStayTwoEntriesWithTheirOwnBytes) {
    Open(Mail({"x"}, {{"scan.jpg", "first"}, {"a.txt", "a"}, {"scan.jpg", "second"}}));
    EXPECT_EQ(Entries(), QStringList({"a.txt", "scan.jpg", "scan.jpg"}));
    std::vector<std::string> saved;
    for (int row : {1, 2}) {
        form.attachment_list->setCurrentRow(row);
        answer.path = PathIn(row == 1 ? "one.jpg" : "two.jpg");
        form.btn_save_attachments->click();
        saved.push_back(ReadFileBytes(answer.path));
    }
    EXPECT_EQ(saved, (std::vector<std::string>{"first", "second"}));
}

TEST_F(MessageWindowTest, UnnamedAttachmentIsAnEmptyEntryProposingNoName) {
    Open(Mail({"x"}, {{"", "anonymous bytes"}}));
    EXPECT_EQ(Entries(), QStringList({""}));
    answer.path = PathIn("named-by-user.bin");
    form.btn_save_attachments->click();
    ASSERT_EQ(answer.asked.size(), 1u);
    EXPECT_TRUE(answer.asked[0].FileName.isEmpty());
    EXPECT_EQ(ReadFileBytes(answer.path), "anonymous bytes");
}

TEST_F(MessageWindowTest, CancelledSaveWritesNothing) {
    Open(Mail({"line"}, {{"a.pdf", kPdfBytes}}));
    answer.path.clear();
    form.btn_save_attachments->click();
    form.btn_save_email->click();
    EXPECT_EQ(answer.asked.size(), 2u);
    EXPECT_TRUE(QDir(dir.path()).isEmpty());
    EXPECT_EQ(form.save_dialog_email.FileName, QStringLiteral("mail.txt"));
    EXPECT_TRUE(form.save_dialog_attachment.FileName.isEmpty());
}

TEST_F(MessageWindowTest, SavedMailHoldsTheShownLinesEachEndedByCrLf) {
    // The mail's text is UTF-8, and so is the saved file.
    Open(Mail({"Hallo,", "", "viele Grüße € und\ttab", "-- "}));
    EXPECT_EQ(Memo(), QString::fromUtf8("Hallo,\n\nviele Grüße € und\ttab\n-- "));
    answer.path = PathIn("mail.txt");
    form.btn_save_email->click();
    EXPECT_EQ(ReadFileBytes(answer.path), "Hallo,\r\n\r\nviele Grüße € und\ttab\r\n-- \r\n");
}

// The proposed names are never hidden files, and each dialog opens where the last file went.
TEST_F(MessageWindowTest, SavingProposesVisibleNamesInTheLastFolderUsed) {
    struct Case {
        std::string subject;
        QString proposed;
    };
    const Case cases[] = {
        {"", "mail.txt"},
        {"Re: Q3 report / draft?", "Re_ Q3 report _ draft_.txt"},
        {"...", "mail.txt"},
        {"=?ISO-8859-1?Q?Gr=FC=DFe?=", QString::fromUtf8("Grüße.txt")},
    };
    for (const Case& c : cases) {
        auto msg = Mail({"one"});
        msg->Subject = c.subject;
        Open(std::move(msg));
        for (const char* name : {"", "x.txt"}) { // cancelled, then saved
            answer.path = *name ? PathIn(name) : QString();
            form.btn_save_email->click();
        }
        ASSERT_EQ(answer.asked.size(), 2u);
        EXPECT_EQ(answer.asked[0].FileName, c.proposed) << c.subject;
        EXPECT_EQ(answer.asked[1].FileName, c.proposed) << "proposed again";
        EXPECT_EQ(answer.asked[1].Filter, QStringLiteral("ASCII; Text (*.txt)"));
        answer.asked.clear();
        form.reject();
    }
    EXPECT_EQ(ReadFileBytes(PathIn("x.txt")), "one\r\n");

    QString remembered;
    QObject::connect(&SaveFolderOf(&form), &TSaveFolder::Chosen,
                     [&](const QString& folder) { remembered = folder; });
    Open(Mail({"two"}, {{"../../evil.png", kTxtBytes}}));
    answer.path = PathIn("sub.png");
    form.btn_save_attachments->click();
    ASSERT_EQ(answer.asked.size(), 1u);
    EXPECT_EQ(answer.asked[0].FileName, QStringLiteral("evil.png")) << "no leading dots";
    EXPECT_EQ(remembered, QFileInfo(dir.path()).absoluteFilePath());
    SaveFolderOf(&form).SetLast(QStringLiteral("/elsewhere"));
    form.btn_save_email->click();
    EXPECT_EQ(answer.asked[1].Folder, QStringLiteral("/elsewhere"));
}

// The words beside the icons are part of the buttons.
TEST_F(MessageWindowTest, ClickingTheWordsActsAsTheButtons) {
    Open(Mail({"one"}));
    answer.path.clear();
    QTest::mouseClick(form.save_email, Qt::LeftButton);
    EXPECT_EQ(answer.asked.size(), 1u);
    QTest::mouseClick(form.save_attachment, Qt::LeftButton);
    EXPECT_EQ(answer.asked.size(), 1u) << "saving an attachment is disabled without any";
    QTest::mouseClick(form.close_window, Qt::LeftButton);
    EXPECT_FALSE(form.isVisible());
}

TEST_F(MessageWindowTest, EmptyMailSavesAnEmptyFile) {
    Open(Mail({}));
    answer.path = PathIn("empty.txt");
    form.btn_save_email->click();
    EXPECT_EQ(ReadFileBytes(answer.path), "");
}

TEST_F(MessageWindowTest, FileThatCannotBeCreatedIsReportedAndNothingChanges) {
    ErrorRecorder shown;
    Open(Mail({"keep me"}, {{"b.txt", kTxtBytes}, {"a.pdf", kPdfBytes}}));
    form.attachment_list->setCurrentRow(1);
    answer.path = PathIn("no-such-folder/out.bin");
    const std::vector<std::function<void()>> saves = {
        [this] { form.btn_save_attachments->click(); },
        [this] { form.btn_save_email->click(); },
    };
    for (const auto& save : saves) {
        shown.errors.clear();
        save();
        ASSERT_EQ(shown.errors.size(), 1u);
        EXPECT_EQ(shown.errors[0], "Datei " + answer.path + " kann nicht erstellt werden");
        EXPECT_FALSE(QFile::exists(answer.path));
        EXPECT_TRUE(form.isVisible());
        EXPECT_EQ(Memo(), QStringLiteral("keep me"));
        EXPECT_EQ(Entries(), QStringList({"a.pdf", "b.txt"}));
        EXPECT_EQ(form.attachment_list->currentRow(), 1);
    }
}

TEST_F(MessageWindowTest, HeaderLinesAboveTheTextLeaveOutMissingFields) {
    using Lines = std::vector<std::pair<QString, QString>>;
    const std::string from = "\"Anna Ärger\" <anna@example.org>";
    const std::string to = "\"Bob\" <bob@example.org>";
    const std::string date = "Tue, 1 Dec 2026 10:00:00 +0100";
    std::string manyCc;
    for (int i = 0; i < 200; ++i)
        manyCc += (i ? ", <user"s : "<user"s) + std::to_string(i) + "@example.org>";
    struct Row {
        bool german;
        std::string from, to, cc, date, subject;
        Lines lines;
    };
    const Row rows[] = {
        {false,
         from,
         to,
         "",
         date,
         "Grüße",
         {{"From:", QString::fromUtf8(from)},
          {"To:", QString::fromStdString(to)},
          {"Date:", QString::fromStdString(date)},
          {"Subject:", QString::fromUtf8("Grüße")}}},
        {true,
         from,
         to,
         manyCc,
         date,
         "Re:\tfolded",
         {{"Von:", QString::fromUtf8(from)},
          {"An:", QString::fromStdString(to)},
          {"Cc:", QString::fromStdString(manyCc)},
          {"Datum:", QString::fromStdString(date)},
          {"Betreff:", "Re: folded"}}},
        {false, "", "", "", "", "only a subject", {{"Subject:", "only a subject"}}},
        {false, "", "", "", "", "", {}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.subject);
        form.SetGermanUI(row.german);
        auto msg = Mail({"Body line"});
        msg->From = row.from;
        msg->SendTo = row.to;
        msg->CC = row.cc;
        msg->Date = row.date;
        msg->Subject = row.subject;
        Open(std::move(msg));
        EXPECT_EQ(form.mail_header->Lines(), row.lines);
        const QRect header = form.mail_header->geometry();
        EXPECT_EQ(header.height() > 0, !row.lines.empty());
        EXPECT_EQ(form.memo_email_anzeigen->geometry().top(), header.bottom() + 1);
        EXPECT_EQ(Memo(), QStringLiteral("Body line")) << "the fields stay out of the text";
        if (row.german) {
            EXPECT_TRUE(SaveScreenshot(form, "message-window-header-lines"));
        }
        const auto values = form.mail_header->findChildren<QLabel*>();
        for (const QLabel* value : values) {
            // A value wider than its line ends in an ellipsis and shows whole as a tip.
            if (!value->toolTip().isEmpty()) {
                EXPECT_EQ(value->toolTip(), QString::fromStdString(manyCc));
                EXPECT_TRUE(value->text().endsWith(QChar(0x2026)));
                EXPECT_LE(value->geometry().right(), form.width());
            }
        }
        answer.path = PathIn("saved.txt");
        form.btn_save_email->click();
        EXPECT_EQ(ReadFileBytes(answer.path), "Body line\r\n");
        form.btn_close->click();
        EXPECT_TRUE(form.mail_header->Lines().empty());
    }
}

// Records what the program hands to the desktop to open.
class OpenedUrls : public QObject {
    Q_OBJECT
public:
    std::vector<QUrl> opened;
public slots:
    void Open(const QUrl& url) { opened.push_back(url); }
};

// An HTML-only mail shows formatted; nothing it names is fetched, read or opened.
TEST_F(MessageWindowTest, HtmlOnlyMailShowsFormattedAndLoadsNothing) {
    QImage big(300, 300, QImage::Format_RGB32);
    big.fill(Qt::red);
    const QString bigPath = PathIn("big.png");
    ASSERT_TRUE(big.save(bigPath));
    const QStringList sources = {"http://127.0.0.1:9/pixel.png", "https://127.0.0.1:9/logo.png",
                                 "cid:part1@example.org", QUrl::fromLocalFile(bigPath).toString(),
                                 bigPath};
    QString html = "<p><b>Bold</b> and <a href=\"http://127.0.0.1:9/track\">a link</a></p>";
    for (const QString& source : sources)
        html += "<img src=\"" + source + "\">";
    auto msg = Mail({"Bold and a link"});
    msg->Html = html.toStdString();
    OpenedUrls desktop;
    for (const char* scheme : {"http", "https", "file"})
        QDesktopServices::setUrlHandler(scheme, &desktop, "Open");
    Open(std::move(msg));
    TOfflineTextView& view = *form.memo_email_html;
    ASSERT_TRUE(view.isVisible());
    EXPECT_FALSE(form.memo_email_anzeigen->isVisible());
    EXPECT_EQ(form.focusWidget(), &view);
    view.grab(); // lays out and paints every image
    EXPECT_TRUE(SaveScreenshot(form, "message-window-html"));
    EXPECT_TRUE(view.toPlainText().startsWith("Bold and a link"));
    QTextCursor bold = view.document()->find("Bold");
    EXPECT_EQ(bold.charFormat().fontWeight(), QFont::Bold);
    // A loaded image would make the text at least 300 pixels high.
    EXPECT_LT(view.document()->size().height(), 150);
    std::vector<QString> refused;
    for (const QUrl& url : view.OfflineDocument()->Refused())
        refused.push_back(url.toString());
    for (const QString& source : sources) {
        EXPECT_EQ(std::count(refused.begin(), refused.end(), QUrl(source).toString()), 1)
            << source.toStdString();
    }

    // The click reaches the link, which is not followed.
    QTextCursor link(view.document());
    link.setPosition(view.document()->find("a link").selectionStart() + 2);
    QSignalSpy clicked(&view, &QTextBrowser::anchorClicked);
    QTest::mouseClick(view.viewport(), Qt::LeftButton, {}, view.cursorRect(link).center());
    EXPECT_EQ(clicked.count(), 1);
    EXPECT_TRUE(desktop.opened.empty());
    EXPECT_TRUE(view.source().isEmpty());
    for (const char* scheme : {"http", "https", "file"})
        QDesktopServices::unsetUrlHandler(scheme);

    answer.path = PathIn("html.txt");
    form.btn_save_email->click();
    EXPECT_EQ(ReadFileBytes(answer.path), "Bold and a link\r\n") << "saved as its text lines";
    QTest::keyClick(form.windowHandle(), Qt::Key_Escape);
    EXPECT_FALSE(form.isVisible());

    Open(Mail({"plain again"}));
    EXPECT_TRUE(form.memo_email_anzeigen->isVisible());
    EXPECT_FALSE(view.isVisible());
    EXPECT_TRUE(view.toPlainText().isEmpty());
}

TEST_F(MessageWindowTest, EveryWayOfClosingEmptiesTextAndList) {
    const std::pair<const char*, std::function<void(TForm3&)>> ways[] = {
        {"close button", [](TForm3& f) { f.btn_close->click(); }},
        // Through the window, as a key press arrives: to the focused text.
        {"Escape", [](TForm3& f) { QTest::keyClick(f.windowHandle(), Qt::Key_Escape); }},
        {"Escape in the list",
         [](TForm3& f) {
             f.attachment_list->setFocus();
             QTest::keyClick(f.windowHandle(), Qt::Key_Escape);
         }},
        {"title bar", [](TForm3& f) { f.close(); }},
    };
    for (const auto& [name, closeIt] : ways) {
        Open(Mail({"old mail"}, {{"old.zip", "old bytes"}}));
        closeIt(form);
        EXPECT_FALSE(form.isVisible()) << name;
        EXPECT_TRUE(Memo().isEmpty()) << name;
        EXPECT_EQ(form.attachment_list->count(), 0) << name;

        Open(Mail({"new mail"}));
        EXPECT_EQ(Memo(), QStringLiteral("new mail")) << name;
        EXPECT_EQ(form.attachment_list->count(), 0) << name;
        EXPECT_FALSE(form.btn_save_attachments->isEnabled()) << name;
        form.btn_close->click();
    }
}

// Regression: entries of an earlier mail must never point into the next mail's attachments.
TEST_F(MessageWindowTest, NextMailWithoutAttachmentsDropsTheEarlierEntries) {
    Open(Mail({"first"}, {{"first.pdf", kPdfBytes}}));
    form.hide(); // gone without any close handling
    Open(Mail({"second"}));
    EXPECT_EQ(form.attachment_list->count(), 0);
    EXPECT_FALSE(form.btn_save_attachments->isEnabled());
}

TEST(SaveFileDialog, RealDialogCarriesTheSettingsAndAddsTheDefaultExtension) {
    QTemporaryDir dir;
    TForm3 form;
    auto dialog = MakeSaveFileDialog(&form, form.save_dialog_email);
    dialog->setOption(QFileDialog::DontUseNativeDialog);
    EXPECT_EQ(dialog->windowTitle(), QStringLiteral("Save E-Mail"));
    EXPECT_EQ(dialog->nameFilters(), QStringList({"ASCII; Text (*.txt)"}));
    EXPECT_EQ(dialog->defaultSuffix(), QStringLiteral("txt"));
    EXPECT_EQ(dialog->acceptMode(), QFileDialog::AcceptSave);
    EXPECT_FALSE(dialog->testOption(QFileDialog::DontConfirmOverwrite));
    dialog->setDirectory(dir.path());
    dialog->selectFile(QStringLiteral("letter"));
    EXPECT_EQ(dialog->selectedFiles(), QStringList({dir.filePath("letter.txt")}));

    auto any = MakeSaveFileDialog(&form, form.save_dialog_attachment);
    any->setOption(QFileDialog::DontUseNativeDialog);
    EXPECT_EQ(any->windowTitle(), QStringLiteral("Save Attachment"));
    any->setDirectory(dir.path());
    any->selectFile(QStringLiteral("README"));
    EXPECT_EQ(any->selectedFiles(), QStringList({dir.filePath("README")}));
}

} // namespace

#include "test_message_window.moc"
