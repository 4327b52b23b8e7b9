#pragma once

#include <QDateTime>
#include <QString>

// A capture time written relative to now, in English, with named forms where
// English has them ("now", "yesterday", "last week") and whole unit names
// ("2 minutes ago", "in 3 hours"). The largest unit that has changed wins,
// days, weeks, months and years counted on the calendar.
class RelativeTime {
public:
    RelativeTime() = delete;

    static QString describe(const QDateTime& time, const QDateTime& now);
};
