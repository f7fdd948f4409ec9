#include "SignInChoice.h"

#include "SignInTexts.h"

#include <QComboBox>

namespace {

constexpr TSignIn Kinds[] = {TSignIn::Password, TSignIn::OAuth2};
static_assert(std::size(Kinds) == std::size(Texts::SignInChoices));
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
    const TSignIn chosen = choice.count() > 0 ? ChosenSignIn(choice) : TSignIn::Password;
    choice.clear();
    for (std::size_t i = 0; i < std::size(Kinds); ++i)
        choice.addItem(Tr(Texts::SignInChoices[i], germanUI), static_cast<int>(Kinds[i]));
    ChooseSignIn(choice, chosen);
}

TSignIn ChosenSignIn(const QComboBox& choice) {
    const QVariant kind = choice.currentData();
    return kind.isValid() ? static_cast<TSignIn>(kind.toInt()) : TSignIn::Password;
}

void ChooseSignIn(QComboBox& choice, TSignIn signIn) {
    choice.setCurrentIndex(choice.findData(static_cast<int>(signIn)));
}
