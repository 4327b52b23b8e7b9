#include "overview/OverviewModel.h"

#include "history/ClipStore.h"
#include "history/PictureText.h"
#include "overview/OverviewKeyMap.h"
#include "support/TemporaryHistory.h"

#include <QSignalSpy>
#include <QStandardPaths>
#include <QTest>

using namespace Qt::StringLiterals;
using Tab = OverviewModel::Tab;
using Direction = OverviewModel::Direction;

namespace {

// A clock the test moves by hand: delayed actions run when it passes them.
struct ManualClock {
    struct Task {
        qint64 dueAt;
        std::function<void()> action;
        bool cancelled = false;
    };

    OverviewModel::Scheduler scheduler() {
        return [this](int delayMs, std::function<void()> action) {
            tasks.append(std::make_shared<Task>(Task{now + delayMs, std::move(action)}));
            return [task = tasks.last()] { task->cancelled = true; };
        };
    }
    void advance(qint64 ms) {
        now += ms;
        for (const auto& task : QList(tasks)) {
            if (!task->cancelled && task->dueAt <= now) {
                task->cancelled = true;
                task->action();
            }
        }
    }

    qint64 now = 0;
    QList<std::shared_ptr<Task>> tasks;
};

// A real store in a temporary folder holding `unpinned` texts "u0"… and
// `pinned` texts "p0"…, each newer than the one before.
struct Fixture {
    Fixture(int unpinned, int pinned = 0, qint64 gridSize = 6) : store(dir.path()) {
        for (int i = 0; i < pinned; ++i) {
            store.add(textClip(u"p%1"_s.arg(i)), std::nullopt, 100 + i);
            store.setPinned(true, store.items().last().id);
        }
        for (int i = 0; i < unpinned; ++i)
            store.add(textClip(u"u%1"_s.arg(i)), std::nullopt, 200 + i);
        model = std::make_unique<OverviewModel>(store, gridSize);
        model->scheduler = clock.scheduler();
        model->onPick = [this](const ClipItem& item) { picked.append(searchText(item.content)); };
    }
    QStringList visible() const {
        QStringList texts;
        for (const ClipItem& item : model->visibleItems())
            texts.append(searchText(item.content));
        return texts;
    }
    qint64 moved(qint64 from, Direction direction) {
        model->setSelection(from);
        model->move(direction);
        return model->selection();
    }

    TemporaryHistory dir;
    ClipStore store;
    ManualClock clock;
    std::unique_ptr<OverviewModel> model;
    QStringList picked;
};

} // namespace

class OverviewModelTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init() { QStandardPaths::setTestModeEnabled(true); }
    void tabsAndSearchChooseTheVisibleCards();
    void centredRowsOnOnePage();
    void leftAlignedRowsBeyondOnePage();
    void movesStopAtTheEdges();
    void picking();
    void shiftPicksPlainText();
    void pinningFromThePinnedTabKeepsTheSelectionInRange();
    void deleteAndOneStepUndo();
    void toastsLastThreeSecondsFromTheLatest();
    void prepareForShowResetsAllButUndo();
    void signalsOnlyForRealChanges();
    void aSearchFindsPictureTextThatArrivesLater();
};

void OverviewModelTest::tabsAndSearchChooseTheVisibleCards() {
    Fixture f(8, 2);
    QCOMPARE(f.visible(), QStringList({u"u7"_s, u"u6"_s, u"u5"_s, u"u4"_s, u"u3"_s, u"u2"_s}));
    f.model->setSelection(3);
    f.model->nextTab();
    QCOMPARE(f.model->tab(), Tab::pinned);
    QCOMPARE(f.model->selection(), 0);
    QCOMPARE(f.visible(), QStringList({u"p1"_s, u"p0"_s}));
    f.model->nextTab();
    QCOMPARE(f.visible().size(), 10);
    f.model->setQuery(u"p1"_s);
    QVERIFY(f.model->isSearching());
    QCOMPARE(f.visible(), QStringList({u"p1"_s}));
    f.model->nextTab(); // from all back to recent, clearing the search
    QCOMPARE(f.model->tab(), Tab::recent);
    QCOMPARE(f.model->query(), QString());
    f.model->setQuery(u" \t "_s);
    QVERIFY(!f.model->isSearching());
    f.model->setQuery(u"\n"_s); // line breaks count as a search that finds nothing
    QVERIFY(f.model->isSearching());
    QCOMPARE(f.visible(), QStringList());
    QCOMPARE(OverviewModel::tabFromRawValue(2), Tab::all);
    QCOMPARE(OverviewModel::tabFromRawValue(3), std::nullopt);
}

void OverviewModelTest::centredRowsOnOnePage() {
    Fixture f(5);                             // row 0 at 0, 1, 2; row 1 at 0.5 and 1.5
    QCOMPARE(f.moved(1, Direction::down), 3); // tie: leftmost wins
    QCOMPARE(f.moved(2, Direction::down), 4);
    QCOMPARE(f.moved(0, Direction::down), 3);
    QCOMPARE(f.moved(3, Direction::up), 0);
    QCOMPARE(f.moved(4, Direction::up), 1);

    // Eight cards on a page of nine: the last row holds two, at 0.5 and 1.5.
    Fixture nine(0, 8, 9);
    nine.model->setTab(Tab::all);
    QCOMPARE(nine.moved(3, Direction::down), 6);
    QCOMPARE(nine.moved(4, Direction::down), 6); // tie: leftmost wins
    QCOMPARE(nine.moved(5, Direction::down), 7);
    QCOMPARE(nine.moved(7, Direction::up), 4);
}

void OverviewModelTest::leftAlignedRowsBeyondOnePage() {
    // The same eight cards on pages of six: the last row starts at the left.
    Fixture f(0, 8, 6);
    f.model->setTab(Tab::all);
    QCOMPARE(f.moved(3, Direction::down), 6);
    QCOMPARE(f.moved(4, Direction::down), 7);
    QCOMPARE(f.moved(5, Direction::down), 7);
    QCOMPARE(f.moved(7, Direction::up), 4);
    QCOMPARE(f.moved(2, Direction::down), 5);
}

void OverviewModelTest::movesStopAtTheEdges() {
    Fixture f(5);
    QCOMPARE(f.moved(1, Direction::up), 1);
    QCOMPARE(f.moved(4, Direction::down), 4);
    QCOMPARE(f.moved(0, Direction::left), 0);
    QCOMPARE(f.moved(4, Direction::right), 4);
    QCOMPARE(f.moved(2, Direction::right), 3);

    Fixture empty(0);
    empty.model->move(Direction::down);
    empty.model->pickSelected();
    empty.model->togglePreview();
    QCOMPARE(empty.model->selection(), 0);
    QCOMPARE(empty.model->previewItem(), std::nullopt);
    QVERIFY(!empty.model->pickNumber(1));
    QVERIFY(empty.picked.isEmpty());
}

void OverviewModelTest::picking() {
    Fixture f(8);
    QVERIFY(!f.model->pickNumber(0));
    QVERIFY(!f.model->pickNumber(7)); // beyond the page, though more cards exist
    QVERIFY(f.model->pickNumber(2));
    QCOMPARE(f.picked, QStringList({u"u6"_s}));
    f.model->setSelection(1);
    f.model->togglePreview();
    QCOMPARE(searchText(f.model->previewItem()->content), u"u6"_s);
    f.model->setSelection(4);
    QCOMPARE(searchText(f.model->currentItem()->content), u"u6"_s);
    f.model->pickSelected(); // Return with the preview open
    QCOMPARE(f.picked.last(), u"u6"_s);
    QCOMPARE(f.model->previewItem(), std::nullopt);
    f.model->pickSelected();
    QCOMPARE(f.picked.last(), u"u3"_s);
    f.model->onPick = nullptr;
    QVERIFY(f.model->pickNumber(1));
}

// Shift with Return or with a digit key pastes plain text. A shifted digit
// types a layout's symbol ('!' for 1 on a US layout, '§' for 3 on a German
// one), so the key code (XKB: 10 for 1) names the card.
void OverviewModelTest::shiftPicksPlainText() {
    Fixture f(0);
    for (int i = 0; i < 3; ++i)
        f.store.add(RichTextContent{"{\\rtf1 {\\b r}}"_ba, u"rich %1"_s.arg(i)}, std::nullopt, i);
    QList<ClipContent> picked;
    f.model->onPick = [&picked](const ClipItem& item) { picked.append(item.content); };
    const auto press = [&f](int key, Qt::KeyboardModifiers modifiers, const QString& text,
                            quint32 scanCode) {
        return OverviewKeyMap::handle(*f.model, {key, modifiers, text, false, scanCode});
    };
    QVERIFY(press(Qt::Key_Return, Qt::ShiftModifier, u"\r"_s, 36));
    QVERIFY(press(Qt::Key_Exclam, Qt::ShiftModifier, u"!"_s, 10));
    QVERIFY(press(Qt::Key_section, Qt::ShiftModifier, u"§"_s, 12));
    QVERIFY(press(Qt::Key_2, Qt::NoModifier, u"2"_s, 11));
    QVERIFY(press(Qt::Key_Return, Qt::NoModifier, u"\r"_s, 36));
    QVERIFY(!press(Qt::Key_A, Qt::ShiftModifier, u"A"_s, 38));
    QVERIFY(!press(Qt::Key_ParenRight, Qt::ShiftModifier, u")"_s, 19)); // 0 is no card
    const QList<ClipContent> expected{TextContent{u"rich 2"_s}, TextContent{u"rich 2"_s},
                                      TextContent{u"rich 0"_s}, f.store.items()[1].content,
                                      f.store.items()[2].content};
    QCOMPARE(picked, expected);
}

void OverviewModelTest::pinningFromThePinnedTabKeepsTheSelectionInRange() {
    Fixture f(2, 3);
    f.model->setTab(Tab::pinned);
    f.model->setSelection(2);
    const qint64 version = f.model->storeVersion();
    f.model->togglePinSelected();
    QCOMPARE(f.model->toast(), OverviewModel::removedFromPinnedToast());
    QCOMPARE(f.model->storeVersion(), version + 1);
    QCOMPARE(f.visible(), QStringList({u"p2"_s, u"p1"_s}));
    QCOMPARE(f.model->selection(), 1);
    f.model->setTab(Tab::recent);
    f.model->togglePinSelected();
    QCOMPARE(f.model->toast(), OverviewModel::movedToPinnedToast());
}

void OverviewModelTest::deleteAndOneStepUndo() {
    Fixture f(4);
    f.model->deleteSelected(); // u3
    f.model->deleteSelected(); // u2
    QCOMPARE(f.model->toast(), OverviewModel::deletedToast());
    QCOMPARE(f.visible(), QStringList({u"u1"_s, u"u0"_s}));
    QVERIFY(f.model->undo());
    QCOMPARE(f.model->toast(), OverviewModel::restoredToast());
    QVERIFY(!f.model->undo());
    QCOMPARE(f.visible(), QStringList({u"u2"_s, u"u1"_s, u"u0"_s}));

    // The undo survives closing and reopening; the toast shows even when the
    // store declines because the same text came back meanwhile.
    f.model->deleteSelected(); // u2
    f.model->prepareForShow();
    QVERIFY(f.model->lastRemoved().has_value());
    f.store.add(textClip(u"u2"_s), std::nullopt, 500);
    QVERIFY(f.model->undo());
    QCOMPARE(f.model->toast(), OverviewModel::restoredToast());
    QCOMPARE(f.store.items().size(), 3);
}

void OverviewModelTest::toastsLastThreeSecondsFromTheLatest() {
    Fixture f(1);
    f.model->showToast(u"first"_s);
    f.clock.advance(2000);
    f.model->showToast(u"second"_s);
    f.clock.advance(2500); // the first toast's time is long past
    QCOMPARE(f.model->toast(), u"second"_s);
    f.clock.advance(500);
    QCOMPARE(f.model->toast(), std::nullopt);

    // With the real timer too.
    OverviewModel real(f.store, 6);
    real.showToast(u"timed"_s);
    QCOMPARE(real.toast(), u"timed"_s);
    QTRY_COMPARE_WITH_TIMEOUT(real.toast(), std::nullopt, 4000);
}

void OverviewModelTest::prepareForShowResetsAllButUndo() {
    Fixture f(5, 1, 9);
    f.model->setTab(Tab::all);
    f.model->setQuery(u"u"_s);
    f.model->setSelection(3);
    f.model->togglePreview();
    f.model->deleteSelected();
    f.model->showToast(u"shown"_s);
    QSignalSpy shown(f.model.get(), &OverviewModel::shownCountChanged);
    f.model->prepareForShow();
    QCOMPARE(shown.size(), 1);
    QCOMPARE(f.model->shownCount(), 1);
    QCOMPARE(f.model->tab(), Tab::recent);
    QCOMPARE(f.model->query(), QString());
    QCOMPARE(f.model->selection(), 0);
    QCOMPARE(f.model->previewItem(), std::nullopt);
    QCOMPARE(f.model->toast(), std::nullopt);
    QVERIFY(f.model->lastRemoved().has_value());
    QCOMPARE(f.model->gridSize(), 9);
    f.clock.advance(5000); // the cancelled toast task does nothing later
    QCOMPARE(f.model->toast(), std::nullopt);
}

void OverviewModelTest::signalsOnlyForRealChanges() {
    Fixture f(3);
    QSignalSpy tab(f.model.get(), &OverviewModel::tabChanged);
    QSignalSpy selection(f.model.get(), &OverviewModel::selectionChanged);
    QSignalSpy items(f.model.get(), &OverviewModel::itemsChanged);
    QSignalSpy version(f.model.get(), &OverviewModel::storeVersionChanged);
    f.model->setTab(Tab::recent);
    f.model->setSelection(0);
    QCOMPARE(tab.size() + selection.size(), 0);
    f.model->setSelection(2);
    f.model->setTab(Tab::all);
    QCOMPARE(tab.size(), 1);
    QCOMPARE(selection.size(), 2); // set to 2, then back to 0 by the tab change
    // A store change that leaves the items equal still counts a version.
    f.store.setPinned(false, QUuid::createUuid()); // unknown id: no notification
    f.store.setLimit(27);
    QCOMPARE(version.size(), 0);
    f.store.setPinned(false, f.store.items().first().id); // already unpinned
    QCOMPARE(version.size(), 1);
    QCOMPARE(items.size(), 0);
    f.store.add(textClip(u"new"_s), std::nullopt, 900);
    QCOMPARE(items.size(), 1);
    QCOMPARE(version.size(), 2);
}

// The overlay stays open while a picture's text is read: the search under
// way shows the picture once its text says so.
void OverviewModelTest::aSearchFindsPictureTextThatArrivesLater() {
    Fixture f(2);
    f.store.add(pictureInFile(f.dir.path() + u"/shot.png"_s, pngBytes()), std::nullopt, 300);
    const QString png = std::get<ImageContent>(f.store.items().last().content).filePath();
    f.model->setQuery(u"invoice"_s);
    QCOMPARE(f.model->visibleItems().size(), 0);
    QSignalSpy items(f.model.get(), &OverviewModel::itemsChanged);
    QVERIFY(PictureText::write(png, u"Invoice 2026-114"_s));
    f.model->pictureTextArrived();
    QCOMPARE(items.size(), 1);
    QCOMPARE(f.model->visibleItems().size(), 1);
    f.model->setQuery(QString());
    f.model->pictureTextArrived();
    QCOMPARE(items.size(), 1);
}

QTEST_GUILESS_MAIN(OverviewModelTest)
#include "OverviewModelTest.moc"
