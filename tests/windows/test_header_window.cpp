// The header window: appended header text, and closing in every way.
#include "Header.h"
#include "viewer_test_support.h"

#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

#include <functional>
#include <string>

namespace {

class HeaderWindowTest : public ::testing::Test {
protected:
    void SetUp() override {}

    void Show() {
        form.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));
    }
    QString Memo() const { return form.memo_header_anzeigen->toPlainText(); }

    TForm2 form;
};

TEST_F(HeaderWindowTest, HeaderTextIsShownLineByLineFromItsFirstLine) {
    std::string header = "Return-Path: <a@b.example>\r\n";
    for (int i = 0; i < 60; ++i)
        header += "Received: by hop" + std::to_string(i) + "\r\n";
    header += "Subject: Gr\xFC\xDF"
              "e\r\n\r\n.\r\n|";
    form.AddHeaderText(header);
    Show();
    const QStringList lines = Memo().split(QLatin1Char('\n'));
    ASSERT_EQ(lines.size(), 65);
    EXPECT_EQ(lines.first(), QStringLiteral("Return-Path: <a@b.example>"));
    EXPECT_EQ(lines[61], QString::fromUtf8("Subject: Grüße"));
    EXPECT_EQ(lines.mid(62), QStringList({"", ".", "|"}));
    EXPECT_EQ(form.memo_header_anzeigen->verticalScrollBar()->value(), 0);
}

TEST_F(HeaderWindowTest, LoneCarriageReturnsAndLineFeedsAlsoEndLines) {
    form.AddHeaderText("A: 1\rB: 2\nC: 3\r\n");
    EXPECT_EQ(Memo(), QStringLiteral("A: 1\nB: 2\nC: 3"));
    form.btn_close->click();
    form.AddHeaderText(std::string("X: 1\r\nY: 2\0Z: 3", 14));
    EXPECT_EQ(Memo(), QStringLiteral("X: 1\nY: 2 Z: ")) << "a NUL byte shows as a blank";
}

TEST_F(HeaderWindowTest, EveryWayOfClosingEmptiesTheMemo) {
    const std::pair<const char*, std::function<void(TForm2&)>> ways[] = {
        {"close button", [](TForm2& f) { f.btn_close->click(); }},
        {"Enter", [](TForm2& f) { QTest::keyClick(f.btn_close, Qt::Key_Return); }},
        {"Escape", [](TForm2& f) { QTest::keyClick(f.windowHandle(), Qt::Key_Escape); }},
        {"title bar", [](TForm2& f) { f.close(); }},
    };
    for (const auto& [name, closeIt] : ways) {
        form.AddHeaderText("Subject: first\r\n");
        Show();
        closeIt(form);
        EXPECT_FALSE(form.isVisible()) << name;
        EXPECT_TRUE(Memo().isEmpty()) << name;
        form.AddHeaderText("Subject: first\r\n");
        Show();
        EXPECT_EQ(Memo(), QStringLiteral("Subject: first")) << name << ": shown once";
        form.btn_close->click();
    }
}

TEST_F(HeaderWindowTest, ModalShowEndsWithOkFromTheCloseButton) {
    form.AddHeaderText("Subject: modal\r\n");
    QTimer::singleShot(0, &form, [this] {
        EXPECT_TRUE(form.isVisible());
        EXPECT_EQ(Memo(), QStringLiteral("Subject: modal"));
        form.btn_close->click();
    });
    EXPECT_EQ(form.exec(), QDialog::Accepted);
    EXPECT_TRUE(Memo().isEmpty());
}

} // namespace
