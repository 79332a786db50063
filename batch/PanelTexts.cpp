#include "PanelTexts.h"

#include <QFile>
#include <algorithm>
#include <cmath>

#include "FileSystem.h"

namespace murk {

QString TotalPanelText(int32_t totalCount) {
    return QStringLiteral(" Total: ") + QString::number(totalCount);
}

QString ProcessedPanelText(int32_t processedCount) {
    return QStringLiteral(" Processed: ") + QString::number(processedCount);
}

QString TimePanelText(int64_t elapsedMs) {
    return QStringLiteral(" Time: ") + QString::asprintf("%3.1f", double(elapsedMs) / 1000) +
           QStringLiteral("sec");
}

QString MegabytePanelText(int64_t bytes) {
    return QString::asprintf("%3.6f", double(bytes) / 1000000) + QStringLiteral("MB");
}

QString FileNamePanelText(const std::string& path) {
    return QStringLiteral(" FileName: ") +
           QFile::decodeName(QByteArray::fromStdString(BaseName(path)));
}

int ProgressPercent(int32_t totalCount, int32_t progressBase) {
    if (progressBase <= 0) {
        return 0;
    }
    const double percent = std::round(double(totalCount) * 100 / progressBase);
    return int(std::clamp(percent, 0.0, 100.0));
}

}  // namespace murk
