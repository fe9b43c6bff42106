#include "conversion/rules/RunNotice.h"

#include "joblist/rules/JobSummary.h"

bool shouldNotifyRunEnd(bool windowActive, qint64 runMs) {
    return !windowActive && runMs > NoticeAfterMs;
}

RunNotice runEndNotice(int converted, int failed, const QLocale& locale) {
    return {QStringLiteral("Corvane"),
            QStringLiteral("%1 converted, %2 failed")
                .arg(groupedNumber(converted, locale), groupedNumber(failed, locale))};
}
