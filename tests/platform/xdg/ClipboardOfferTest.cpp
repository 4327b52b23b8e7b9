#include "platform/xdg/ClipboardOffer.h"

#include "capture/RtfReader.h"

#include <QMap>
#include <QTest>

using namespace Qt::StringLiterals;

// How the words and formatting of an HTML copy are taken from what its
// owner offers.
class ClipboardOfferTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void htmlGivesTheWordsWhereNoOtherTextDoes();
    void plainTextOfItsOwnIsKept();
};

namespace {

PasteboardSnapshot snapshotOf(const QMap<QByteArray, QByteArray>& offered) {
    const std::optional<PasteboardSnapshot> snapshot = ClipboardOffer::snapshot(
        offered.keys(), [&](const QByteArray& type) { return std::optional(offered.value(type)); });
    return snapshot.value_or(PasteboardSnapshot{});
}

} // namespace

void ClipboardOfferTest::htmlGivesTheWordsWhereNoOtherTextDoes() {
    const QByteArray formatted = "<meta charset='utf-8'><h1 id=\"t\">Rich <b>bold</b></h1>"
                                 "<p>Second line &amp; more</p>";
    const QString words = u"Rich bold\nSecond line & more"_s;
    // Only HTML offered, as a page's editor may.
    const PasteboardSnapshot alone = snapshotOf({{"text/html", formatted}});
    QCOMPARE(alone.string, std::optional(words));
    QVERIFY(alone.rtf);
    QCOMPARE(RtfReader::plainText(*alone.rtf), std::optional(words + u'\n'));

    // wl-copy -t text/html offers the same bytes under the plain-text names.
    const PasteboardSnapshot aliased = snapshotOf({{"text/html", formatted},
                                                   {"text/plain;charset=utf-8", formatted},
                                                   {"UTF8_STRING", formatted}});
    QCOMPARE(aliased.string, std::optional(words));
    QCOMPARE(aliased.rtf, alone.rtf);

    // Unformatted HTML is plain text; HTML without words is no text at all.
    const QByteArray unformatted = "<span style=\"color: red\">just words</span>";
    const PasteboardSnapshot plain =
        snapshotOf({{"text/html", unformatted}, {"text/plain", unformatted}});
    QCOMPARE(plain.string, std::optional(u"just words"_s));
    QCOMPARE(plain.rtf, std::nullopt);
    const PasteboardSnapshot empty =
        snapshotOf({{"text/html", "<img src=x>"}, {"text/plain", "<img src=x>"}});
    QCOMPARE(empty.string, std::nullopt);
}

void ClipboardOfferTest::plainTextOfItsOwnIsKept() {
    // As browsers copy: HTML beside the words as the page shows them.
    const PasteboardSnapshot browser =
        snapshotOf({{"text/html", "<p>Some <b>strong</b> words</p>"},
                    {"UTF8_STRING", "Some strong words (as shown)"}});
    QCOMPARE(browser.string, std::optional(u"Some strong words (as shown)"_s));
    QVERIFY(browser.rtf);
    // RTF offered wins over HTML, which then is not read for the words either.
    const PasteboardSnapshot withRtf =
        snapshotOf({{"text/html", "<b>html</b>"}, {"text/rtf", R"({\rtf1 {\b rtf}})"}});
    QCOMPARE(withRtf.rtf, std::optional(R"({\rtf1 {\b rtf}})"_ba));
    QCOMPARE(withRtf.string, std::nullopt);
}

QTEST_MAIN(ClipboardOfferTest)
#include "ClipboardOfferTest.moc"
