#include "WindowScorer.h"

#include "Messages.h"
#include "SettingsStore.h"
#include "SpamSetting.h"

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
