#include "QuotaMeter.h"

#include "LanguageTexts.h"
#include "SpaceTexts.h"

#include <QLocale>

#include <algorithm>
#include <cmath>

namespace {

// Decimal units, as the list shows sizes.
constexpr double BytesPerGb = 1e9;

QLocale LocaleOf(bool germanUI) {
    QLocale locale(germanUI ? QLocale::German : QLocale::English);
    locale.setNumberOptions(QLocale::OmitGroupSeparator);
    return locale;
}

int Percent(long long bytes, double quotaGb) {
    return static_cast<int>(
        std::lround(100.0 * static_cast<double>(bytes) / (quotaGb * BytesPerGb)));
}

} // namespace

QString QuotaLine(long long usedBytes, double quotaGb, bool germanUI) {
    if (quotaGb <= 0)
        return {};
    const QLocale locale = LocaleOf(germanUI);
    return Tr(SpaceTexts::Meter, germanUI)
        .arg(locale.toString(static_cast<double>(usedBytes) / BytesPerGb, 'f', 2))
        .arg(locale.toString(quotaGb, 'g', 6))
        .arg(Percent(usedBytes, quotaGb));
}

QString QuotaAfterLine(long long usedBytes, long long markedBytes, double quotaGb, bool germanUI) {
    if (quotaGb <= 0)
        return {};
    const long long after = std::max(0LL, usedBytes - markedBytes);
    return Tr(SpaceTexts::MeterAfter, germanUI)
        .arg(LocaleOf(germanUI).toString(static_cast<double>(after) / BytesPerGb, 'f', 2))
        .arg(Percent(after, quotaGb));
}
