#pragma once

#include <QString>

#include <optional>

class QComboBox;

// How the user signs in: with the password, or at an OAuth2 provider in the browser.
enum class TSignIn { Password, OAuth2 };

// "password", "oauth2": the names in the settings file.
QString SignInName(TSignIn signIn);
std::optional<TSignIn> SignInFromName(const QString& name);

// The login row's choice; its items carry their kind, so the texts follow the language.
void FillSignInChoice(QComboBox& choice, bool germanUI);
TSignIn ChosenSignIn(const QComboBox& choice);
void ChooseSignIn(QComboBox& choice, TSignIn signIn);
