#include "overview/widgets/OverviewView.h"

#include "history/ClipStore.h"
#include "overview/OverviewModel.h"
#include "overview/widgets/ClipCardView.h"
#include "overview/widgets/KeyHintBar.h"
#include "overview/widgets/OverviewGrid.h"
#include "overview/widgets/OverviewPreviewLayer.h"
#include "overview/widgets/OverviewSearchField.h"
#include "overview/widgets/OverviewTabPicker.h"
#include "overview/widgets/OverviewToastView.h"
#include "style/GlassContainer.h"
#include "support/TemporaryHistory.h"

#include <QApplication>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QStandardPaths>
#include <QTest>
#include <QTimer>

#include <memory>

using namespace Qt::StringLiterals;

namespace {

// A view the size of a 1920×1080 screen over a store of `count` text clips,
// "clip 1" the oldest.
struct ViewFixture {
    TemporaryHistory history;
    ClipStore store{history.path()};
    std::unique_ptr<OverviewModel> model;
    std::unique_ptr<OverviewView> view;
    QList<QString> picked;
    QList<ClipContent> pickedContent;
    int closed = 0;

    explicit ViewFixture(int count, qint64 gridSize = 6) {
        store.setLimit(27);
        for (int i = 1; i <= count; ++i)
            store.add(textClip(u"clip %1"_s.arg(i)), std::nullopt, 1765000000 + i);
        model = std::make_unique<OverviewModel>(store, gridSize);
        model->onPick = [this](const ClipItem& item) {
            picked.append(searchText(item.content));
            pickedContent.append(item.content);
        };
        model->onClose = [this] { ++closed; };
        view = std::make_unique<OverviewView>(*model, 24);
        view->resize(1920, 1080);
        view->show();
        model->prepareForShow();
    }

    OverviewGrid& grid() const { return *view->grid(); }
    OverviewSearchField& field() const { return *view->searchField(); }
    void key(int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) const {
        QTest::keyClick(&field(), Qt::Key(key), modifiers);
    }
    void type(const QString& text) const { QTest::keyClicks(&field(), text); }
    QPoint centreOf(qsizetype index) const { return grid().cellRect(index).center().toPoint(); }
};

} // namespace

class OverviewViewTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { QStandardPaths::setTestModeEnabled(true); }
    void pageOrScrollingGrid();
    void emptyStatesAndHints();
    void keysDriveTheModel();
    void digitsPickOnlyWhenNotSearching();
    void escapeClosesInThreeSteps();
    void pinDeleteAndUndoByKeyboard();
    void scrollingFollowsTheSelection();
    void pointerHoverClickAndBackdrop();
    void contextMenuActsOnTheClickedCard();
    void previewOpensAndPicks();
    void glassBlursWhatLiesBehindIt();
    void glassIsLighterWhereTheCompositorBlurs();
};

void OverviewViewTest::pageOrScrollingGrid() {
    ViewFixture six(6);
    QVERIFY(!six.grid().isScrolling());
    QCOMPARE(six.grid().items().size(), 6);
    for (qsizetype i = 0; i < 6; ++i) {
        ClipCardView* card = six.grid().cardAt(i);
        QVERIFY(card && card->isVisible());
        QCOMPARE(card->number(), std::optional<qint64>(i + 1));
        QVERIFY(six.grid().rect().contains(card->geometry()));
    }
    QVERIFY(six.grid().cardAt(0)->isSelected());
    // The cards keep to the computed size: two full-size rows on a 6-page.
    const QSizeF card = OverviewGrid::cardSize(six.grid().size(), 24, 6);
    QVERIFY(qAbs(six.grid().cardAt(4)->width() - card.width()) <= 1);
    QVERIFY(qAbs(six.grid().cardAt(4)->height() - card.height()) <= 1);

    // "Recent" holds a page; "All" holds everything and scrolls past a page.
    ViewFixture eight(8);
    QVERIFY(!eight.grid().isScrolling());
    eight.key(Qt::Key_3, Qt::ControlModifier);
    QVERIFY(eight.grid().isScrolling());
    for (qsizetype i = 0; i < 8; ++i) {
        ClipCardView* shown = eight.grid().cardAt(i);
        QVERIFY2(shown && shown->isVisible(), qPrintable(QString::number(i)));
        QCOMPARE(shown->number(), i < 6 ? std::optional<qint64>(i + 1) : std::nullopt);
    }

    ViewFixture nine(9, 9);
    QVERIFY(!nine.grid().isScrolling());
    QCOMPARE(nine.grid().cardAt(8)->number(), std::optional<qint64>(9));
    QVERIFY(nine.grid().cardAt(8)->height() < card.height());
}

void OverviewViewTest::emptyStatesAndHints() {
    ViewFixture empty(0);
    QCOMPARE(empty.grid().emptyText(), u"Copy something — it will show up here"_s);
    empty.type(u"x"_s);
    QCOMPARE(empty.model->query(), u"x"_s);
    QCOMPARE(empty.grid().emptyText(), u"Nothing found"_s);
    QVERIFY(empty.view->tabPicker()->isSearching());
    QVERIFY(empty.view->keyHintBar()->isSearching());
    empty.key(Qt::Key_Escape);
    empty.key(Qt::Key_Tab);
    QCOMPARE(empty.model->tab(), OverviewModel::Tab::pinned);
    QCOMPARE(empty.grid().emptyText(), u"Pin a card to keep it at hand"_s);
    QCOMPARE(empty.view->tabPicker()->currentTab(), 1);
    // A click on the empty grid closes the overlay.
    QTest::mouseClick(&empty.grid(), Qt::LeftButton, {}, empty.grid().rect().center());
    QCOMPARE(empty.closed, 1);

    // A toast takes the place of the hints; turning hints off leaves nothing.
    ViewFixture some(3);
    QVERIFY(some.view->keyHintBar()->isVisible());
    some.model->showToast(u"Moved to Pinned"_s);
    QVERIFY(!some.view->keyHintBar()->isVisible());
    QCOMPARE(some.view->toastView()->message(), std::optional(u"Moved to Pinned"_s));
    some.view->setShowsKeyHints(false);
    some.model->prepareForShow();
    QVERIFY(!some.view->keyHintBar()->isVisible());
}

void OverviewViewTest::keysDriveTheModel() {
    ViewFixture f(8);
    f.key(Qt::Key_Right);
    f.key(Qt::Key_Down);
    QCOMPARE(f.model->selection(), 4);
    QVERIFY(f.grid().cardAt(4)->isSelected());
    QVERIFY(!f.grid().cardAt(0)->isSelected());
    f.key(Qt::Key_Left);
    f.key(Qt::Key_Up);
    QCOMPARE(f.model->selection(), 0);
    f.type(u"clip 3"_s);
    QCOMPARE(f.field().text(), u"clip 3"_s);
    QCOMPARE(f.grid().items().size(), 1);
    QVERIFY(f.grid().cardAt(0)->number() == std::nullopt);
    f.key(Qt::Key_Return);
    QCOMPARE(f.picked, QList<QString>{u"clip 3"_s});
    // Tab clears the search and moves on; Control-3 goes to "All".
    f.key(Qt::Key_Tab);
    QCOMPARE(f.model->query(), QString());
    QCOMPARE(f.field().text(), QString());
    QCOMPARE(f.model->tab(), OverviewModel::Tab::pinned);
    f.type(u"zz"_s);
    f.key(Qt::Key_3, Qt::ControlModifier);
    QCOMPARE(f.model->tab(), OverviewModel::Tab::all);
    QCOMPARE(f.model->query(), QString());
    // The tab buttons do the same.
    QTest::mouseClick(f.view->tabPicker(), Qt::LeftButton, {},
                      QPoint(10, f.view->tabPicker()->height() / 2));
    QCOMPARE(f.model->tab(), OverviewModel::Tab::recent);
}

void OverviewViewTest::digitsPickOnlyWhenNotSearching() {
    ViewFixture f(4);
    f.key(Qt::Key_0);
    f.key(Qt::Key_5);
    QCOMPARE(f.field().text(), u"05"_s);
    QVERIFY(f.picked.isEmpty());
    f.key(Qt::Key_Escape);
    f.key(Qt::Key_2);
    QCOMPARE(f.picked, QList<QString>{u"clip 3"_s});
    // A space previews while not searching, and is typed while searching.
    f.key(Qt::Key_Space);
    QVERIFY(f.model->previewItem());
    f.key(Qt::Key_Space);
    QVERIFY(!f.model->previewItem());
    f.type(u"clip"_s);
    f.key(Qt::Key_Space);
    f.key(Qt::Key_1);
    QCOMPARE(f.model->query(), u"clip 1"_s);
    QCOMPARE(f.picked.size(), 1);
}

void OverviewViewTest::escapeClosesInThreeSteps() {
    ViewFixture f(3);
    f.type(u"clip"_s);
    f.key(Qt::Key_Down);
    f.model->togglePreview();
    QVERIFY(f.model->previewItem());
    f.key(Qt::Key_Escape);
    QVERIFY(!f.model->previewItem());
    QCOMPARE(f.model->query(), u"clip"_s);
    QCOMPARE(f.closed, 0);
    f.key(Qt::Key_Escape);
    QCOMPARE(f.model->query(), QString());
    QCOMPARE(f.closed, 0);
    f.key(Qt::Key_Escape);
    QCOMPARE(f.closed, 1);
}

void OverviewViewTest::pinDeleteAndUndoByKeyboard() {
    ViewFixture f(3);
    f.key(Qt::Key_Right);
    f.key(Qt::Key_P, Qt::ControlModifier);
    const auto pinned = ClipStore::pinnedItems(f.store.items());
    QCOMPARE(pinned.size(), 1);
    QCOMPARE(searchText(pinned.first().content), u"clip 2"_s);
    QCOMPARE(f.model->toast(), std::optional(OverviewModel::movedToPinnedToast()));
    f.key(Qt::Key_Backspace, Qt::ControlModifier);
    QCOMPARE(f.store.items().size(), 2);
    QCOMPARE(f.model->toast(), std::optional(OverviewModel::deletedToast()));
    // The removed card shrinks away and the others glide to their places;
    // once that is over, nothing but the cards of the tab is left on the grid.
    const auto settled = [&f] {
        const QList<QWidget*> shown = f.grid().findChildren<QWidget*>(Qt::FindDirectChildrenOnly);
        qsizetype visible = 0;
        for (QWidget* child : shown) {
            if (!child->isVisible())
                continue;
            ++visible;
            auto* card = qobject_cast<ClipCardView*>(child);
            const qsizetype index = card ? f.grid().items().indexOf(card->item()) : -1;
            if (index < 0 || card->geometry() != f.grid().cellRect(index).toRect())
                return false;
        }
        return visible == f.grid().items().size();
    };
    QVERIFY(!settled());
    QTRY_VERIFY(settled());
    f.key(Qt::Key_Z, Qt::ControlModifier);
    QCOMPARE(f.store.items().size(), 3);
    // With nothing to undo, Control-Z is the field's own undo of typing.
    f.type(u"ab"_s);
    f.key(Qt::Key_Z, Qt::ControlModifier);
    QVERIFY(f.field().text() != u"ab"_s);
}

void OverviewViewTest::scrollingFollowsTheSelection() {
    ViewFixture f(27);
    f.key(Qt::Key_3, Qt::ControlModifier);
    QVERIFY(f.grid().isScrolling());
    for (int i = 0; i < 8; ++i)
        f.key(Qt::Key_Down);
    QCOMPARE(f.model->selection(), 24);
    QTRY_VERIFY(f.grid().scrollOffset() > 0);
    QTRY_VERIFY(f.grid().rect().contains(f.grid().cellRect(24).toRect()));
    QTRY_COMPARE(f.grid().scrollOffset(), f.grid().maximumScrollOffset());
    QVERIFY(f.grid().cardAt(24) && f.grid().cardAt(24)->isVisible());
    // Only the rows near the view have card widgets.
    QVERIFY(!f.grid().cardAt(0));
    // A new showing starts from the top again.
    f.model->prepareForShow();
    f.key(Qt::Key_3, Qt::ControlModifier);
    QCOMPARE(f.grid().scrollOffset(), 0.0);
    QVERIFY(f.grid().cardAt(0));
}

void OverviewViewTest::pointerHoverClickAndBackdrop() {
    ViewFixture f(6);
    const auto moveTo = [&f](const QPoint& point) {
        QMouseEvent move(QEvent::MouseMove, point, f.grid().mapToGlobal(point), Qt::NoButton,
                         Qt::NoButton, Qt::NoModifier);
        QApplication::sendEvent(&f.grid(), &move);
    };
    // The first move only notes where the pointer rests: cards that come
    // under a resting pointer do not take the selection.
    moveTo(f.centreOf(4));
    QCOMPARE(f.model->selection(), 0);
    moveTo(f.centreOf(4) + QPoint(3, 3));
    QCOMPARE(f.model->selection(), 4);
    f.key(Qt::Key_Left);
    QCOMPARE(f.model->selection(), 3);
    QTest::mouseClick(&f.grid(), Qt::LeftButton, {}, f.centreOf(2));
    QCOMPARE(f.picked, QList<QString>{u"clip 4"_s});
    // Shift-click pastes plain text: a link as its address.
    f.store.add(LinkContent{QUrl(u"https://example.org/"_s)}, std::nullopt, 1765000100);
    QTest::mouseClick(&f.grid(), Qt::LeftButton, Qt::ShiftModifier, f.centreOf(0));
    QCOMPARE(f.pickedContent.last(), ClipContent(TextContent{u"https://example.org/"_s}));
    // The backdrop around the column closes, the header does not.
    QTest::mouseClick(f.view.get(), Qt::LeftButton, {}, QPoint(10, 10));
    QCOMPARE(f.closed, 1);
    QTest::mouseClick(f.view->tabPicker()->parentWidget(), Qt::LeftButton, {}, QPoint(2, 2));
    QCOMPARE(f.closed, 1);
}

void OverviewViewTest::contextMenuActsOnTheClickedCard() {
    ViewFixture f(3);
    const auto chooseFromMenu = [](const QString& title) {
        QTimer::singleShot(0, [title] {
            auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
            QVERIFY(menu);
            for (QAction* action : menu->actions()) {
                if (action->text().startsWith(title))
                    action->trigger();
            }
            menu->close();
        });
    };
    // The selection stays on the first card; the menu is opened on the third.
    const QPoint third = f.centreOf(2);
    chooseFromMenu(u"Delete"_s);
    QContextMenuEvent deleteEvent(QContextMenuEvent::Mouse, third, f.grid().mapToGlobal(third));
    QApplication::sendEvent(&f.grid(), &deleteEvent);
    QCOMPARE(f.store.items().size(), 2);
    QCOMPARE(searchText(f.model->lastRemoved()->content), u"clip 1"_s);
    QCOMPARE(f.model->toast(), std::optional(OverviewModel::deletedToast()));
    f.key(Qt::Key_Z, Qt::ControlModifier);
    QCOMPARE(f.store.items().size(), 3);

    chooseFromMenu(u"Pin"_s);
    const QPoint second = f.centreOf(1);
    QContextMenuEvent pinEvent(QContextMenuEvent::Mouse, second, f.grid().mapToGlobal(second));
    QApplication::sendEvent(&f.grid(), &pinEvent);
    QCOMPARE(f.model->toast(), std::optional(OverviewModel::movedToPinnedToast()));
    const auto pinned = ClipStore::pinnedItems(f.store.items());
    QCOMPARE(pinned.size(), 1);
    QCOMPARE(searchText(pinned.first().content), u"clip 2"_s);
}

void OverviewViewTest::previewOpensAndPicks() {
    ViewFixture f(2);
    OverviewPreviewLayer* layer = f.view->previewLayer();
    QVERIFY(!layer->isVisible());
    QImage screen(f.view->size(), QImage::Format_RGB32);
    screen.fill(Qt::darkCyan);
    f.view->setBackdrop(screen, 0.5);
    f.key(Qt::Key_Space);
    QTRY_VERIFY(layer->isVisible());
    // Its glass blurs the screen and the cards under it, for as long as it
    // is open.
    QVERIFY(layer->glass()->hasBackdrop());
    // Beside the preview: closes it. On it: picks the previewed clip.
    QTest::mouseClick(layer, Qt::LeftButton, {}, QPoint(5, 5));
    QVERIFY(!f.model->previewItem());
    QTRY_VERIFY(!layer->isVisible());
    QVERIFY(!layer->glass()->hasBackdrop());
    f.key(Qt::Key_Right);
    f.key(Qt::Key_Space);
    QTRY_VERIFY(layer->isVisible());
    const QRect frame = OverviewPreviewLayer::previewFrame(layer->size());
    QTest::mouseClick(layer, Qt::LeftButton, {}, frame.topLeft() + QPoint(6, 6));
    QCOMPARE(f.picked, QList<QString>{u"clip 1"_s});
}

void OverviewViewTest::glassBlursWhatLiesBehindIt() {
    ViewFixture f(6);
    // The screen behind: black left of the middle, white right of it, in
    // the pixels of a screen at twice the density.
    QImage screen(QSize(1920, 1080) * 2, QImage::Format_RGB32);
    screen.fill(Qt::white);
    QPainter(&screen).fillRect(0, 0, 1920, 2160, Qt::black);
    screen.setDevicePixelRatio(2);
    f.view->setBackdrop(screen, 0);
    // The middle card of the top row straddles the edge; below its text
    // it shows nothing but glass.
    const QRectF card = f.grid().cellRect(1).translated(f.grid().pos());
    const QImage picture = f.view->grab().toImage();
    const int y = int(card.bottom()) - 30;
    QList<int> levels;
    for (int x = int(card.left()) + 40; x < int(card.right()) - 40; ++x)
        levels.append(qGray(picture.pixel(x, y)));
    const int low = levels.first();
    const int high = levels.last();
    // The tint lets through a fifth of what lies behind.
    QVERIFY2(high - low > 40, qPrintable(u"%1 to %2"_s.arg(low).arg(high)));
    const auto firstReaching = [&](double share) {
        return std::distance(levels.begin(),
                             std::find_if(levels.begin(), levels.end(), [&](int level) {
                                 return level >= low + share * (high - low);
                             }));
    };
    // Sharp, the edge would rise within a pixel or two; blurred, it takes
    // a few dozen, and stays where the screen has it.
    const qsizetype rise = firstReaching(0.9) - firstReaching(0.1);
    QVERIFY2(rise >= 20 && rise <= 80, qPrintable(QString::number(rise)));
    const qsizetype middle = int(card.left()) + 40 + firstReaching(0.5);
    QVERIFY2(qAbs(middle - 960) <= 6, qPrintable(QString::number(middle)));
    f.view->releaseBackdrops();
    QVERIFY(!f.view->glass()->hasBackdrop());
}

// Where the compositor blurs behind the window (KWin), the glass needs no
// picture of the screen for its lighter tint; without either, it is denser.
void OverviewViewTest::glassIsLighterWhereTheCompositorBlurs() {
    ViewFixture f(1);
    const QRectF card = f.grid().cellRect(0).translated(f.grid().pos());
    const QPoint glassOnly(int(card.center().x()), int(card.bottom()) - 12);
    const int alone = qAlpha(f.view->grab().toImage().pixel(glassOnly));
    f.view->glass()->setCompositorBlurs(true);
    const int overBlur = qAlpha(f.view->grab().toImage().pixel(glassOnly));
    QVERIFY2(overBlur < alone, qPrintable(u"%1, alone %2"_s.arg(overBlur).arg(alone)));
    QVERIFY(overBlur > 0);
}

QTEST_MAIN(OverviewViewTest)
#include "OverviewViewTest.moc"
