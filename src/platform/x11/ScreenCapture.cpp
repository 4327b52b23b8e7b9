#include "ScreenCapture.h"

#include <QGuiApplication>
#include <QPixmap>
#include <QScreen>
#include <qguiapplication_platform.h>

#include <cstdlib>
#include <xcb/xcb.h>

namespace {

// Pictures this layout can use as they come: 24-bit colour in 32-bit
// pixels, least significant byte first, as on every PC X server.
bool hasPlainPixels(xcb_connection_t* connection, uint8_t depth) {
    const xcb_setup_t* setup = xcb_get_setup(connection);
    if (depth != 24 || setup->image_byte_order != XCB_IMAGE_ORDER_LSB_FIRST)
        return false;
    xcb_format_iterator_t format = xcb_setup_pixmap_formats_iterator(setup);
    for (; format.rem; xcb_format_next(&format)) {
        if (format.data->depth == depth)
            return format.data->bits_per_pixel == 32 && format.data->scanline_pad == 32;
    }
    return false;
}

xcb_screen_t* rootScreen(xcb_connection_t* connection) {
    return xcb_setup_roots_iterator(xcb_get_setup(connection)).data;
}

} // namespace

ScreenCapture::~ScreenCapture() {
    cancel();
}

void ScreenCapture::start(QScreen* screen) {
    cancel();
    m_picture = QImage();
    if (!screen)
        return;
    auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    xcb_connection_t* connection = x11 ? x11->connection() : nullptr;
    if (!connection || !hasPlainPixels(connection, rootScreen(connection)->root_depth)) {
        m_picture = screen->grabWindow(0).toImage();
        return;
    }
    // Screens keep their place in device pixels; only their size is scaled.
    m_ratio = screen->devicePixelRatio();
    const QRect frame(screen->geometry().topLeft(), screen->geometry().size() * m_ratio);
    m_connection = connection;
    m_size = frame.size();
    m_sequence = xcb_get_image(connection, XCB_IMAGE_FORMAT_Z_PIXMAP, rootScreen(connection)->root,
                               int16_t(frame.x()), int16_t(frame.y()), uint16_t(frame.width()),
                               uint16_t(frame.height()), ~0u)
                     .sequence;
    m_pending = true;
    xcb_flush(connection);
}

QImage ScreenCapture::take() {
    if (!m_pending)
        return std::exchange(m_picture, QImage());
    m_pending = false;
    auto* reply = xcb_get_image_reply(m_connection, xcb_get_image_cookie_t{m_sequence}, nullptr);
    if (!reply)
        return {};
    const qsizetype length = xcb_get_image_data_length(reply);
    if (length < qsizetype(m_size.width()) * m_size.height() * 4) {
        std::free(reply);
        return {};
    }
    // The picture lives in the reply, which goes when the picture does.
    QImage picture(xcb_get_image_data(reply), m_size.width(), m_size.height(), m_size.width() * 4,
                   QImage::Format_RGB32, std::free, reply);
    picture.setDevicePixelRatio(m_ratio);
    return picture;
}

void ScreenCapture::cancel() {
    if (m_pending)
        xcb_discard_reply(m_connection, m_sequence);
    m_pending = false;
}

QImage ScreenCapture::now(QScreen* screen) {
    ScreenCapture capture;
    capture.start(screen);
    return capture.take();
}
