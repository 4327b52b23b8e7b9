#pragma once

#include "history/ClipItem.h"
#include "history/ClipStore.h"
#include "overview/OverviewModel.h"
#include "overview/widgets/OverviewView.h"

#include <QIcon>
#include <QImage>
#include <QList>
#include <QTemporaryDir>

// The whole overlay as a person sees it, for the gallery's pictures and the
// tests that measure them: a history of the given clips in a full-screen
// view, composed over a picture of the desktop the way the overlay window
// is on screen.
class OverlayScene {
public:
    // How the glass sees what lies under the window: a blurred picture of
    // the screen (X11, and Wayland with a screen copy), the compositor's
    // own blur (KWin), or nothing but the window's dimming.
    enum class Backdrop { picture, compositorBlur, plainDimming };

    static constexpr QSize screenSize{1600, 900};
    // As the overlay windows darken the screen behind them.
    static constexpr qreal dimming = 0.5;

    OverlayScene(const QList<ClipItem>& items, const QIcon& appIcon);

    OverviewModel& model() { return m_model; }
    OverviewView& view() { return m_view; }

    // `desktop` is what the screen shows under the overlay.
    void setDesktop(const QImage& desktop, Backdrop backdrop);
    // What the overlay window shows now: the dimmed screen, then the view.
    QImage compose();

    // Windows full of sharp text and hard edges over a wallpaper:
    // everything a glass surface must turn into a quiet wash.
    static QImage busyDesktop();

private:
    QTemporaryDir m_home;
    ClipStore m_store;
    OverviewModel m_model;
    OverviewView m_view;
    QImage m_desktop;
    QImage m_underWindow;
};
