#include "UiLanguage.h"

#include <cstdlib>
#include <strings.h>

bool IsGermanLanguageTag(std::string_view tag) {
    std::string normal(tag);
    for (char& c : normal)
        if (c == '_')
            c = '-';
    for (const char* german : {"de-DE", "de-CH", "de"}) {
        if (::strcasecmp(normal.c_str(), german) == 0)
            return true;
    }
    return false;
}

std::string FirstUiLanguage(const std::function<const char*(const char*)>& variable) {
    std::string name;
    const char* languages = variable("LANGUAGE");
    if (languages && *languages) {
        const std::string_view list(languages);
        name = list.substr(0, list.find(':'));
    }
    for (const char* locale : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
        if (!name.empty())
            break;
        if (const char* value = variable(locale))
            name = value;
    }
    return name.substr(0, name.find_first_of(".@"));
}

bool GermanUiFromEnvironment() {
    return IsGermanLanguageTag(FirstUiLanguage());
}
