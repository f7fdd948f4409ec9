// The link label on real widgets: colour states, opening, keyboard, focus and status panel.
#include "HyperLink.h"

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QStatusBar>
#include <QTest>
#include <QVBoxLayout>
#include <QWidget>
#include <gtest/gtest.h>

#include <vector>

namespace {

const QColor kBlue(0, 0, 255);
const QColor kGreen(0, 128, 0);
const QColor kRed(255, 0, 0);

// A shown window holding one link whose opener records instead of starting a program.
class HyperLinkTest : public ::testing::Test {
protected:
    void SetUp() override {
        window.resize(300, 120);
        auto* layout = new QVBoxLayout(&window);
        before = new QLineEdit(&window);
        layout->addWidget(before);
        link = new THyperLink(&window);
        link->SetCaption(QStringLiteral("fenn-labs.example"));
        link->SetHREF(QStringLiteral("https://fenn-labs.example"));
        link->OpenUrl = [this](const QUrl& url) { opened.push_back(url); };
        layout->addWidget(link, 0, Qt::AlignLeft);
        window.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    }

    void Mouse(QEvent::Type type, QPoint at, Qt::MouseButton button, Qt::MouseButtons held) {
        QMouseEvent event(type, at, link->mapToGlobal(at), button, held, Qt::NoModifier);
        QApplication::sendEvent(link, &event);
    }
    void Press(QPoint at, Qt::MouseButton button = Qt::LeftButton) {
        Mouse(QEvent::MouseButtonPress, at, button, button);
    }
    void Release(QPoint at, Qt::MouseButton button = Qt::LeftButton) {
        Mouse(QEvent::MouseButtonRelease, at, button, Qt::NoButton);
    }
    void Move(QPoint at, Qt::MouseButtons held = Qt::NoButton) {
        Mouse(QEvent::MouseMove, at, Qt::NoButton, held);
    }
    void Leave() {
        QEvent event(QEvent::Leave);
        QApplication::sendEvent(link, &event);
    }
    void Focus() {
        window.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
        link->setFocus(Qt::TabFocusReason);
        ASSERT_TRUE(link->hasFocus());
    }

    QWidget window;
    QLineEdit* before = nullptr;
    THyperLink* link = nullptr;
    std::vector<QUrl> opened;
};

TEST_F(HyperLinkTest, StartsUnderlinedInTheNormalColourAndTakesTheFocus) {
    EXPECT_EQ(link->CaptionColor(), kBlue);
    EXPECT_EQ(link->NotPressedColor(), kBlue);
    EXPECT_EQ(link->OverColor(), kGreen);
    EXPECT_EQ(link->PressedColor(), kRed);
    EXPECT_EQ(link->Color(), QColor(192, 192, 192));
    EXPECT_TRUE(link->font().underline());
    EXPECT_EQ(link->focusPolicy() & Qt::TabFocus, Qt::TabFocus);
    EXPECT_EQ(link->cursor().shape(), Qt::PointingHandCursor);
    EXPECT_TRUE(THyperLink().HREF().isEmpty());
}

TEST_F(HyperLinkTest, HoverPressAndLeaveChangeTheColour) {
    Move({3, 3});
    EXPECT_TRUE(link->Over());
    EXPECT_EQ(link->CaptionColor(), kGreen);
    Press({3, 3});
    EXPECT_TRUE(link->Pressed());
    EXPECT_FALSE(link->Over());
    EXPECT_EQ(link->CaptionColor(), kRed);
    Release({3, 3});
    EXPECT_FALSE(link->Pressed());
    EXPECT_EQ(link->CaptionColor(), kBlue);
    Move({4, 4});
    Leave();
    EXPECT_FALSE(link->Over());
    EXPECT_EQ(link->CaptionColor(), kBlue);
}

TEST_F(HyperLinkTest, LeftClickInsideOpensTheTargetOnce) {
    Press({2, 2});
    EXPECT_TRUE(opened.empty()) << "opening waits for the release";
    Release({2, 2});
    ASSERT_EQ(opened.size(), 1u);
    EXPECT_EQ(opened[0], QUrl(QStringLiteral("https://fenn-labs.example")));
}

TEST_F(HyperLinkTest, ReleaseEdgesCountAsInside) {
    Press({0, 0});
    Release({link->width(), link->height()});
    EXPECT_EQ(opened.size(), 1u);
    Press({0, 0});
    Release({link->width() + 1, 0});
    EXPECT_EQ(opened.size(), 1u);
}

TEST_F(HyperLinkTest, DraggingOutAndReleasingOutsideDoesNotOpen) {
    Press({2, 2});
    Move({2, 2}, Qt::LeftButton);
    Move({link->width() + 20, 2}, Qt::LeftButton);
    EXPECT_FALSE(link->Pressed());
    EXPECT_EQ(link->CaptionColor(), kBlue);
    Release({link->width() + 20, 2});
    EXPECT_TRUE(opened.empty());
}

TEST_F(HyperLinkTest, DraggingBackInsideShowsPressedAgainAndOpens) {
    Press({2, 2});
    Move({2, 2}, Qt::LeftButton);
    Move({-10, 2}, Qt::LeftButton);
    EXPECT_EQ(link->CaptionColor(), kBlue);
    Move({3, 3}, Qt::LeftButton);
    EXPECT_TRUE(link->Pressed());
    EXPECT_EQ(link->CaptionColor(), kRed);
    Release({3, 3});
    EXPECT_EQ(opened.size(), 1u);
}

TEST_F(HyperLinkTest, RightButtonNeitherPressesNorOpens) {
    Move({2, 2});
    Press({2, 2}, Qt::RightButton);
    EXPECT_FALSE(link->Pressed());
    EXPECT_NE(link->CaptionColor(), kRed);
    Release({2, 2}, Qt::RightButton);
    EXPECT_EQ(link->CaptionColor(), kBlue);
    EXPECT_TRUE(opened.empty());
}

TEST_F(HyperLinkTest, EmptyTargetOpensNothingButStillClicks) {
    link->SetHREF(QString());
    int clicks = 0;
    QObject::connect(link, &THyperLink::Clicked, [&] { ++clicks; });
    Press({2, 2});
    Release({2, 2});
    EXPECT_EQ(clicks, 1);
    EXPECT_TRUE(opened.empty());
}

TEST_F(HyperLinkTest, EnterOnTheFocusedLinkOpensIt) {
    Focus();
    QTest::keyClick(link, Qt::Key_Return);
    QTest::keyClick(link, Qt::Key_Enter);
    EXPECT_EQ(opened.size(), 2u);
    QTest::keyClick(link, Qt::Key_Space);
    EXPECT_EQ(opened.size(), 2u);
}

TEST_F(HyperLinkTest, TabToTheLinkShowsTheOverColourAndAFocusFrame) {
    window.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    before->setFocus();
    const QImage unfocused = link->grab().toImage();
    QTest::keyClick(before, Qt::Key_Tab);
    ASSERT_TRUE(link->hasFocus());
    const QImage focused = link->grab().toImage();
    EXPECT_TRUE(link->Over());
    EXPECT_EQ(link->CaptionColor(), kGreen);
    EXPECT_NE(focused, unfocused);
    before->setFocus();
    EXPECT_EQ(link->CaptionColor(), kBlue);
    EXPECT_EQ(link->grab().toImage(), unfocused) << "the focus frame is erased";
}

TEST_F(HyperLinkTest, ColourPropertiesApplyOnlyInTheirState) {
    link->SetNotPressedColor(Qt::darkRed);
    EXPECT_EQ(link->CaptionColor(), QColor(Qt::darkRed));
    link->SetOverColor(Qt::magenta);
    EXPECT_EQ(link->CaptionColor(), QColor(Qt::darkRed)) << "not over: no change";
    Move({2, 2});
    EXPECT_EQ(link->CaptionColor(), QColor(Qt::magenta));
    link->SetOverColor(Qt::cyan);
    EXPECT_EQ(link->CaptionColor(), QColor(Qt::cyan));
    link->SetNotPressedColor(Qt::black);
    EXPECT_EQ(link->CaptionColor(), QColor(Qt::cyan)) << "over: the normal colour waits";
}

TEST_F(HyperLinkTest, FontColourSetFromOutsideBecomesTheNormalColour) {
    link->SetFontColor(Qt::darkGreen);
    EXPECT_EQ(link->NotPressedColor(), QColor(Qt::darkGreen));
    Move({2, 2});
    Leave();
    EXPECT_EQ(link->CaptionColor(), QColor(Qt::darkGreen));
}

TEST_F(HyperLinkTest, CaptionAndFontChangesResizeTheLink) {
    const int shortWidth = link->width();
    link->SetCaption(QStringLiteral("a much longer caption for the same link"));
    EXPECT_GT(link->width(), shortWidth);
    const QFontMetrics fm(link->font());
    EXPECT_EQ(link->width(), fm.horizontalAdvance(link->Caption()) + 1);
    EXPECT_EQ(link->height(), fm.height() + 1);

    QFont italic = link->font();
    italic.setItalic(true);
    link->setFont(italic);
    const QFontMetrics slanted(italic);
    EXPECT_EQ(link->width(), slanted.horizontalAdvance(link->Caption() + ",") + 1);

    link->SetBorderStyle(THyperLink::TBorderStyle::Single);
    EXPECT_GE(link->width(), slanted.horizontalAdvance(link->Caption() + ",") + 4);
}

class HyperLinkStatusTest : public HyperLinkTest {
protected:
    void SetUp() override {
        HyperLinkTest::SetUp();
        bar = new QStatusBar(&window);
        window.layout()->addWidget(bar);
        for (const char* text : {"3 mails", "12 KB"}) {
            panels.push_back(new QLabel(QString::fromLatin1(text), bar));
            bar->addWidget(panels.back());
        }
        link->SetStatusBar(bar);
        link->SetStatusPanelNo(1);
    }
    QStatusBar* bar = nullptr;
    std::vector<QLabel*> panels;
};

TEST_F(HyperLinkStatusTest, FocusShowsTheTargetAndLeavingRestoresThePanel) {
    Focus();
    EXPECT_EQ(panels[1]->text(), link->HREF());
    EXPECT_EQ(panels[0]->text(), QStringLiteral("3 mails"));
    before->setFocus();
    EXPECT_EQ(panels[1]->text(), QStringLiteral("12 KB"));
}

TEST_F(HyperLinkStatusTest, PanelWrittenByOthersMeanwhileIsLeftAlone) {
    Focus();
    panels[1]->setText(QStringLiteral("deleting 2"));
    before->setFocus();
    EXPECT_EQ(panels[1]->text(), QStringLiteral("deleting 2"));
}

TEST_F(HyperLinkStatusTest, HoverShowsTheTargetAndLeavingKeepsIt) {
    Move({2, 2});
    EXPECT_EQ(panels[1]->text(), link->HREF());
    Leave();
    EXPECT_EQ(panels[1]->text(), link->HREF());
}

TEST(HyperLinkTarget, AddressesBecomeUrlsForTheDefaultProgram) {
    struct Row {
        const char* href;
        const char* scheme;
        const char* rest;
    };
    const Row rows[] = {
        {"mailto:info@fenn-labs.example", "mailto", "info@fenn-labs.example"},
        {"https://fenn-labs.example", "https", "fenn-labs.example"},
        {"/tmp/readme.txt", "file", "/tmp/readme.txt"},
    };
    for (const Row& row : rows) {
        const QUrl url = THyperLink::TargetUrl(QString::fromLatin1(row.href));
        EXPECT_EQ(url.scheme(), QLatin1String(row.scheme)) << row.href;
        const QString rest = url.isLocalFile()          ? url.toLocalFile()
                             : url.scheme() == "mailto" ? url.path()
                                                        : url.host();
        EXPECT_EQ(rest, QLatin1String(row.rest)) << row.href;
    }
}

} // namespace
