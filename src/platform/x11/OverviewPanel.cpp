#include "OverviewPanel.h"

#include "ScreenCapture.h"
#include "overview/widgets/OverviewSearchField.h"
#include "overview/widgets/OverviewView.h"
#include "style/GlassContainer.h"

#include <QBackingStore>
#include <QElapsedTimer>
#include <QGuiApplication>
#include <QPainter>
#include <QScreen>
#include <QWindow>

#include <chrono>
#include <sys/mman.h>
#include <unistd.h>
#include <xcb/xcb.h>

namespace {

// Where the window waits while it must stay mapped (holding the keyboard
// and the pointer during a drag) but show nothing and receive nothing.
constexpr QPoint outOfSight(-30000, -30000);

// The grab fails until the window is viewable and while another client
// holds the keyboard (a shortcut's keys still down): retry quickly at
// first, then calmly.
constexpr int quickGrabAttempts = 100;
constexpr int quickGrabInterval = 10;
constexpr int calmGrabInterval = 100;

// The first screen captures in a process are several times slower than the
// later ones.
constexpr int warmUpCaptures = 3;
const QString title = QStringLiteral("Velloq");
constexpr int warmUpWaitMilliseconds = 500;
// How long a showing waits for its backdrop: past it the overlay shows
// without one rather than hang on a capture or a blur that does not end.
constexpr int backdropWaitMilliseconds = 1000;

// Has the kernel provide every page of a fresh buffer at once: touched
// one by one, a screenful of pages costs a fault each, about ten
// milliseconds in all. Kernels before 5.14 refuse; the faults then come
// at the first paint as they would anyway.
void providePages(const uchar* start, qsizetype bytes) {
    const auto page = quintptr(sysconf(_SC_PAGESIZE));
    const quintptr first = quintptr(start) & ~(page - 1);
    const quintptr end = quintptr(start) + quintptr(bytes);
    madvise(reinterpret_cast<void*>(first), end - first, MADV_POPULATE_WRITE);
}

} // namespace

OverviewPanel::OverviewPanel(OverviewModel& model, std::function<bool()> isCompositing,
                             QWidget* parent)
    : QWidget(parent, Qt::BypassWindowManagerHint | Qt::WindowStaysOnTopHint |
                          Qt::FramelessWindowHint | Qt::Tool | Qt::WindowDoesNotAcceptFocus),
      m_view(new OverviewView(model, cardSpacing, this)),
      m_isCompositing(std::move(isCompositing)) {
    setAttribute(Qt::WA_TranslucentBackground);
    setAttribute(Qt::WA_ShowWithoutActivating);
    setWindowTitle(title);
    m_grabRetry.setSingleShot(true);
    connect(&m_grabRetry, &QTimer::timeout, this, &OverviewPanel::tryKeyboardGrab);
    connect(&m_fade, &QVariantAnimation::valueChanged, this,
            [this](const QVariant& value) { setAlpha(value.toReal()); });
    m_fadeEnd.setSingleShot(true);
    m_bufferRelease.setSingleShot(true);
    connect(&m_bufferRelease, &QTimer::timeout, this, &OverviewPanel::releaseBuffer);
    connect(&m_presses, &X11ButtonPresses::pressed, this, &OverviewPanel::pressedOn);
    connect(&m_fadeEnd, &QTimer::timeout, this, [this] {
        if (auto completion = std::exchange(m_fadeCompletion, {}))
            completion();
    });
    // The native window exists from the start, so the first showing is as
    // quick as the later ones.
    winId();
}

OverviewPanel::~OverviewPanel() {
    finishBuffer();
    if (m_backdropWork.valid())
        m_backdropWork.wait();
}

void OverviewPanel::warmUp() {
    QScreen* screen = QGuiApplication::primaryScreen();
    if (!screen || m_orderedIn)
        return;
    for (int i = 0; i < warmUpCaptures; ++i)
        ScreenCapture::now(screen);
    setFrame(screen->geometry());
    showUnseen(screen);
}

void OverviewPanel::showUnseen(QScreen* screen) {
    // The first showing of a window this large is slow on the X server as
    // well: show it once now, drawn as an exact copy of what is under it
    // (or fully transparent with a compositor), so nobody sees it.
    m_composited = m_isCompositing && m_isCompositing();
    m_backdrop = m_composited ? QImage() : ScreenCapture::now(screen);
    m_warmingUp = true;
    // Untitled, so that nothing looking for the overlay mistakes this for it.
    setWindowTitle(QString());
    m_view->setUpdatesEnabled(false);
    // Clicks meanwhile belong to the windows it copies.
    setIgnoresMouseEvents(true);
    show();
    QElapsedTimer wait;
    wait.start();
    while (!windowHandle()->isExposed() && wait.elapsed() < warmUpWaitMilliseconds)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    // A request to show the overlay may have come in meanwhile.
    if (!m_warmingUp)
        return;
    repaint();
    hide();
    endWarmUp();
    m_backdrop = QImage();
    releaseBuffer();
}

void OverviewPanel::prepareBuffer() {
    QBackingStore* store = backingStore();
    if (!store || store->size() == m_frame.size())
        return;
    finishBuffer();
    store->resize(m_frame.size());
    const auto* picture = dynamic_cast<const QImage*>(store->paintDevice());
    if (!picture || picture->isNull())
        return;
    // Provided on another thread while this one waits for the X server,
    // which is sending the screen capture.
    m_bufferPages = std::thread(providePages, picture->constBits(), picture->sizeInBytes());
}

void OverviewPanel::finishBuffer() {
    if (m_bufferPages.joinable())
        m_bufferPages.join();
}

void OverviewPanel::releaseBuffer() {
    m_bufferRelease.stop();
    finishBuffer();
    // The next paint makes it again at the window's size.
    if (QBackingStore* store = backingStore(); store && !isVisible())
        store->resize(QSize(1, 1));
}

void OverviewPanel::endWarmUp() {
    if (!m_warmingUp)
        return;
    m_warmingUp = false;
    setWindowTitle(title);
    setIgnoresMouseEvents(false);
    m_view->setUpdatesEnabled(true);
}

void OverviewPanel::setFrame(const QRect& frame) {
    m_frame = frame;
    m_view->setGeometry(QRect(QPoint(0, 0), frame.size()));
    placeWindow();
}

void OverviewPanel::placeWindow() {
    // Without a compositor, alpha 0 can only be had by taking the window
    // out of sight; it stays mapped so it keeps its grabs.
    const bool hidden = !m_composited && m_alpha == 0;
    const QRect target = hidden ? QRect(outOfSight, m_frame.size()) : m_frame;
    if (geometry() != target)
        setGeometry(target);
}

void OverviewPanel::setAlpha(qreal alpha) {
    m_alpha = alpha;
    if (m_composited)
        setWindowOpacity(alpha);
    placeWindow();
}

void OverviewPanel::setIgnoresMouseEvents(bool ignores) {
    if (QWindow* window = windowHandle())
        window->setFlag(Qt::WindowTransparentForInput, ignores);
}

void OverviewPanel::orderFrontAndTakeKeyboard() {
    // Shown again while up: the screen now holds the overlay itself, so
    // the backdrop captured before stays.
    const bool wasOnScreen = QWidget::isVisible() && pos() != outOfSight && !m_warmingUp;
    endWarmUp();
    m_composited = m_isCompositing && m_isCompositing();
    prepareBuffer();
    if (!wasOnScreen)
        captureBackdrop();
    m_fade.stop();
    m_fadeEnd.stop();
    m_fadeCompletion = {};
    m_bufferRelease.stop();
    setAlpha(m_composited ? m_alpha : 1);
    m_orderedIn = true;
    show();
    raise();
    m_grabAttempts = 0;
    tryKeyboardGrab();
}

void OverviewPanel::captureBackdrop() {
    QScreen* screen = QGuiApplication::screenAt(m_frame.center());
    if (!screen)
        screen = QGuiApplication::primaryScreen();
    // Taken and blurred on another thread while the X server sends it and
    // the window is made ready; the first paint waits for it.
    finishBackdrop();
    m_backdrop = QImage();
    // One still running (it never came back) keeps its thread: this showing
    // goes without a backdrop.
    if (m_backdropWork.valid())
        return;
    m_capture.start(screen);
    m_backdropWork =
        std::async(std::launch::async, [this, composited = m_composited, showing = m_showing] {
            QImage screen = m_capture.take();
            QImage blurred = GlassContainer::blurredBackdrop(screen, dimming);
            // A compositor shows the screen itself behind the window.
            return Backdrop{composited ? QImage() : std::move(screen), std::move(blurred), showing};
        });
}

void OverviewPanel::finishBackdrop() {
    if (!m_backdropWork.valid() || m_backdropWork.wait_for(std::chrono::milliseconds(
                                       backdropWaitMilliseconds)) != std::future_status::ready)
        return;
    Backdrop backdrop = m_backdropWork.get();
    if (backdrop.showing != m_showing)
        return;
    m_backdrop = std::move(backdrop.screen);
    m_view->glass()->setBlurredBackdrop(std::move(backdrop.blurred));
}

void OverviewPanel::tryKeyboardGrab() {
    if (!m_orderedIn || m_holdsKeyboard)
        return;
    QWindow* window = windowHandle();
    if (window && window->isExposed() && window->setKeyboardGrabEnabled(true)) {
        m_holdsKeyboard = true;
        m_grabConfirmed = false;
        m_presses.setWatching(true);
        // Qt sends the keys of a grabbed window to the grabbing widget.
        m_view->searchField()->grabKeyboard();
        Q_EMIT keyboardHeldChanged(true);
        return;
    }
    ++m_grabAttempts;
    m_grabRetry.start(m_grabAttempts < quickGrabAttempts ? quickGrabInterval : calmGrabInterval);
}

void OverviewPanel::releaseKeyboard() {
    m_grabRetry.stop();
    if (!m_holdsKeyboard)
        return;
    m_holdsKeyboard = false;
    m_presses.setWatching(false);
    m_view->searchField()->releaseKeyboard();
    if (QWindow* window = windowHandle())
        window->setKeyboardGrabEnabled(false);
    Q_EMIT keyboardHeldChanged(false);
}

void OverviewPanel::orderOut() {
    m_fade.stop();
    m_fadeEnd.stop();
    releaseKeyboard();
    m_orderedIn = false;
    hide();
    // The capture is a picture of the user's screen: keep it no longer than
    // the overlay is up.
    finishBackdrop();
    ++m_showing;
    // A capture still being read belongs to its thread, which takes it.
    if (!m_backdropWork.valid())
        m_capture.cancel();
    m_backdrop = QImage();
    m_view->releaseBackdrops();
    m_bufferRelease.start(bufferReleaseMilliseconds);
}

void OverviewPanel::animateAlpha(qreal target, int milliseconds, std::function<void()> completion) {
    m_fade.stop();
    m_fadeEnd.stop();
    m_fadeCompletion = std::move(completion);
    // Keys typed while the overlay fades out belong to the user's window.
    if (target == 0)
        releaseKeyboard();
    if (m_composited) {
        m_fade.setStartValue(m_alpha);
        m_fade.setEndValue(target);
        m_fade.setDuration(milliseconds);
        m_fade.setEasingCurve(target > m_alpha ? QEasingCurve::OutCubic : QEasingCurve::InCubic);
        m_fade.start();
    } else {
        setAlpha(target);
    }
    m_fadeEnd.start(milliseconds);
}

void OverviewPanel::keyStatusTakenAway() {
    if (m_orderedIn && onResignKey)
        onResignKey();
}

void OverviewPanel::pressedOn(xcb_window_t topLevelWindow) {
    // The overlay covers one screen: a press elsewhere goes to a window
    // there, which may already be the active one and so change nothing
    // the window manager reports.
    for (const QWindow* window : QGuiApplication::allWindows()) {
        if (window->handle() && window->winId() == topLevelWindow)
            return;
    }
    keyStatusTakenAway();
}

bool OverviewPanel::nativeEvent(const QByteArray& eventType, void* message, qintptr* result) {
    if (eventType != "xcb_generic_event_t")
        return QWidget::nativeEvent(eventType, message, result);
    const auto* event = static_cast<const xcb_generic_event_t*>(message);
    const uint8_t type = event->response_type & 0x7f;
    if (type != XCB_FOCUS_IN && type != XCB_FOCUS_OUT)
        return false;
    // Focus events tell when the keyboard grab begins and ends; one ending
    // while the overlay still counts on it was taken away.
    const auto* focus = reinterpret_cast<const xcb_focus_in_event_t*>(event);
    if (focus->event != winId() || !m_holdsKeyboard)
        return false;
    // Events with the pointer's detail go to the window under the pointer,
    // which is the overlay itself, when the focus was on the pointer's
    // root: they come in pairs as the grab begins and say nothing of it.
    if (focus->detail >= XCB_NOTIFY_DETAIL_POINTER)
        return false;
    if (type == XCB_FOCUS_IN && focus->mode == XCB_NOTIFY_MODE_GRAB) {
        m_grabConfirmed = true;
    } else if (type == XCB_FOCUS_OUT && focus->mode == XCB_NOTIFY_MODE_UNGRAB && m_grabConfirmed) {
        releaseKeyboard();
        keyStatusTakenAway();
    }
    return false;
}

void OverviewPanel::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    if (m_warmingUp) {
        painter.setCompositionMode(QPainter::CompositionMode_Source);
        if (m_backdrop.isNull())
            painter.fillRect(rect(), Qt::transparent);
        else
            painter.drawImage(rect(), m_backdrop);
        return;
    }
    finishBuffer();
    painter.setCompositionMode(QPainter::CompositionMode_Source);
    finishBackdrop();
    if (!m_composited && !m_backdrop.isNull()) {
        painter.drawImage(rect(), m_backdrop);
        painter.setCompositionMode(QPainter::CompositionMode_SourceOver);
    }
    painter.fillRect(rect(), QColor(0, 0, 0, int(dimming * 255)));
    painter.end();
    if (onPainted)
        onPainted();
}
