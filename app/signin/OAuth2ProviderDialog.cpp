#include "OAuth2ProviderDialog.h"

#include "SignInTexts.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QUrl>

namespace {

// The browser and the token request go to these addresses: https only, except a provider on
// this machine.
bool UsableEndpoint(const QString& text) {
    const QUrl url(text, QUrl::StrictMode);
    if (!url.isValid() || url.host().isEmpty())
        return false;
    if (url.scheme() == QLatin1String("https"))
        return true;
    const QString host = url.host();
    return url.scheme() == QLatin1String("http") &&
           (host == QLatin1String("127.0.0.1") || host == QLatin1String("localhost") ||
            host == QLatin1String("::1"));
}

} // namespace

TOAuth2ProviderDialog::TOAuth2ProviderDialog(QWidget* parent, const QString& host,
                                             const TOAuth2Provider& current, bool germanUI)
    : QDialog(parent), germanUI_(germanUI) {
    setObjectName(QStringLiteral("OAuth2ProviderDialog"));
    setWindowTitle(Tr(Texts::ProviderTitle, germanUI).arg(host));
    auto* form = new QFormLayout(this);
    const std::array<QString, 5> values{current.AuthorizeUrl, current.TokenUrl, current.ClientId,
                                        current.ClientSecret, current.Scopes};
    for (std::size_t i = 0; i < Fields.size(); ++i) {
        Fields[i] = new QLineEdit(values[i], this);
        Fields[i]->setMinimumWidth(360);
        auto* label = new QLabel(Tr(Texts::ProviderFields[i], germanUI), this);
        label->setTextFormat(Qt::PlainText);
        form->addRow(label, Fields[i]);
    }
    Problem = new QLabel(this);
    Problem->setTextFormat(Qt::PlainText);
    Problem->setWordWrap(true);
    QPalette red = Problem->palette();
    red.setColor(QPalette::WindowText, QColor(176, 0, 0));
    Problem->setPalette(red);
    Problem->hide();
    form->addRow(Problem);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    form->addRow(buttons);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
}

TOAuth2Provider TOAuth2ProviderDialog::Provider() const {
    return {Fields[0]->text().trimmed(), Fields[1]->text().trimmed(), Fields[2]->text().trimmed(),
            Fields[3]->text().trimmed(), Fields[4]->text().simplified()};
}

void TOAuth2ProviderDialog::accept() {
    const TOAuth2Provider entered = Provider();
    // The first field that a sign-in could not use, with what is wrong with it.
    int bad = -1;
    QString problem;
    if (!UsableEndpoint(entered.AuthorizeUrl) || !UsableEndpoint(entered.TokenUrl)) {
        bad = UsableEndpoint(entered.AuthorizeUrl) ? 1 : 0;
        problem = Tr(Texts::ProviderBadUrl, germanUI_)
                      .arg(Tr(Texts::ProviderFields[bad], germanUI_).chopped(1));
    } else if (entered.ClientId.isEmpty()) {
        bad = 2;
        problem = Tr(Texts::ProviderNoClientId, germanUI_);
    }
    if (bad < 0) {
        QDialog::accept();
        return;
    }
    Problem->setText(problem);
    Problem->show();
    // A top-level window does not grow for a wrapped label by itself.
    layout()->activate();
    const int needed = layout()->totalHeightForWidth(width());
    if (height() < needed)
        resize(width(), needed);
    Fields[static_cast<std::size_t>(bad)]->setFocus();
}
