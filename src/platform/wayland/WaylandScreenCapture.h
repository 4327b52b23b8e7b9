#pragma once

#include <QHash>
#include <QImage>
#include <QObject>
#include <QString>

#include <cstdint>
#include <memory>

class WaylandEventPump;
struct wl_buffer;
struct wl_display;
struct wl_output;
struct wl_shm;
struct zwlr_screencopy_frame_v1;
struct zwlr_screencopy_manager_v1;

// What an output shows, through the wlroots screen-copy protocol on a
// connection of our own, handled from the event loop of the thread that
// made it. Asked for just before the overlay maps, it is the screen the
// overlay's glass blurs. Compositors without the protocol (GNOME, KDE)
// offer nothing: create() gives none there.
class WaylandScreenCapture : public QObject {
    Q_OBJECT

public:
    // None without a compositor ($WAYLAND_DISPLAY) or without the protocol.
    static std::unique_ptr<WaylandScreenCapture> create(QObject* parent = nullptr);
    ~WaylandScreenCapture() override;

    // Asks for what the output named `outputName` shows now (the only
    // output when there is one, whatever its name); `captured` tells the
    // answer. Drops a capture asked for before.
    void start(const QString& outputName);
    // Drops the capture asked for: nothing is told of it.
    void cancel();
    bool isCapturing() const { return m_frame != nullptr; }

Q_SIGNALS:
    // The picture asked for, opaque; null when the compositor refused.
    void captured(const QImage& picture);

private:
    // The shared-memory layout the compositor asks for.
    struct Layout {
        uint32_t format = 0;
        int width = 0;
        int height = 0;
        int stride = 0;
    };

    explicit WaylandScreenCapture(QObject* parent);
    bool bind();
    wl_output* outputNamed(const QString& name) const;
    void copyInto(const Layout& layout);
    void finish(QImage picture);
    void dropFrame();

    static void outputGeometry(void*, wl_output*, int32_t, int32_t, int32_t, int32_t, int32_t,
                               const char*, const char*, int32_t);
    static void outputMode(void*, wl_output*, uint32_t, int32_t, int32_t, int32_t);
    static void outputDone(void*, wl_output*);
    static void outputScale(void*, wl_output*, int32_t);
    static void outputName(void* data, wl_output* output, const char* name);
    static void outputDescription(void*, wl_output*, const char*);
    static void frameBuffer(void* data, zwlr_screencopy_frame_v1* frame, uint32_t format,
                            uint32_t width, uint32_t height, uint32_t stride);
    static void frameFlags(void* data, zwlr_screencopy_frame_v1* frame, uint32_t flags);
    static void frameReady(void* data, zwlr_screencopy_frame_v1* frame, uint32_t, uint32_t,
                           uint32_t);
    static void frameFailed(void* data, zwlr_screencopy_frame_v1* frame);
    static void frameDamage(void*, zwlr_screencopy_frame_v1*, uint32_t, uint32_t, uint32_t,
                            uint32_t);
    static void frameDmabuf(void*, zwlr_screencopy_frame_v1*, uint32_t, uint32_t, uint32_t);
    static void frameBufferDone(void* data, zwlr_screencopy_frame_v1* frame);

    wl_display* m_display = nullptr;
    zwlr_screencopy_manager_v1* m_manager = nullptr;
    wl_shm* m_shm = nullptr;
    QHash<wl_output*, QString> m_outputs;
    std::unique_ptr<WaylandEventPump> m_events;
    zwlr_screencopy_frame_v1* m_frame = nullptr;
    // The first layout offered that a picture can use as it comes.
    Layout m_layout;
    bool m_invertedY = false;
    wl_buffer* m_buffer = nullptr;
    // The copy's pixels, mapped shared with the compositor.
    uchar* m_pixels = nullptr;
    std::size_t m_bytes = 0;
};
