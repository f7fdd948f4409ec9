// The about box: product name, the maker's links and the keys.
#include "HyperLink.h"
#include "info.h"

#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

#include <vector>

namespace {

const QColor kMaroon(128, 0, 0);

class AboutBoxTest : public ::testing::Test {
protected:
    void SetUp() override {
        for (THyperLink* link : {box.HyperLink1, box.HyperLink2})
            link->OpenUrl = [this](const QUrl& url) { opened.push_back(url); };
    }

    void Show() {
        box.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&box));
    }
    static void Click(QWidget* widget) {
        QTest::mouseClick(widget, Qt::LeftButton, Qt::NoModifier, QPoint(2, 2));
    }

    TAboutBox box;
    std::vector<QUrl> opened;
};

TEST_F(AboutBoxTest, ShowsTheProductAndTheMaker) {
    EXPECT_EQ(box.windowTitle(), QStringLiteral("Information"));
    // The design's size, wider where the mail address needs it (in this desktop's font).
    EXPECT_GE(box.width(), 281);
    EXPECT_EQ(box.height(), 149);
    EXPECT_LE(box.HyperLink1->geometry().right(), box.Panel1->contentsRect().right());
    EXPECT_EQ(box.ProductName->text(), QStringLiteral("InboxPruner 2.15"));
    EXPECT_TRUE(box.ProductName->font().bold());
    EXPECT_EQ(box.Label1->text(), QStringLiteral("e-mail:"));
    EXPECT_EQ(box.Label2->text(), QStringLiteral("Internet:"));
    EXPECT_EQ(box.HyperLink1->Caption(), QStringLiteral("info@fenn-labs.example"));
    EXPECT_EQ(box.HyperLink1->HREF(), QStringLiteral("mailto:info@fenn-labs.example"));
    EXPECT_EQ(box.HyperLink2->Caption(), QStringLiteral("fenn-labs.example"));
    EXPECT_EQ(box.HyperLink2->HREF(), QStringLiteral("https://fenn-labs.example"));
    EXPECT_FALSE(box.Notice->text().isEmpty());
    ASSERT_FALSE(box.ProgramIcon->pixmap().isNull()) << "the picture is in the resources";
    EXPECT_EQ(box.ProgramIcon->geometry(), QRect(8, 8, 65, 57));
    EXPECT_FALSE(box.ProgramIcon->toolTip().isEmpty());
    EXPECT_TRUE(box.OKButton->isDefault());
}

TEST_F(AboutBoxTest, LinksAreMaroonBoldAndTakeTheFocusInOrder) {
    for (THyperLink* link : {box.HyperLink1, box.HyperLink2}) {
        EXPECT_EQ(link->NotPressedColor(), kMaroon);
        EXPECT_EQ(link->OverColor(), kMaroon);
        EXPECT_EQ(link->PressedColor(), QColor(255, 0, 0));
        EXPECT_EQ(link->CaptionColor(), kMaroon);
        EXPECT_TRUE(link->font().bold());
        EXPECT_TRUE(link->font().underline());
        EXPECT_EQ(link->StatusBar(), nullptr);
    }
    EXPECT_EQ(box.HyperLink1->pos(), QPoint(136, 40));
    EXPECT_EQ(box.HyperLink2->pos(), QPoint(136, 56));
}

TEST_F(AboutBoxTest, TabGoesFromLinkToLinkToOk) {
    Show();
    box.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&box));
    box.HyperLink1->setFocus(Qt::TabFocusReason);
    ASSERT_TRUE(box.HyperLink1->hasFocus());
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    EXPECT_TRUE(box.HyperLink2->hasFocus());
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    EXPECT_TRUE(box.OKButton->hasFocus());
}

TEST_F(AboutBoxTest, ClickingTheLinksOpensMailAndWeb) {
    Show();
    Click(box.HyperLink1);
    Click(box.HyperLink2);
    ASSERT_EQ(opened.size(), 2u);
    EXPECT_EQ(opened[0].scheme(), QStringLiteral("mailto"));
    EXPECT_EQ(opened[0].path(), QStringLiteral("info@fenn-labs.example"));
    EXPECT_EQ(opened[1], QUrl(QStringLiteral("https://fenn-labs.example")));
}

TEST_F(AboutBoxTest, EnterPressesOkAndOpensNoLink) {
    QTimer::singleShot(0, &box, [this] {
        QTest::keyClick(QApplication::focusWidget() ? QApplication::focusWidget() : &box,
                        Qt::Key_Return);
    });
    EXPECT_EQ(box.exec(), QDialog::Accepted);
    EXPECT_TRUE(opened.empty());
}

} // namespace
