#pragma once

// The main window on the offscreen platform with its three dialogs, a private settings folder,
// a record of every POP3 command it sends, and helpers to build scripted POP3 sessions.

#include "Header.h"
#include "Main.h"
#include "email.h"
#include "info.h"

#include "DovecotServer.h"
#include "Screenshot.h"
#include "ScriptedServer.h"

#include <QSettings>
#include <QStringList>
#include <QTemporaryDir>
#include <QtWidgets>

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

class AppTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // A new main window (the old one, if any, is closed first), shown and given the UI
    // languages of the user.
    TForm1& Open(const QStringList& uiLanguages = {QStringLiteral("en-US")});
    // Fills the login row for a plain-text server on 127.0.0.1.
    void FillLogin(uint16_t port, const QString& user, const QString& password,
                   const QString& host = QStringLiteral("127.0.0.1"));

    // The item strings of the message rows (item 1 on).
    QStringList Rows() const;
    // The rows that are marked, by item number.
    std::vector<int> MarkedRows() const;
    // The POP3 commands sent so far, without CR LF.
    const std::vector<std::string>& Sent() const { return sent_; }
    bool SentAny(const std::string& prefix) const;
    // The status label's text, with its line breaks as "\r" like the messages themselves.
    QString StatusLines() const;

    // A settings object on the private store.
    std::unique_ptr<QSettings> Store() const;
    QString StoreFile() const;
    // Puts accounts (server, user, password) into the store as the program writes them.
    void SaveAccounts(const std::vector<std::array<std::string, 3>>& accounts);

    std::unique_ptr<TForm1> form;
    TAboutBox* about = nullptr;
    TForm2* headerWindow = nullptr;
    TForm3* messageWindow = nullptr;
    std::vector<QString> errorsShown;

private:
    QTemporaryDir configDir_;
    std::vector<std::string> sent_;
};

// The server field's text for a test server: host and port.
QString ServerText(uint16_t port, const QString& host = QStringLiteral("127.0.0.1"));

// Saves a picture of the widget (see Screenshot.h) as a check of the test.
inline void SaveScreenshot(QWidget* widget, const QString& name) {
    EXPECT_TRUE(SaveScreenshot(*widget, name)) << name.toStdString();
}
// The control that has the focus; an editable combo box counts, not its inner line edit.
QWidget* FocusOf(TForm1& f);
// The texts of a combo box's items, in order.
QStringList Items(const QComboBox* combo);

// A mail with the given header fields and a short body, lines ended by CR LF.
std::string Mail(const std::string& from, const std::string& subject, const std::string& date,
                 const std::string& body = "Hello.\r\n");
// Five such mails from sender1..5@example.org, "Mail number 1".."Mail number 5".
std::vector<std::string> FiveMails();
// The copies of deleted mail kept for user bob on the test server at 127.0.0.1:port.
QStringList CopiesOf(uint16_t port);

// Script steps for a session up to and including STAT: greeting, USER, PASS, CAPA (refused),
// STAT answers.
void ScriptLogin(ScriptedServer& server, int count, int size);
// Script steps for TOP n 0 and list n of one message.
void ScriptMessage(ScriptedServer& server, int n, const std::string& header, int size);
// A server that takes `sessions` logins in a row, each to an empty mailbox.
void ScriptEmptySessions(ScriptedServer& server, int sessions);
// Script steps for the QUIT at the end.
void ScriptQuit(ScriptedServer& server);
