#include "SecurityChoice.h"

#include "SecurityTexts.h"

#include <QComboBox>

namespace {

constexpr TSecurity Modes[] = {TSecurity::Auto, TSecurity::Tls, TSecurity::StartTls,
                               TSecurity::None};
static_assert(std::size(Modes) == std::size(Texts::SecurityChoices));

} // namespace

void FillSecurityChoice(QComboBox& choice, bool germanUI) {
    const TSecurity chosen = choice.count() > 0 ? ChosenSecurity(choice) : TSecurity::Auto;
    choice.clear();
    for (std::size_t i = 0; i < std::size(Modes); ++i)
        choice.addItem(Tr(Texts::SecurityChoices[i], germanUI), static_cast<int>(Modes[i]));
    ChooseSecurity(choice, chosen);
}

TSecurity ChosenSecurity(const QComboBox& choice) {
    const QVariant mode = choice.currentData();
    return mode.isValid() ? static_cast<TSecurity>(mode.toInt()) : TSecurity::Auto;
}

void ChooseSecurity(QComboBox& choice, TSecurity security) {
    choice.setCurrentIndex(choice.findData(static_cast<int>(security)));
}
