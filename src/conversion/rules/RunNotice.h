#pragma once

#include <QLocale>
#include <QString>

// A run this long that ends while Corvane is behind other windows is worth a
// desktop notification.
constexpr qint64 NoticeAfterMs = 10000;

// Whether a run's end gets a desktop notification: it lasted more than
// NoticeAfterMs and none of Corvane's windows is active.
bool shouldNotifyRunEnd(bool windowActive, qint64 runMs);

struct RunNotice {
    QString title; // "Corvane"
    QString body;  // "2,950 converted, 40 failed"
};

RunNotice runEndNotice(int converted, int failed, const QLocale& locale);
