#include "WindowScorer.h"

#include <QFile>
#include <QString>

#include "AccountFile.h"
#include "Messages.h"
#include "SettingsStore.h"
#include "SpamSetting.h"
#include "WindowRules.h"

std::optional<TWindowScorerError> TakeWindowScorer(TScoreOptions& o, bool german) {
    const TSettingsStore store;
    if (store.LoadFailed())
        return TWindowScorerError{Pick(mbxpop_texts::WindowSettingsDamaged, german) +
                                      store.FileName().toStdString() +
                                      Pick(mbxpop_texts::WindowSettingsDamagedEnd, german),
                                  false};
    const TSpamSetting setting = ReadSpamSetting(store);
    if (!setting.On())
        return TWindowScorerError{kNoScorerError, true};
    if (!o.PlaceOption.empty() && o.PlaceOption != ScorerPlaceOption(*setting.Kind))
        return TWindowScorerError{o.PlaceOption + " does not go with the window's scorer " +
                                      ScorerProgramName(*setting.Kind),
                                  true};
    const TScorerConfig config = setting.Config();
    o.Kind = setting.Kind;
    if (o.PlaceOption.empty())
        o.Place = setting.Place.toStdString();
    o.Program = config.Program;
    o.Timeout = config.Timeout;
    if (!o.BodyLines)
        o.BodyLines = static_cast<uint32_t>(setting.BodyLines);
    return std::nullopt;
}

std::optional<std::string> WindowScoreMemoryFile(const std::string& user, const std::string& host,
                                                 int port) {
    const std::optional<std::string> folder = WindowDataFolder();
    if (!folder)
        return std::nullopt;
    // The window holds the name as Latin-1 text (FromBytes) and stores it in the file system's
    // encoding: an 8-bit user name is the same file for both only so.
    return *folder + "/Scores/" +
           QFile::encodeName(QString::fromLatin1(AccountFileName(user, host, port))).toStdString();
}
