#include "RelativeTime.h"

using namespace Qt::StringLiterals;

namespace {

struct Unit {
    const char* singular;
    const char* previous; // the named form for one unit back, if any
    const char* next;     // and one unit ahead
};

QString phrase(qint64 count, const Unit& unit) {
    if (count == -1 && unit.previous)
        return QString::fromLatin1(unit.previous);
    if (count == 1 && unit.next)
        return QString::fromLatin1(unit.next);
    const qint64 size = qAbs(count);
    const QString amount = u"%1 %2%3"_s.arg(size).arg(QLatin1StringView(unit.singular),
                                                      size == 1 ? QString() : u"s"_s);
    return count < 0 ? amount + " ago"_L1 : "in "_L1 + amount;
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
    static const Unit second{"second", nullptr, nullptr};
    static const Unit minute{"minute", nullptr, nullptr};
    static const Unit hour{"hour", nullptr, nullptr};
    static const Unit day{"day", "yesterday", "tomorrow"};
    static const Unit week{"week", "last week", "next week"};
    static const Unit month{"month", "last month", "next month"};
    static const Unit year{"year", "last year", "next year"};

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
        return u"now"_s;
    return phrase(seconds, second);
}
