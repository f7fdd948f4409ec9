// Pictures of the space view over a small mailbox, grouped by domain with a group marked, in
// both languages.
#include "AppFixture.h"

#include "SpaceDialog.h"
#include "SpaceView.h"

#include <QComboBox>
#include <QCoreApplication>
#include <QDoubleSpinBox>
#include <QPushButton>
#include <QTest>
#include <QTreeWidget>

namespace {

std::string Sized(const std::string& from, const std::string& subject, const std::string& date,
                  std::size_t lines) {
    std::string body;
    for (std::size_t k = 0; k < lines; ++k)
        body += std::string(70, 'x') + "\r\n";
    return Mail(from, subject, date, body);
}

} // namespace

TEST_F(AppTest, ScreenshotsOfTheSpaceView) {
    SKIP_WITHOUT_DOVECOT();
    const char* const senders[] = {"Shop <deals@mail.shop.example.co.uk>",
                                   "Shop news <news@news.shop.example.co.uk>",
                                   "Mum <mum@family.example>",
                                   "Dad <dad@family.example>",
                                   "Club <board@club.example.org>",
                                   "Alice Example <alice@example.org>",
                                   "Travel <offers@travel.example.net>",
                                   "Bank <statements@bank.example>"};
    const std::size_t lines[] = {900, 500, 2600, 700, 300, 150, 1200, 400};
    std::vector<std::string> mails;
    for (int round = 0; round < 4; ++round)
        for (std::size_t k = 0; k < std::size(senders); ++k)
            mails.push_back(Sized(senders[k], "Mail " + std::to_string(round),
                                  "Mon, " + std::to_string(1 + round * 7) + " May 202" +
                                      std::to_string(2 + (k + round) % 4) + " 10:00:00 +0200",
                                  lines[k] * static_cast<std::size_t>(1 + round % 2)));
    DovecotServer server("demo", "demo", mails);
    for (const bool german : {true, false}) {
        TForm1& f = Open({german ? QStringLiteral("de-DE") : QStringLiteral("en-US")});
        FillLogin(server.port(), "demo", "demo");
        f.BtnConnectClick();
        ASSERT_EQ(Rows().size(), static_cast<int>(mails.size()));
        TSpaceView& space = f.Part<TSpaceView>();
        space.Open();
        TSpaceDialog* dialog = space.Dialog();
        ASSERT_TRUE(dialog);
        dialog->GroupBy->setCurrentIndex(1);
        dialog->Quota->setValue(0.01);
        QTreeWidgetItem* largest = dialog->Table->topLevelItem(0);
        ASSERT_TRUE(largest);
        largest->setExpanded(true);
        dialog->Table->clearSelection();
        largest->setSelected(true);
        dialog->BtnMark->click();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(dialog));
        QCoreApplication::processEvents();
        SaveScreenshot(dialog,
                       german ? QStringLiteral("space-view-de") : QStringLiteral("space-view-en"));
        dialog->close();
    }
}
