#include "SecurityChoice.h"

#include "SecurityTexts.h"
#include "ValueChoice.h"

namespace {

constexpr TSecurity Modes[] = {TSecurity::Auto, TSecurity::Tls, TSecurity::StartTls,
                               TSecurity::None};

} // namespace

void FillSecurityChoice(QComboBox& choice, bool germanUI) {
    FillValueChoice(choice, Modes, Texts::SecurityChoices, germanUI);
}

TSecurity ChosenSecurity(const QComboBox& choice) {
    return ChosenValue(choice, TSecurity::Auto);
}

void ChooseSecurity(QComboBox& choice, TSecurity security) {
    ChooseValue(choice, security);
}
