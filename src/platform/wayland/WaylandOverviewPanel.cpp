#include "WaylandOverviewPanel.h"

#include "WaylandCompositorBlur.h"
#include "WaylandScreenCapture.h"
#include "overview/widgets/OverviewSearchField.h"
#include "overview/widgets/OverviewView.h"
#include "style/GlassContainer.h"

#include <QEvent>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QScreen>
#include <QWindow>

WaylandOverviewPanel::WaylandOverviewPanel(OverviewModel& model, Covering covering, QWidget* parent)
    : QWidget(parent, Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint),
      m_view(new OverviewView(model, cardSpacing, this)), m_covering(covering) {
    setAttribute(Qt::WA_TranslucentBackground);
    setWindowTitle(QStringLiteral("Velloq"));
    m_fadeEnd.setSingleShot(true);
    connect(&m_fadeEnd, &QTimer::timeout, this, [this] {
        if (auto completion = std::exchange(m_fadeCompletion, {}))
            completion();
    });
    m_captureWait.setSingleShot(true);
    connect(&m_captureWait, &QTimer::timeout, this, [this] {
        if (m_orderedIn && !isVisible())
            showWindow();
    });
    // The native window exists from the start, so the first showing is as
    // quick as the later ones.
    winId();
}

WaylandOverviewPanel::~WaylandOverviewPanel() = default;

void WaylandOverviewPanel::setScreenCapture(std::unique_ptr<WaylandScreenCapture> capture) {
    m_capture = std::move(capture);
    if (m_capture)
        connect(m_capture.get(), &WaylandScreenCapture::captured, this,
                &WaylandOverviewPanel::screenCaptured);
}

void WaylandOverviewPanel::setCompositorBlur(std::unique_ptr<WaylandCompositorBlur> blur) {
    m_blur = std::move(blur);
}

void WaylandOverviewPanel::setFrame(const QRect& frame) {
    m_frame = frame;
    // Where a full-screen window goes is the compositor's choice; the screen
    // is a wish it usually follows.
    if (QScreen* screen = QGuiApplication::screenAt(frame.center()))
        windowHandle()->setScreen(screen);
    resize(frame.size());
    m_view->setGeometry(QRect(QPoint(0, 0), frame.size()));
}

void WaylandOverviewPanel::warmUp() {
    QScreen* screen = QGuiApplication::primaryScreen();
    if (!screen || m_orderedIn)
        return;
    setFrame(screen->geometry());
    QImage unseen(m_frame.size(), QImage::Format_ARGB32_Premultiplied);
    unseen.fill(Qt::transparent);
    m_view->render(&unseen);
}

void WaylandOverviewPanel::setAlpha(qreal alpha) {
    if (alpha == m_alpha)
        return;
    m_alpha = alpha;
    // Without window opacity on Wayland, an overlay at alpha 0 (while a card
    // is dragged out of it) stays mapped, as the drag's source, but shows
    // nothing.
    m_view->setVisible(alpha > 0);
    update();
}

void WaylandOverviewPanel::setIgnoresMouseEvents(bool ignores) {
    windowHandle()->setFlag(Qt::WindowTransparentForInput, ignores);
}

void WaylandOverviewPanel::orderFrontAndTakeKeyboard() {
    m_fadeEnd.stop();
    m_fadeCompletion = {};
    m_orderedIn = true;
    m_wasActive = false;
    if (m_capture && !isVisible()) {
        // The copy must not show the overlay itself: it maps afterwards.
        const QScreen* screen = QGuiApplication::screenAt(m_frame.center());
        m_capture->start(screen ? screen->name() : QString());
        if (m_capture->isCapturing()) {
            m_captureWait.start(captureWaitMilliseconds);
            return;
        }
    }
    showWindow();
}

void WaylandOverviewPanel::showWindow() {
    m_captureWait.stop();
    if (m_covering == Covering::floating) {
        setFixedSize(m_frame.size());
        show();
    } else {
        showFullScreen();
    }
    // With the activation token the command was started with, where there
    // is one, so that focus-stealing prevention gives the overlay the
    // keyboard.
    activateWindow();
    if (m_blur && !m_view->glass()->hasBackdrop())
        m_view->glass()->setCompositorBlurs(m_blur->blurBehind(windowHandle()));
    m_view->searchField()->setFocus();
}

void WaylandOverviewPanel::screenCaptured(const QImage& picture) {
    if (!m_orderedIn)
        return;
    if (!picture.isNull() && !m_frame.isEmpty()) {
        QImage screen = picture;
        screen.setDevicePixelRatio(qreal(picture.width()) / m_frame.width());
        m_view->setBackdrop(screen, dimming);
    }
    if (isVisible())
        m_view->update();
    else
        showWindow();
}

void WaylandOverviewPanel::orderOut() {
    m_fadeEnd.stop();
    m_captureWait.stop();
    if (m_capture)
        m_capture->cancel();
    m_orderedIn = false;
    // Unmapping the window is what gives the keyboard back to the window
    // the user was in.
    hide();
    m_view->releaseBackdrops();
}

void WaylandOverviewPanel::animateAlpha(qreal target, int milliseconds,
                                        std::function<void()> completion) {
    m_fadeCompletion = std::move(completion);
    setAlpha(target);
    m_fadeEnd.start(milliseconds);
}

bool WaylandOverviewPanel::event(QEvent* event) {
    if (event->type() == QEvent::WindowActivate) {
        m_wasActive = m_orderedIn;
        m_view->searchField()->setFocus();
    } else if (event->type() == QEvent::WindowDeactivate && m_orderedIn && m_wasActive) {
        // The user turned to another window, or the compositor took the
        // keyboard away.
        m_wasActive = false;
        if (onResignKey)
            onResignKey();
    }
    return QWidget::event(event);
}

void WaylandOverviewPanel::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setCompositionMode(QPainter::CompositionMode_Source);
    painter.fillRect(rect(), QColor(0, 0, 0, int(dimming * m_alpha * 255)));
    painter.end();
    if (onPainted)
        onPainted();
}
