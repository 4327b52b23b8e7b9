#include "OverviewPanelController.h"

#include "OverviewModel.h"
#include "paste/PasteServicing.h"

#include <QPointer>
#include <QTimer>

OverviewPanelController::OverviewPanelController(OverviewModel& model, PasteServicing& pasteService,
                                                 QObject* parent)
    : QObject(parent), m_model(model), m_pasteService(pasteService) {
    const QPointer controller(this);
    m_model.onClose = [controller] {
        if (controller)
            controller->hide(fadeOutMilliseconds);
    };
    m_model.onPick = [controller](const ClipItem& item) {
        if (controller)
            controller->pick(item);
    };
    m_model.onDragStarted = [controller] {
        if (controller)
            controller->dragStarted();
    };
}

OverviewPanelController::~OverviewPanelController() = default;

void OverviewPanelController::preparePanel() {
    if (m_panel || !makePanel)
        return;
    m_panel = makePanel();
    if (m_panel) {
        m_panel->onResignKey = [controller = QPointer(this)] {
            if (controller)
                controller->resignKey();
        };
    }
}

void OverviewPanelController::warmUpPanel() {
    preparePanel();
    if (m_panel && !m_panel->isOrderedIn()) {
        m_panel->warmUp();
        Q_EMIT panelHidden();
    }
}

void OverviewPanelController::orderOut() {
    m_isHiding = false;
    m_panel->orderOut();
    Q_EMIT panelHidden();
}

void OverviewPanelController::show() {
    preparePanel();
    if (gridSizePreference)
        m_model.setGridSize(gridSizePreference());
    m_model.prepareForShow();
    if (!m_panel)
        return;
    if (const auto frame = screenFrameUnderPointer ? screenFrameUnderPointer() : std::nullopt)
        m_panel->setFrame(*frame);
    ++m_generation;
    m_isHiding = false;
    // What a fade out was to do when it ended (a pick's paste) is off.
    m_hideCompletions.clear();
    m_panel->setIgnoresMouseEvents(false);
    m_panel->setAlpha(0);
    m_panel->orderFrontAndTakeKeyboard();
    m_panel->animateAlpha(1, fadeInMilliseconds, {});
}

void OverviewPanelController::hide(int milliseconds, std::function<void()> completion) {
    m_isDragging = false;
    if (!m_panel || !m_panel->isOrderedIn()) {
        if (completion)
            completion();
        return;
    }
    if (completion)
        m_hideCompletions.append(std::move(completion));
    // A fade out under way ends the same way; starting another would drop
    // what the first is to do when it ends (a pick's paste).
    if (m_isHiding)
        return;
    const qint64 generation = m_generation;
    m_isHiding = true;
    m_panel->setIgnoresMouseEvents(true);
    if (m_panel->alpha() == 0) {
        finishHiding();
        return;
    }
    m_panel->animateAlpha(0, milliseconds, [controller = QPointer(this), generation] {
        // A show during the fade keeps the overlay up.
        if (controller && controller->m_generation == generation)
            controller->finishHiding();
    });
}

void OverviewPanelController::finishHiding() {
    orderOut();
    for (const auto& completion : std::exchange(m_hideCompletions, {}))
        completion();
}

void OverviewPanelController::toggle() {
    if (m_panel && m_panel->isOrderedIn() && !m_isHiding)
        hide(fadeOutMilliseconds);
    else
        show();
}

void OverviewPanelController::pick(const ClipItem& item) {
    hide(pasteFadeOutMilliseconds, [this, item] {
        QTimer::singleShot(pasteDelayMilliseconds, this,
                           [this, item] { m_pasteService.paste(item); });
    });
}

void OverviewPanelController::dragStarted() {
    if (!m_panel || m_isDragging)
        return;
    m_isDragging = true;
    m_panel->setAlpha(0);
    m_panel->setIgnoresMouseEvents(true);
}

void OverviewPanelController::dragEnded() {
    if (!m_isDragging)
        return;
    QTimer::singleShot(0, this, [this] { hide(fadeOutMilliseconds); });
}

void OverviewPanelController::resignKey() {
    if (!m_isDragging)
        hide(fadeOutMilliseconds);
}
