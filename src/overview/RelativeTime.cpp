#include "RelativeTime.h"

#include <QCoreApplication>

#include <climits>

using namespace Qt::StringLiterals;

namespace {

// The texts for one unit of time, one and many of it, back and ahead. For
// days and longer, one back or ahead has a name of its own.
struct Unit {
    const char* oneAgo;
    const char* manyAgo;
    const char* inOne;
    const char* inMany;
};

QString phrase(qint64 count, const Unit& unit) {
    const qint64 size = qAbs(count);
    const char* text = count < 0 ? (size == 1 ? unit.oneAgo : unit.manyAgo)
                                 : (size == 1 ? unit.inOne : unit.inMany);
    return QCoreApplication::translate("RelativeTime", text, nullptr,
                                       int(qMin<qint64>(size, INT_MAX)));
}

// Whole calendar months from `from` to `to` (negative when `to` is earlier).
qint64 calendarMonths(const QDate& from, const QDate& to) {
    qint64 months = (to.year() - from.year()) * 12LL + (to.month() - from.month());
    if (months > 0 && to.day() < from.day())
        --months;
    else if (months < 0 && to.day() > from.day())
        ++months;
    return months;
}

} // namespace

QString RelativeTime::describe(const QDateTime& time, const QDateTime& now) {
    static const Unit second{QT_TRANSLATE_NOOP("RelativeTime", "1 second ago"),
                             QT_TRANSLATE_N_NOOP("RelativeTime", "%n seconds ago"),
                             QT_TRANSLATE_NOOP("RelativeTime", "in 1 second"),
                             QT_TRANSLATE_N_NOOP("RelativeTime", "in %n seconds")};
    static const Unit minute{QT_TRANSLATE_NOOP("RelativeTime", "1 minute ago"),
                             QT_TRANSLATE_N_NOOP("RelativeTime", "%n minutes ago"),
                             QT_TRANSLATE_NOOP("RelativeTime", "in 1 minute"),
                             QT_TRANSLATE_N_NOOP("RelativeTime", "in %n minutes")};
    static const Unit hour{QT_TRANSLATE_NOOP("RelativeTime", "1 hour ago"),
                           QT_TRANSLATE_N_NOOP("RelativeTime", "%n hours ago"),
                           QT_TRANSLATE_NOOP("RelativeTime", "in 1 hour"),
                           QT_TRANSLATE_N_NOOP("RelativeTime", "in %n hours")};
    static const Unit day{QT_TRANSLATE_NOOP("RelativeTime", "yesterday"),
                          QT_TRANSLATE_N_NOOP("RelativeTime", "%n days ago"),
                          QT_TRANSLATE_NOOP("RelativeTime", "tomorrow"),
                          QT_TRANSLATE_N_NOOP("RelativeTime", "in %n days")};
    static const Unit week{QT_TRANSLATE_NOOP("RelativeTime", "last week"),
                           QT_TRANSLATE_N_NOOP("RelativeTime", "%n weeks ago"),
                           QT_TRANSLATE_NOOP("RelativeTime", "next week"),
                           QT_TRANSLATE_N_NOOP("RelativeTime", "in %n weeks")};
    static const Unit month{QT_TRANSLATE_NOOP("RelativeTime", "last month"),
                            QT_TRANSLATE_N_NOOP("RelativeTime", "%n months ago"),
                            QT_TRANSLATE_NOOP("RelativeTime", "next month"),
                            QT_TRANSLATE_N_NOOP("RelativeTime", "in %n months")};
    static const Unit year{QT_TRANSLATE_NOOP("RelativeTime", "last year"),
                           QT_TRANSLATE_N_NOOP("RelativeTime", "%n years ago"),
                           QT_TRANSLATE_NOOP("RelativeTime", "next year"),
                           QT_TRANSLATE_N_NOOP("RelativeTime", "in %n years")};

    const qint64 seconds = now.secsTo(time);
    const QDate today = now.toLocalTime().date();
    const QDate date = time.toLocalTime().date();
    const qint64 days = today.daysTo(date);
    const qint64 months = calendarMonths(today, date);
    if (qAbs(months) >= 12)
        return phrase(months / 12, year);
    if (months != 0)
        return phrase(months, month);
    if (qAbs(days) >= 7)
        return phrase(days / 7, week);
    if (days != 0)
        return phrase(days, day);
    if (qAbs(seconds) >= 3600)
        return phrase(seconds / 3600, hour);
    if (qAbs(seconds) >= 60)
        return phrase(seconds / 60, minute);
    if (seconds == 0)
        return QCoreApplication::translate("RelativeTime", "now");
    return phrase(seconds, second);
}
