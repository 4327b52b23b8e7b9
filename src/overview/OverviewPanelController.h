#pragma once

#include "OverviewPanelSurface.h"

#include <QList>
#include <QObject>

#include <functional>
#include <memory>
#include <optional>

class OverviewModel;
class PasteServicing;
struct ClipItem;

// Owns the overlay window: shows it on the screen under the pointer, fades
// it out, turns a pick into a paste once the window is gone, and keeps it
// out of the way while a card is dragged into another application.
class OverviewPanelController : public QObject {
    Q_OBJECT

public:
    static constexpr int fadeInMilliseconds = 120;
    static constexpr int fadeOutMilliseconds = 300;
    static constexpr int pasteFadeOutMilliseconds = 150;
    static constexpr int pasteDelayMilliseconds = 50;

    OverviewPanelController(OverviewModel& model, PasteServicing& pasteService,
                            QObject* parent = nullptr);
    ~OverviewPanelController() override;

    // Builds the window, once, at the first show.
    std::function<std::unique_ptr<OverviewPanelSurface>()> makePanel;
    // The cards per page the preferences ask for (6 or 9), read at each show.
    std::function<qint64()> gridSizePreference;
    // The full frame of the screen under the pointer; none without screens.
    std::function<std::optional<QRect>()> screenFrameUnderPointer;

    // Builds the window ahead of the first show.
    void preparePanel();
    // Builds the window and has it do once, unseen, what is slow the first
    // time in a process.
    void warmUpPanel();
    void show();
    void hide(int milliseconds, std::function<void()> completion = {});
    void toggle();
    void dragStarted();
    // The dragged card was dropped or the drag was cancelled.
    void dragEnded();

    OverviewPanelSurface* panel() const { return m_panel.get(); }
    bool isDragging() const { return m_isDragging; }
    bool isHiding() const { return m_isHiding; }
    qint64 generation() const { return m_generation; }

Q_SIGNALS:
    // The window went out of sight (or finished warming up); what it held
    // for display is released.
    void panelHidden();

private:
    void orderOut();
    void finishHiding();
    void pick(const ClipItem& item);
    void resignKey();

    OverviewModel& m_model;
    PasteServicing& m_pasteService;
    std::unique_ptr<OverviewPanelSurface> m_panel;
    bool m_isDragging = false;
    qint64 m_generation = 0;
    bool m_isHiding = false;
    QList<std::function<void()>> m_hideCompletions;
};
