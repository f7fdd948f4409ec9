#pragma once

// The interface language: German when the user's first UI language is German of Germany or
// Switzerland, English otherwise. The window asks Qt for the languages, the tools the
// environment; both decide by the same rule.

#include <cstdlib>
#include <functional>
#include <string>
#include <string_view>

// True for "de", "de-DE" and "de-CH" ('_' for '-', any letter case); false for every other
// tag, "de-AT" and other German variants included.
bool IsGermanLanguageTag(std::string_view tag);

// The first UI language as the environment names it: the first entry of LANGUAGE, else LC_ALL,
// LC_MESSAGES or LANG, whichever is set first; without codeset and modifier ("de_DE.UTF-8@euro"
// gives "de_DE"). Empty when none is set.
std::string FirstUiLanguage(const std::function<const char*(const char*)>& variable = ::getenv);

// IsGermanLanguageTag of FirstUiLanguage: the tools' language.
bool GermanUiFromEnvironment();
