#include "QuotaMeter.h"

#include "LanguageTexts.h"
#include "SpaceTexts.h"

#include <QLocale>

#include <algorithm>
#include <cmath>

namespace {

// Decimal units, as the list shows sizes.
constexpr double BytesPerGb = 1e9;
constexpr double BytesPerMb = 1e6;

QLocale LocaleOf(bool germanUI) {
    QLocale locale(germanUI ? QLocale::German : QLocale::English);
    locale.setNumberOptions(QLocale::OmitGroupSeparator);
    return locale;
}

int Percent(long long bytes, double quotaGb) {
    return static_cast<int>(
        std::lround(100.0 * static_cast<double>(bytes) / (quotaGb * BytesPerGb)));
}

// An amount in the quota's unit: GB with two decimals, or below a quota of 1 GB, MB with one
// ("0.00 GB" would say nothing of a small mailbox).
QString Amount(long long bytes, double quotaGb, bool germanUI) {
    const QLocale locale = LocaleOf(germanUI);
    const double value = static_cast<double>(bytes);
    return quotaGb >= 1 ? locale.toString(value / BytesPerGb, 'f', 2) + QStringLiteral(" GB")
                        : locale.toString(value / BytesPerMb, 'f', 1) + QStringLiteral(" MB");
}

QString QuotaAmount(double quotaGb, bool germanUI) {
    const QLocale locale = LocaleOf(germanUI);
    return quotaGb >= 1 ? locale.toString(quotaGb, 'g', 6) + QStringLiteral(" GB")
                        : locale.toString(quotaGb * 1000, 'g', 6) + QStringLiteral(" MB");
}

} // namespace

QString QuotaLine(long long usedBytes, double quotaGb, bool germanUI) {
    if (quotaGb <= 0)
        return {};
    return Tr(SpaceTexts::Meter, germanUI)
        .arg(Amount(usedBytes, quotaGb, germanUI), QuotaAmount(quotaGb, germanUI))
        .arg(Percent(usedBytes, quotaGb));
}

QString QuotaShare(long long usedBytes, double quotaGb) {
    if (quotaGb <= 0)
        return {};
    return QStringLiteral("%1 %").arg(Percent(usedBytes, quotaGb));
}

QString QuotaSettingName(const QString& accountFolder) {
    return QStringLiteral("SpaceQuota ") + accountFolder;
}

QString QuotaAfterLine(long long usedBytes, long long markedBytes, double quotaGb, bool germanUI) {
    if (quotaGb <= 0)
        return {};
    const long long after = std::max(0LL, usedBytes - markedBytes);
    return Tr(SpaceTexts::MeterAfter, germanUI)
        .arg(Amount(after, quotaGb, germanUI))
        .arg(Percent(after, quotaGb));
}
