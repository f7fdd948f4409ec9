// Windows that fit: every caption whole in both languages, every window on the screen. Run
// once more at scale factor 2 on a 1280 x 800 screen (see CMakeLists.txt).
#include "AppFixture.h"
#include "E2eSupport.h"

#include "Accounts.h"
#include "AccountsWindow.h"

#include <QCheckBox>
#include <QGuiApplication>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QToolButton>

namespace {

// Controls whose caption is cut show less than their size hint asks for.
void ExpectWhole(const QWidget* control, const QString& caption) {
    EXPECT_LE(control->sizeHint().width(), control->width())
        << control->objectName().toStdString() << " '" << caption.toStdString() << "'";
}

void ExpectCaptionsWhole(const QWidget* window) {
    for (const QToolButton* button : window->findChildren<QToolButton*>())
        if (!button->text().isEmpty())
            ExpectWhole(button, button->text());
    for (const QLabel* label : window->findChildren<QLabel*>()) {
        if (label->text().isEmpty() || label->wordWrap() || label->objectName().startsWith("Panel"))
            continue;
        ExpectWhole(label, label->text());
        // Not touching the window's edge either.
        EXPECT_LT(label->mapTo(window, QPoint(label->sizeHint().width(), 0)).x(),
                  window->width() - 2)
            << label->objectName().toStdString();
    }
    for (const QCheckBox* box : window->findChildren<QCheckBox*>())
        ExpectWhole(box, box->text());
    // A push button's size hint has a floor of its own; its text must fit inside the frame.
    for (const QPushButton* button : window->findChildren<QPushButton*>())
        EXPECT_LE(button->fontMetrics().horizontalAdvance(button->text()) + 8, button->width())
            << button->objectName().toStdString();
}

TEST_F(AppTest, CaptionsFitTheirControlsInBothLanguages) {
    for (const char* language : {"de-DE", "en-US"}) {
        SCOPED_TRACE(language);
        TForm1& f = Open({language});
        ExpectCaptionsWhole(&f);
        if (f.GermanUI())
            SaveScreenshot(f.Tools.Panel1, "toolbar-de");
        auto& accounts = f.Part<TAccounts>();
        accounts.Show();
        ExpectCaptionsWhole(accounts.Window.get());
        accounts.Window->hide();
        // The viewers set their captions when they are shown.
        for (QDialog* viewer :
             {static_cast<QDialog*>(headerWindow), static_cast<QDialog*>(messageWindow)}) {
            auto shown = WhenShown(viewer, [viewer] {
                ExpectCaptionsWhole(viewer);
                viewer->reject();
            });
            viewer->exec();
            EXPECT_TRUE(*shown);
        }
    }
}

// Each window wholly on the screen, the viewers over the main window, all resizable.
TEST_F(AppTest, WindowsFitTheScreen) {
    TForm1& f = Open({"de-DE"});
    const QRect screen = f.screen()->availableGeometry();
    SCOPED_TRACE(QStringLiteral("screen %1x%2, scale %3")
                     .arg(screen.width())
                     .arg(screen.height())
                     .arg(f.devicePixelRatio())
                     .toStdString());
    // The main window keeps its place while it fits the screen at all, else it is fitted.
    EXPECT_LE(f.frameGeometry().width(), screen.width());
    EXPECT_LE(f.frameGeometry().height(), screen.height());
    EXPECT_TRUE(screen.contains(f.frameGeometry().topLeft())) << "main window";
    // Smaller than at the start: as narrow as its controls allow, and much lower.
    EXPECT_LE(f.minimumWidth(), f.Tools.Panel1->childrenRect().right() + 5);
    EXPECT_LT(f.minimumHeight(), 452);
    for (QDialog* viewer :
         {static_cast<QDialog*>(headerWindow), static_cast<QDialog*>(messageWindow)}) {
        SCOPED_TRACE(viewer->objectName().toStdString());
        auto shown = WhenShown(viewer, [&] {
            EXPECT_TRUE(screen.contains(viewer->frameGeometry()));
            EXPECT_LT(viewer->minimumSize().width(), viewer->maximumSize().width());
            EXPECT_LT(viewer->minimumSize().height(), viewer->maximumSize().height());
            QWidget* close = viewer->findChild<QWidget*>("btn_close");
            const QRect button(close->mapToGlobal(QPoint(0, 0)), close->size());
            EXPECT_TRUE(screen.contains(button)) << "its close button can be reached";
            EXPECT_TRUE(viewer->rect().contains(close->geometry()));
            // Over the main window unless the screen's edge is in the way.
            const QPoint offset = viewer->frameGeometry().center() - f.frameGeometry().center();
            if (viewer->frameGeometry().width() < screen.width() &&
                viewer->frameGeometry().height() < screen.height()) {
                EXPECT_LE(offset.manhattanLength(), 4 + f.frameGeometry().height() / 2);
            }
            viewer->reject();
        });
        viewer->exec();
        EXPECT_TRUE(*shown);
    }
}

} // namespace
