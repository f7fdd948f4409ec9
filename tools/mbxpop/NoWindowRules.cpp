// mbxpop built without Qt (INBOX_GUI=OFF) does not know the window's data folder.
#include "WindowRules.h"

std::optional<std::string> WindowDataFolder() {
    return std::nullopt;
}

bool WindowHeaderTextsAsSent() {
    return false;
}
