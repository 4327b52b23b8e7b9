#pragma once

#include <QImage>

#include <cstdint>

class QScreen;
struct xcb_connection_t;

// What a screen shows, read straight from the X server in one request that
// is answered while Velloq does other work: Qt's own capture waits for the
// answer and copies and converts the screenful twice more. Falls back to
// Qt's capture, at once, on servers with an unusual pixel layout.
class ScreenCapture {
public:
    ScreenCapture() = default;
    ~ScreenCapture();
    ScreenCapture(const ScreenCapture&) = delete;
    ScreenCapture& operator=(const ScreenCapture&) = delete;

    // Asks for what `screen` shows now: windows shown after this call are
    // not in the picture. Drops a picture asked for before.
    void start(QScreen* screen);
    // The picture asked for, waiting for it if needed; null when nothing
    // was asked for or the server refused.
    QImage take();
    // Drops the picture asked for, without waiting.
    void cancel();

    // start() and take() in one.
    static QImage now(QScreen* screen);

private:
    xcb_connection_t* m_connection = nullptr;
    std::uint32_t m_sequence = 0;
    bool m_pending = false;
    QSize m_size;
    qreal m_ratio = 1;
    QImage m_picture;
};
