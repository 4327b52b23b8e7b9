#include "overview/widgets/KeyHintBar.h"

#include <QHBoxLayout>
#include <QTest>

using namespace Qt::StringLiterals;

namespace {

QStringList described(const QList<KeyHintBar::Hint>& hints) {
    QStringList lines;
    for (const KeyHintBar::Hint& hint : hints)
        lines.append(hint.keys.join(u' ') + u" = "_s + hint.label);
    return lines;
}

// The first and last columns and rows with anything painted; an invalid rect
// when nothing is.
QRect paintedBounds(const QImage& image) {
    QRect bounds;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (image.pixelColor(x, y).alpha() > 0)
                bounds |= QRect(x, y, 1, 1);
    return bounds;
}

QImage render(KeyHintBar& bar, QSize size) {
    bar.resize(size);
    return bar.grab().toImage();
}

} // namespace

class KeyHintBarTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void hintsForEachState();
    void stateChangesThePictureAndSize();
    void narrowBarLeavesOutTrailingHintsWhole();
    void accessibleTextReadsTheHints();
    void shownBarRepaintsAndResizesOnChange();
};

void KeyHintBarTest::hintsForEachState() {
    const QStringList browsing{
        u"1 6 = Paste"_s,        u"← → ↑ ↓ = Select"_s, u"↩ = Paste selected"_s,
        u"⇧↩ = As plain text"_s, u"Space = Preview"_s,  u"⌃P = Pin"_s,
        u"⌃⌫ = Delete"_s,        u"⌃Z = Undo"_s,        u"⇥ = Next tab"_s,
        u"esc = Close"_s,        u" = Type to search"_s};
    QCOMPARE(described(KeyHintBar::hints(6, false)), browsing);
    QStringList nine = browsing;
    nine.first() = u"1 9 = Paste"_s;
    QCOMPARE(described(KeyHintBar::hints(9, false)), nine);

    const QStringList searching{u"← → ↑ ↓ = Select"_s,   u"↩ = Paste selected"_s,
                                u"⇧↩ = As plain text"_s, u"⌃P = Pin"_s,
                                u"⌃⌫ = Delete"_s,        u"esc = Clear search"_s};
    QCOMPARE(described(KeyHintBar::hints(6, true)), searching);
    QCOMPARE(described(KeyHintBar::hints(9, true)), searching);
    QVERIFY(KeyHintBar::hints(9, false).last().keys.isEmpty());
}

void KeyHintBarTest::stateChangesThePictureAndSize() {
    KeyHintBar bar;
    const QSize size(bar.sizeHint().width() + 40, bar.sizeHint().height() + 10);
    const QSize browsingHint = bar.sizeHint();
    const QImage browsing = render(bar, size);
    QVERIFY(paintedBounds(browsing).isValid());

    bar.setSearching(true);
    QVERIFY(render(bar, size) != browsing);
    QVERIFY(bar.sizeHint().width() < browsingHint.width());
    QCOMPARE(bar.sizeHint().height(), browsingHint.height());
    bar.setSearching(false);
    QCOMPARE(render(bar, size), browsing);

    bar.setGridSize(9);
    QVERIFY(render(bar, size) != browsing);
    bar.setGridSize(6);
    QCOMPARE(render(bar, size), browsing);
}

void KeyHintBarTest::narrowBarLeavesOutTrailingHintsWhole() {
    KeyHintBar bar;
    const QSize natural = bar.sizeHint();

    // At its natural size the capsule spans the widget; in a taller widget it
    // keeps its height, centred.
    const QRect full = paintedBounds(render(bar, QSize(natural.width(), natural.height() * 3)));
    QVERIFY2(full.left() <= 1 && full.right() >= natural.width() - 2,
             qPrintable(u"%1..%2"_s.arg(full.left()).arg(full.right())));
    QVERIFY(qAbs(full.height() - natural.height()) <= 2);
    QVERIFY(qAbs(full.top() - (natural.height() * 3 - 1 - full.bottom())) <= 1);

    // One pixel short drops the whole of "Type to search" and its spacing, not
    // just that pixel, and the rest stays centred.
    const int narrow = natural.width() - 1;
    const QRect cut = paintedBounds(render(bar, QSize(narrow, natural.height())));
    QVERIFY(cut.isValid());
    QVERIFY2(cut.width() < narrow - 60, qPrintable(QString::number(cut.width())));
    QVERIFY(qAbs(cut.left() - (narrow - 1 - cut.right())) <= 1);

    // Narrower still, more hints go; too narrow for any leaves nothing.
    const QRect half = paintedBounds(render(bar, QSize(natural.width() / 2, natural.height())));
    QVERIFY(half.isValid());
    QVERIFY(half.width() < cut.width());
    QVERIFY(half.left() > 0);
    QVERIFY(!paintedBounds(render(bar, QSize(20, natural.height()))).isValid());
}

void KeyHintBarTest::accessibleTextReadsTheHints() {
    KeyHintBar bar;
    const QString browsing = bar.accessibleDescription();
    QVERIFY(browsing.startsWith(
        u"1–6 Paste, ← → ↑ ↓ Select, ↩ Paste selected, ⇧↩ As plain text, Space Preview"_s));
    QVERIFY(browsing.endsWith(u"esc Close, Type to search"_s));
    bar.setGridSize(9);
    QVERIFY(bar.accessibleDescription().startsWith(u"1–9 Paste, "_s));
    bar.setSearching(true);
    QCOMPARE(
        bar.accessibleDescription(),
        u"← → ↑ ↓ Select, ↩ Paste selected, ⇧↩ As plain text, ⌃P Pin, ⌃⌫ Delete, esc Clear search"_s);
    QVERIFY(!bar.accessibleName().isEmpty());
}

void KeyHintBarTest::shownBarRepaintsAndResizesOnChange() {
    QWidget window;
    auto* layout = new QHBoxLayout(&window);
    auto* bar = new KeyHintBar;
    layout->addStretch();
    layout->addWidget(bar);
    layout->addStretch();
    window.resize(bar->sizeHint().width() + 200, 100);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    QTRY_COMPARE(bar->width(), bar->sizeHint().width());

    int paints = 0;
    struct PaintCounter : QObject {
        int& count;
        explicit PaintCounter(int& count) : count(count) {}
        bool eventFilter(QObject*, QEvent* event) override {
            count += event->type() == QEvent::Paint;
            return false;
        }
    } counter(paints);
    bar->installEventFilter(&counter);
    bar->setGridSize(9);
    QTRY_VERIFY(paints > 0);

    bar->setSearching(true);
    QTRY_COMPARE(bar->width(), bar->sizeHint().width());
}

QTEST_MAIN(KeyHintBarTest)
#include "KeyHintBarTest.moc"
