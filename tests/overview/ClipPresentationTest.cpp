#include "overview/ClipPresentation.h"

#include "overview/RelativeTime.h"

#include <QTest>

using namespace Qt::StringLiterals;

class ClipPresentationTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void relativeTimes_data();
    void relativeTimes();
    void kindLabelsAndLines();
};

void ClipPresentationTest::relativeTimes_data() {
    QTest::addColumn<QDateTime>("time");
    QTest::addColumn<QString>("text");
    const QDateTime now(QDate(2026, 12, 7), QTime(15, 30, 0));
    QTest::newRow("same second") << now << u"now"_s;
    QTest::newRow("seconds") << now.addSecs(-42) << u"42 seconds ago"_s;
    QTest::newRow("one second") << now.addSecs(-1) << u"1 second ago"_s;
    QTest::newRow("one minute") << now.addSecs(-60) << u"1 minute ago"_s;
    QTest::newRow("minutes, rounded down") << now.addSecs(-179) << u"2 minutes ago"_s;
    QTest::newRow("hours, same day") << now.addSecs(-5 * 3600) << u"5 hours ago"_s;
    QTest::newRow("calendar yesterday")
        << QDateTime(QDate(2026, 12, 6), QTime(23, 59)) << u"yesterday"_s;
    QTest::newRow("days") << now.addDays(-3) << u"3 days ago"_s;
    QTest::newRow("last week") << now.addDays(-8) << u"last week"_s;
    QTest::newRow("weeks") << now.addDays(-17) << u"2 weeks ago"_s;
    QTest::newRow("last month") << now.addMonths(-1) << u"last month"_s;
    QTest::newRow("months") << now.addMonths(-5) << u"5 months ago"_s;
    QTest::newRow("last year") << now.addMonths(-13) << u"last year"_s;
    QTest::newRow("years") << now.addYears(-3) << u"3 years ago"_s;
    QTest::newRow("a clock running ahead") << now.addSecs(90) << u"in 1 minute"_s;
    QTest::newRow("tomorrow") << now.addDays(1) << u"tomorrow"_s;
}

void ClipPresentationTest::relativeTimes() {
    QFETCH(QDateTime, time);
    QFETCH(QString, text);
    const QDateTime now(QDate(2026, 12, 7), QTime(15, 30, 0));
    QCOMPARE(RelativeTime::describe(time, now), text);
}

void ClipPresentationTest::kindLabelsAndLines() {
    using Label = ClipPresentation::KindLabel;
    const QUrl a = QUrl::fromLocalFile(u"/a"_s);
    QCOMPARE(ClipPresentation::kindLabel(TextContent{}), Label({u"Text"_s, u"text.alignleft"_s}));
    QCOMPARE(ClipPresentation::kindLabel(RichTextContent{}),
             Label({u"Text"_s, u"text.alignleft"_s}));
    QCOMPARE(ClipPresentation::kindLabel(ImageContent{QByteArray()}),
             Label({u"Image"_s, u"photo"_s}));
    QCOMPARE(ClipPresentation::kindLabel(FilesContent{{a}}), Label({u"File"_s, u"doc"_s}));
    QCOMPARE(ClipPresentation::kindLabel(FilesContent{{a, a}}), Label({u"Files"_s, u"doc"_s}));
    QCOMPARE(ClipPresentation::kindLabel(FilesContent{}), Label({u"Files"_s, u"doc"_s}));
    QCOMPARE(ClipPresentation::kindLabel(LinkContent{}), Label({u"Link"_s, u"link"_s}));

    QCOMPARE(ClipPresentation::linkTitle(QUrl(u"https://www.example.com/a?b"_s)),
             u"www.example.com"_s);
    QCOMPARE(ClipPresentation::linkTitle(QUrl(u"https://bücher.example/"_s)),
             u"xn--bcher-kva.example"_s);
    QCOMPARE(ClipPresentation::linkTitle(QUrl(u"mailto:ann@example.com"_s)),
             u"mailto:ann@example.com"_s);

    QCOMPARE(ClipPresentation::moreFilesLine(6), u"and 2 more"_s);
    QCOMPARE(ClipPresentation::moreFilesLine(5), u"and 1 more"_s);
    QCOMPARE(ClipPresentation::moreFilesLine(4), QString());
    QCOMPARE(ClipPresentation::numberBadgeAccessibleText(3), u"Press 3 to paste"_s);
}

QTEST_GUILESS_MAIN(ClipPresentationTest)
#include "ClipPresentationTest.moc"
