#include "SignInChoice.h"

#include "SignInTexts.h"
#include "ValueChoice.h"

namespace {

constexpr TSignIn Kinds[] = {TSignIn::Password, TSignIn::OAuth2};
constexpr const char* Names[] = {"password", "oauth2"};

} // namespace

QString SignInName(TSignIn signIn) {
    return QLatin1String(Names[static_cast<int>(signIn)]);
}

std::optional<TSignIn> SignInFromName(const QString& name) {
    for (TSignIn kind : Kinds) {
        if (name.compare(SignInName(kind), Qt::CaseInsensitive) == 0)
            return kind;
    }
    return std::nullopt;
}

void FillSignInChoice(QComboBox& choice, bool germanUI) {
    FillValueChoice(choice, Kinds, Texts::SignInChoices, germanUI);
}

TSignIn ChosenSignIn(const QComboBox& choice) {
    return ChosenValue(choice, TSignIn::Password);
}

void ChooseSignIn(QComboBox& choice, TSignIn signIn) {
    ChooseValue(choice, signIn);
}
