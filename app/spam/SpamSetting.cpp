#include "SpamSetting.h"

#include "SettingsStore.h"

#include <algorithm>

namespace {

const QString KindKey = QStringLiteral("SpamScorer");
const QString PlaceKey = QStringLiteral("SpamScorerPlace");
const QString ProgramKey = QStringLiteral("SpamScorerProgram");
const QString BodyLinesKey = QStringLiteral("SpamScorerBodyLines");
const QString TimeoutKey = QStringLiteral("SpamScorerTimeout");

} // namespace

TScorerConfig TSpamSetting::Config() const {
    TScorerConfig config;
    config.Kind = Kind.value_or(TScorerKind::SpamAssassin);
    config.Program = Program.toStdString();
    (config.Kind == TScorerKind::Bogofilter ? config.WordListDir : config.Address) =
        Place.toStdString();
    config.Timeout = std::chrono::seconds(TimeoutSeconds);
    return config;
}

TSpamSetting ReadSpamSetting(const TSettingsStore& store) {
    TSpamSetting setting;
    setting.Kind = ScorerKindFromName(store.ReadString(KindKey).toStdString());
    setting.Place = store.ReadString(PlaceKey);
    setting.Program = store.ReadString(ProgramKey);
    setting.BodyLines = std::max(0, store.ReadInteger(BodyLinesKey, 0));
    const int timeout = store.ReadInteger(TimeoutKey, setting.TimeoutSeconds);
    if (timeout >= 1)
        setting.TimeoutSeconds = timeout;
    return setting;
}

void WriteSpamSetting(TSettingsStore& store, const TSpamSetting& setting) {
    store.WriteString(KindKey,
                      setting.Kind ? QString::fromLatin1(ScorerProgramName(*setting.Kind)) : "");
    store.WriteString(PlaceKey, setting.Place);
    store.WriteString(ProgramKey, setting.Program);
    store.WriteInteger(BodyLinesKey, setting.BodyLines);
    store.WriteInteger(TimeoutKey, setting.TimeoutSeconds);
}
