#include "WindowRules.h"

#include "SettingsStore.h"

#include <QCoreApplication>
#include <QFile>
#include <QStandardPaths>

std::optional<std::string> WindowDataFolder() {
    // The names the window gives itself, so that the folder is the window's.
    QCoreApplication::setOrganizationName(QStringLiteral("Fenn-Labs"));
    QCoreApplication::setApplicationName(QStringLiteral("InboxPruner"));
    return QFile::encodeName(QStandardPaths::writableLocation(QStandardPaths::AppDataLocation))
        .toStdString();
}

bool WindowHeaderTextsAsSent() {
    const TSettingsStore store;
    return store.ReadInteger(QStringLiteral("HeaderTextsAsSent"), 0) != 0;
}
