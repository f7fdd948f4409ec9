#pragma once

#include "ScorerConfig.h"

#include <QString>

#include <optional>

class TSettingsStore;

// The window's spam scorer as the user set it, kept in the settings file. Off by default.
struct TSpamSetting {
    std::optional<TScorerKind> Kind; // nullopt: off
    // spamd's or rspamd's HOST:PORT (or spamd's socket), or bogofilter's word list folder;
    // empty: the scorer's own default.
    QString Place;
    QString Program; // the client program; empty: from PATH
    int BodyLines = 0;
    int TimeoutSeconds = 10;

    bool On() const { return Kind.has_value(); }
    TScorerConfig Config() const;
    bool operator==(const TSpamSetting&) const = default;
};

// Values out of range read as their default; an unknown scorer name reads as off.
TSpamSetting ReadSpamSetting(const TSettingsStore& store);
void WriteSpamSetting(TSettingsStore& store, const TSpamSetting& setting);
