#pragma once

#include <QString>

// The quota meter's lines: "1.51 GB of 2 GB (76 %)" and "after deleting the marked: 0.61 GB
// (31 %)", in the language's number format (MB below a quota of 1 GB); empty without a quota
// (0 or less).
QString QuotaLine(long long usedBytes, double quotaGb, bool germanUI);
QString QuotaAfterLine(long long usedBytes, long long markedBytes, double quotaGb, bool germanUI);
// The share of the quota alone, "76 %"; empty without a quota.
QString QuotaShare(long long usedBytes, double quotaGb);

// Where the settings keep the quota of the account whose data folder is named accountFolder
// (AccountFolderName), in GB; 0 or missing: none.
QString QuotaSettingName(const QString& accountFolder);
