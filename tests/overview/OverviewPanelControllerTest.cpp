#include "overview/OverviewPanelController.h"

#include "history/ClipStore.h"
#include "overview/OverviewModel.h"
#include "paste/PasteServicing.h"
#include "support/TemporaryHistory.h"

#include <QSignalSpy>
#include <QStandardPaths>
#include <QTest>

using namespace Qt::StringLiterals;

namespace {

// The window as the controller sees it, with fades that end when the test
// says so.
class RecordingPanel final : public OverviewPanelSurface {
public:
    bool orderedIn = false;
    qreal currentAlpha = 1;
    bool ignoresMouse = false;
    QRect frame;
    int orderFronts = 0;
    std::function<void()> pendingFade;
    int lastFadeMilliseconds = 0;

    bool isOrderedIn() const override { return orderedIn; }
    qreal alpha() const override { return currentAlpha; }
    void setAlpha(qreal alpha) override { currentAlpha = alpha; }
    void setIgnoresMouseEvents(bool ignores) override { ignoresMouse = ignores; }
    void setFrame(const QRect& rect) override { frame = rect; }
    void orderFrontAndTakeKeyboard() override {
        orderedIn = true;
        ++orderFronts;
    }
    // Like the window, going out of sight ends a fade without its completion.
    void orderOut() override {
        orderedIn = false;
        pendingFade = {};
    }
    void animateAlpha(qreal target, int milliseconds, std::function<void()> completion) override {
        currentAlpha = target;
        lastFadeMilliseconds = milliseconds;
        pendingFade = std::move(completion);
    }
    void finishFade() {
        if (auto completion = std::exchange(pendingFade, {}))
            completion();
    }
};

class RecordingPaste final : public PasteServicing {
public:
    QList<QUuid> pasted;
    void paste(const ClipItem& item) override { pasted.append(item.id); }
};

struct Fixture {
    TemporaryHistory history;
    ClipStore store{history.path()};
    OverviewModel model{store, 6};
    RecordingPaste paste;
    OverviewPanelController controller{model, paste};
    RecordingPanel* panel = nullptr;
    qint64 gridSizePreference = 6;
    std::optional<QRect> screen = QRect(1920, 0, 1920, 1080);

    Fixture() {
        store.add(textClip(u"one"_s), std::nullopt, 1765000000);
        store.add(textClip(u"two"_s), std::nullopt, 1765000001);
        controller.makePanel = [this] {
            auto made = std::make_unique<RecordingPanel>();
            panel = made.get();
            return made;
        };
        controller.gridSizePreference = [this] { return gridSizePreference; };
        controller.screenFrameUnderPointer = [this] { return screen; };
    }
    ClipItem first() const { return model.visibleItems().first(); }
};

} // namespace

class OverviewPanelControllerTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { QStandardPaths::setTestModeEnabled(true); }
    void showPlacesResetsAndFadesIn();
    void toggleDuringFadeOutBringsItBack();
    void pickPastesAfterTheFadeUnlessReopened();
    void dragHidesAtOnceAndEndsOnDrop();
    void resigningKeyCloses();
};

void OverviewPanelControllerTest::showPlacesResetsAndFadesIn() {
    Fixture f;
    f.model.setGridSize(9);
    f.model.setQuery(u"x"_s);
    f.controller.show();
    QVERIFY(f.panel);
    QCOMPARE(f.model.gridSize(), 6);
    QCOMPARE(f.model.query(), QString());
    QCOMPARE(f.model.shownCount(), 1);
    QCOMPARE(f.panel->frame, QRect(1920, 0, 1920, 1080));
    QVERIFY(f.panel->orderedIn);
    QVERIFY(!f.panel->ignoresMouse);
    QCOMPARE(f.panel->lastFadeMilliseconds, OverviewPanelController::fadeInMilliseconds);
    QCOMPARE(f.panel->currentAlpha, 1.0);

    // Shown again while up (no screen found): same frame, reset, faded in again.
    RecordingPanel* first = f.panel;
    f.gridSizePreference = 9;
    f.screen.reset();
    f.controller.show();
    QCOMPARE(f.panel, first);
    QCOMPARE(f.model.gridSize(), 9);
    QCOMPARE(f.model.shownCount(), 2);
    QCOMPARE(f.panel->frame, QRect(1920, 0, 1920, 1080));
    QCOMPARE(f.panel->orderFronts, 2);
}

void OverviewPanelControllerTest::toggleDuringFadeOutBringsItBack() {
    Fixture f;
    f.controller.toggle();
    f.panel->finishFade();
    f.controller.toggle();
    QVERIFY(f.controller.isHiding());
    QVERIFY(f.panel->ignoresMouse);
    QCOMPARE(f.panel->lastFadeMilliseconds, OverviewPanelController::fadeOutMilliseconds);
    std::function<void()> staleFade = std::exchange(f.panel->pendingFade, {});
    f.controller.toggle();
    QVERIFY(!f.controller.isHiding());
    staleFade();
    QVERIFY(f.panel->orderedIn);
    // A fade that runs to its end orders the panel out.
    f.controller.toggle();
    f.panel->finishFade();
    QVERIFY(!f.panel->orderedIn);
    QVERIFY(!f.controller.isHiding());
}

void OverviewPanelControllerTest::pickPastesAfterTheFadeUnlessReopened() {
    Fixture f;
    f.controller.show();
    f.model.pickSelected();
    QCOMPARE(f.panel->lastFadeMilliseconds, OverviewPanelController::pasteFadeOutMilliseconds);
    f.panel->finishFade();
    QVERIFY(!f.panel->orderedIn);
    QVERIFY(f.paste.pasted.isEmpty());
    QTRY_COMPARE(f.paste.pasted, QList<QUuid>{f.first().id});

    // Reopened during the fade: the fade's completion is dropped, no paste.
    f.controller.show();
    f.model.pickSelected();
    std::function<void()> fade = std::exchange(f.panel->pendingFade, {});
    f.controller.toggle();
    fade();
    QTest::qWait(3 * OverviewPanelController::pasteDelayMilliseconds);
    QCOMPARE(f.paste.pasted.size(), 1);
    QVERIFY(f.panel->orderedIn);

    // Another window taking the keys during the fade closes nothing twice:
    // the pick still pastes.
    f.panel->finishFade();
    f.model.pickSelected();
    f.panel->onResignKey();
    f.panel->finishFade();
    QTRY_COMPARE(f.paste.pasted.size(), 2);

    // Picked while the panel is not up: the paste still follows.
    f.controller.show();
    f.controller.hide(0);
    f.panel->finishFade();
    f.model.pickNumber(2);
    QTRY_COMPARE(f.paste.pasted.size(), 3);
}

void OverviewPanelControllerTest::dragHidesAtOnceAndEndsOnDrop() {
    Fixture f;
    f.controller.dragStarted();
    QVERIFY(!f.controller.isDragging());
    f.controller.show();
    f.panel->finishFade();
    f.model.onDragStarted();
    QVERIFY(f.controller.isDragging());
    QCOMPARE(f.panel->currentAlpha, 0.0);
    QVERIFY(f.panel->ignoresMouse);
    QVERIFY(f.panel->orderedIn);
    // Another application becoming active during the drag changes nothing.
    f.panel->onResignKey();
    QVERIFY(f.panel->orderedIn);
    f.controller.dragEnded();
    QTRY_VERIFY(!f.panel->orderedIn);
    QVERIFY(!f.controller.isDragging());
    QVERIFY(!f.panel->pendingFade);
    // The next showing is an ordinary one.
    f.controller.show();
    QVERIFY(f.panel->orderedIn);
    QVERIFY(!f.panel->ignoresMouse);
    QCOMPARE(f.panel->currentAlpha, 1.0);
}

void OverviewPanelControllerTest::resigningKeyCloses() {
    Fixture f;
    f.controller.show();
    f.panel->finishFade();
    f.panel->onResignKey();
    QVERIFY(f.controller.isHiding());
    f.panel->finishFade();
    QVERIFY(!f.panel->orderedIn);
    // Escape without a search closes too, through the model's callback.
    f.controller.show();
    f.panel->finishFade();
    f.model.onClose();
    QCOMPARE(f.panel->lastFadeMilliseconds, OverviewPanelController::fadeOutMilliseconds);
}

QTEST_MAIN(OverviewPanelControllerTest)
#include "OverviewPanelControllerTest.moc"
