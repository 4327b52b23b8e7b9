#include "WaylandScreenCapture.h"

#include "WaylandEventPump.h"
#include "WaylandRegistry.h"
#include "wlr-screencopy-unstable-v1-client.h"

#include <QLoggingCategory>

#include <sys/mman.h>
#include <unistd.h>
#include <wayland-client.h>

namespace {

Q_LOGGING_CATEGORY(lcScreenCapture, "velloq.wayland.screencapture")

// The layouts a picture takes as they come; the alpha of a screen means
// nothing, so every one is read as opaque.
std::optional<QImage::Format> imageFormat(uint32_t format) {
    switch (format) {
    case WL_SHM_FORMAT_ARGB8888:
    case WL_SHM_FORMAT_XRGB8888:
        return QImage::Format_RGB32;
    case WL_SHM_FORMAT_ABGR8888:
    case WL_SHM_FORMAT_XBGR8888:
        return QImage::Format_RGBX8888;
    default:
        return std::nullopt;
    }
}

void unmapPixels(void* info) {
    const auto* mapping = static_cast<std::pair<void*, std::size_t>*>(info);
    munmap(mapping->first, mapping->second);
    delete mapping;
}

// Shared memory the compositor can write into, or none.
std::pair<int, uchar*> sharedMemory(std::size_t bytes) {
    const int fd = memfd_create("velloq-screen", MFD_CLOEXEC);
    if (fd < 0)
        return {-1, nullptr};
    if (ftruncate(fd, off_t(bytes)) < 0) {
        close(fd);
        return {-1, nullptr};
    }
    void* pixels = mmap(nullptr, bytes, PROT_READ | PROT_WRITE, MAP_SHARED, fd, 0);
    if (pixels == MAP_FAILED) {
        close(fd);
        return {-1, nullptr};
    }
    return {fd, static_cast<uchar*>(pixels)};
}

} // namespace

std::unique_ptr<WaylandScreenCapture> WaylandScreenCapture::create(QObject* parent) {
    std::unique_ptr<WaylandScreenCapture> capture(new WaylandScreenCapture(parent));
    capture->m_display = wl_display_connect(nullptr);
    if (!capture->m_display || !capture->bind())
        return nullptr;
    // A capture asked for never comes once the compositor has gone.
    capture->m_events =
        std::make_unique<WaylandEventPump>(capture->m_display, [self = capture.get()] {
            if (self->m_frame)
                self->finish(QImage());
        });
    return capture;
}

WaylandScreenCapture::WaylandScreenCapture(QObject* parent) : QObject(parent) {}

WaylandScreenCapture::~WaylandScreenCapture() {
    m_events.reset();
    dropFrame();
    for (wl_output* output : m_outputs.keys())
        wl_output_destroy(output);
    if (m_shm)
        wl_shm_destroy(m_shm);
    if (m_manager)
        zwlr_screencopy_manager_v1_destroy(m_manager);
    if (m_display)
        wl_display_disconnect(m_display);
}

// The manager, shared memory and every output, with the outputs' names.
bool WaylandScreenCapture::bind() {
    static const wl_output_listener outputListener{
        &WaylandScreenCapture::outputGeometry, &WaylandScreenCapture::outputMode,
        &WaylandScreenCapture::outputDone,     &WaylandScreenCapture::outputScale,
        &WaylandScreenCapture::outputName,     &WaylandScreenCapture::outputDescription};
    const auto addOutput = [this](void* proxy) {
        auto* output = static_cast<wl_output*>(proxy);
        m_outputs.insert(output, QString());
        wl_output_add_listener(output, &outputListener, this);
    };
    if (!WaylandRegistry::read(
            m_display, {WaylandRegistry::bind(m_manager, zwlr_screencopy_manager_v1_interface, 3),
                        WaylandRegistry::bind(m_shm, wl_shm_interface, 1),
                        WaylandRegistry::bindEvery(wl_output_interface, 4, addOutput)}))
        return false;
    if (!m_manager || !m_shm || m_outputs.isEmpty()) {
        qCDebug(lcScreenCapture) << "the compositor does not let clients copy the screen";
        return false;
    }
    return wl_display_roundtrip(m_display) >= 0;
}

void WaylandScreenCapture::start(const QString& outputName) {
    cancel();
    wl_output* output = outputNamed(outputName);
    if (!output)
        return;
    static const zwlr_screencopy_frame_v1_listener frameListener{
        &WaylandScreenCapture::frameBuffer,    &WaylandScreenCapture::frameFlags,
        &WaylandScreenCapture::frameReady,     &WaylandScreenCapture::frameFailed,
        &WaylandScreenCapture::frameDamage,    &WaylandScreenCapture::frameDmabuf,
        &WaylandScreenCapture::frameBufferDone};
    m_frame = zwlr_screencopy_manager_v1_capture_output(m_manager, 0, output);
    zwlr_screencopy_frame_v1_add_listener(m_frame, &frameListener, this);
    m_layout = {};
    m_invertedY = false;
    wl_display_flush(m_display);
}

void WaylandScreenCapture::cancel() {
    dropFrame();
}

wl_output* WaylandScreenCapture::outputNamed(const QString& name) const {
    if (m_outputs.size() == 1)
        return m_outputs.keys().first();
    return m_outputs.key(name, nullptr);
}

void WaylandScreenCapture::copyInto(const Layout& layout) {
    m_bytes = std::size_t(layout.stride) * std::size_t(layout.height);
    const auto [fd, pixels] = sharedMemory(m_bytes);
    if (!pixels) {
        finish(QImage());
        return;
    }
    m_pixels = pixels;
    wl_shm_pool* pool = wl_shm_create_pool(m_shm, fd, int32_t(m_bytes));
    m_buffer = wl_shm_pool_create_buffer(pool, 0, layout.width, layout.height, layout.stride,
                                         layout.format);
    wl_shm_pool_destroy(pool);
    close(fd);
    zwlr_screencopy_frame_v1_copy(m_frame, m_buffer);
    wl_display_flush(m_display);
}

void WaylandScreenCapture::finish(QImage picture) {
    dropFrame();
    Q_EMIT captured(picture);
}

void WaylandScreenCapture::dropFrame() {
    if (m_frame)
        zwlr_screencopy_frame_v1_destroy(m_frame);
    m_frame = nullptr;
    if (m_buffer)
        wl_buffer_destroy(m_buffer);
    m_buffer = nullptr;
    if (m_pixels)
        munmap(m_pixels, m_bytes);
    m_pixels = nullptr;
}

void WaylandScreenCapture::outputGeometry(void*, wl_output*, int32_t, int32_t, int32_t, int32_t,
                                          int32_t, const char*, const char*, int32_t) {}

void WaylandScreenCapture::outputMode(void*, wl_output*, uint32_t, int32_t, int32_t, int32_t) {}

void WaylandScreenCapture::outputDone(void*, wl_output*) {}

void WaylandScreenCapture::outputScale(void*, wl_output*, int32_t) {}

void WaylandScreenCapture::outputName(void* data, wl_output* output, const char* name) {
    static_cast<WaylandScreenCapture*>(data)->m_outputs[output] = QString::fromUtf8(name);
}

void WaylandScreenCapture::outputDescription(void*, wl_output*, const char*) {}

void WaylandScreenCapture::frameBuffer(void* data, zwlr_screencopy_frame_v1* frame, uint32_t format,
                                       uint32_t width, uint32_t height, uint32_t stride) {
    auto* self = static_cast<WaylandScreenCapture*>(data);
    const bool usable = imageFormat(format) && width > 0 && height > 0 && width <= 16384 &&
                        height <= 16384 && stride >= width * 4 && stride <= width * 8;
    if (self->m_layout.width == 0 && usable)
        self->m_layout = {format, int(width), int(height), int(stride)};
    // Before version 3 this is the only layout told, with no end marker.
    if (zwlr_screencopy_frame_v1_get_version(frame) < 3)
        frameBufferDone(data, frame);
}

void WaylandScreenCapture::frameFlags(void* data, zwlr_screencopy_frame_v1*, uint32_t flags) {
    static_cast<WaylandScreenCapture*>(data)->m_invertedY =
        flags & ZWLR_SCREENCOPY_FRAME_V1_FLAGS_Y_INVERT;
}

void WaylandScreenCapture::frameBufferDone(void* data, zwlr_screencopy_frame_v1*) {
    auto* self = static_cast<WaylandScreenCapture*>(data);
    if (self->m_layout.width == 0) {
        qCDebug(lcScreenCapture) << "no screen layout Velloq can read";
        self->finish(QImage());
        return;
    }
    self->copyInto(self->m_layout);
}

void WaylandScreenCapture::frameReady(void* data, zwlr_screencopy_frame_v1*, uint32_t, uint32_t,
                                      uint32_t) {
    auto* self = static_cast<WaylandScreenCapture*>(data);
    const Layout layout = self->m_layout;
    // The picture keeps the mapping and gives it back when it goes.
    auto* mapping = new std::pair<void*, std::size_t>(self->m_pixels, self->m_bytes);
    QImage picture(self->m_pixels, layout.width, layout.height, layout.stride,
                   *imageFormat(layout.format), unmapPixels, mapping);
    self->m_pixels = nullptr;
    if (self->m_invertedY)
        picture = picture.mirrored(false, true);
    self->finish(std::move(picture));
}

void WaylandScreenCapture::frameFailed(void* data, zwlr_screencopy_frame_v1*) {
    static_cast<WaylandScreenCapture*>(data)->finish(QImage());
}

void WaylandScreenCapture::frameDamage(void*, zwlr_screencopy_frame_v1*, uint32_t, uint32_t,
                                       uint32_t, uint32_t) {}

void WaylandScreenCapture::frameDmabuf(void*, zwlr_screencopy_frame_v1*, uint32_t, uint32_t,
                                       uint32_t) {}
