#include "app/shell/RecentEventLine.h"

#include <QDateTime>
#include <QLocale>

namespace veyrune {

QString recentEventLine(const SecurityEvent& event) {
    const auto millis =
        std::chrono::duration_cast<std::chrono::milliseconds>(event.occurredAt.time_since_epoch())
            .count();
    const QTime time = QDateTime::fromMSecsSinceEpoch(millis).time();
    return QString::fromStdString(event.summary) + QStringLiteral(" \u2014 ") +
           QLocale().toString(time, QLocale::ShortFormat);
}

}  // namespace veyrune
