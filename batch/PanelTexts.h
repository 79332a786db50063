#pragma once

#include <QString>
#include <cstdint>
#include <string>

namespace murk {

QString TotalPanelText(int32_t totalCount);
QString ProcessedPanelText(int32_t processedCount);
// " Time: " and the seconds with one decimal, directly followed by "sec".
QString TimePanelText(int64_t elapsedMs);
// Megabytes of 1,000,000 bytes with six decimals, directly followed by "MB".
QString MegabytePanelText(int64_t bytes);
QString FileNamePanelText(const std::string& path);
// 0 to 100; 0 when there is nothing to measure against.
int ProgressPercent(int32_t totalCount, int32_t progressBase);

}  // namespace murk
