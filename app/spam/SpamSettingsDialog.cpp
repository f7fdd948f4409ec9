#include "SpamSettingsDialog.h"

#include "LanguageTexts.h"
#include "SpamTexts.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QSpinBox>

namespace {

// The scorer choice's items in order; item 0 is off.
constexpr TScorerKind Kinds[] = {TScorerKind::SpamAssassin, TScorerKind::Rspamd,
                                 TScorerKind::Bogofilter};

const TText& PlaceLabel(TScorerKind kind) {
    switch (kind) {
    case TScorerKind::Rspamd:
        return SpamTexts::RspamdPlace;
    case TScorerKind::Bogofilter:
        return SpamTexts::WordListPlace;
    case TScorerKind::SpamAssassin:
        break;
    }
    return SpamTexts::SpamdPlace;
}

} // namespace

TSpamSettingsDialog::TSpamSettingsDialog(QWidget* parent, const TSpamSetting& current,
                                         bool germanUI)
    : QDialog(parent), germanUI_(germanUI) {
    setObjectName(QStringLiteral("SpamSettingsDialog"));
    setWindowTitle(Tr(SpamTexts::Title, germanUI));
    form_ = new QFormLayout(this);

    Scorer = new QComboBox(this);
    for (const TText* item :
         {&SpamTexts::Off, &SpamTexts::SpamAssassin, &SpamTexts::Rspamd, &SpamTexts::Bogofilter})
        Scorer->addItem(Tr(*item, germanUI));
    for (int i = 0; current.Kind && i < 3; ++i)
        if (Kinds[i] == *current.Kind)
            Scorer->setCurrentIndex(i + 1);
    form_->addRow(Tr(SpamTexts::ScorerLabel, germanUI), Scorer);

    Place = new QLineEdit(current.Place, this);
    Place->setMinimumWidth(280);
    form_->addRow(Tr(SpamTexts::SpamdPlace, germanUI), Place);
    Program = new QLineEdit(current.Program, this);
    form_->addRow(Tr(SpamTexts::ProgramLabel, germanUI), Program);
    BodyLines = new QSpinBox(this);
    BodyLines->setRange(0, 1000);
    BodyLines->setValue(current.BodyLines);
    form_->addRow(Tr(SpamTexts::BodyLinesLabel, germanUI), BodyLines);
    Timeout = new QSpinBox(this);
    Timeout->setRange(1, 600);
    Timeout->setValue(current.TimeoutSeconds);
    form_->addRow(Tr(SpamTexts::TimeoutLabel, germanUI), Timeout);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    form_->addRow(buttons);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(Scorer, &QComboBox::currentIndexChanged, this, &TSpamSettingsDialog::ScorerChosen);
    ScorerChosen();
}

void TSpamSettingsDialog::ScorerChosen() {
    const int chosen = Scorer->currentIndex();
    if (chosen >= 1)
        if (auto* label = qobject_cast<QLabel*>(form_->labelForField(Place)))
            label->setText(Tr(PlaceLabel(Kinds[chosen - 1]), germanUI_));
    for (QWidget* field : {static_cast<QWidget*>(Place), static_cast<QWidget*>(Program),
                           static_cast<QWidget*>(BodyLines), static_cast<QWidget*>(Timeout)})
        field->setEnabled(chosen >= 1);
}

TSpamSetting TSpamSettingsDialog::Setting() const {
    TSpamSetting setting;
    const int chosen = Scorer->currentIndex();
    if (chosen >= 1)
        setting.Kind = Kinds[chosen - 1];
    setting.Place = Place->text().trimmed();
    setting.Program = Program->text().trimmed();
    setting.BodyLines = BodyLines->value();
    setting.TimeoutSeconds = Timeout->value();
    return setting;
}
