#pragma once

#include <QString>

#include <memory>

struct wl_display;
struct wl_seat;

// One seat's clipboard through a data-control protocol: the standard
// ext-data-control (KWin since Plasma 6.5, wlroots 0.19) or wlroots' older
// zwlr-data-control. The two have the same design, so the objects of either
// stand behind opaque handles here and their events reach one listener; the
// connection that reads and writes the clipboard is the same for both.
class WaylandDataControl {
public:
    using Offer = void*;
    using Source = void*;

    // What the compositor tells of the seat's clipboard.
    class Listener {
    public:
        virtual ~Listener() = default;
        // A new offer, whose types follow; a selection event names it next.
        virtual void offerAnnounced(Offer offer) = 0;
        virtual void offerType(Offer offer, const char* mimeType) = 0;
        // The clipboard now holds `offer`; null when it is empty.
        virtual void selectionChanged(Offer offer) = 0;
        virtual void primarySelectionChanged(Offer offer) = 0;
        // The device is gone (the seat was removed): no more events come.
        virtual void finished() = 0;
        // A paste asks one type of our selection down `fd`, which is ours
        // to close.
        virtual void sendRequested(Source source, const char* mimeType, int fd) = 0;
        // Another client took the clipboard; `source` is to be destroyed.
        virtual void sourceCancelled(Source source) = 0;
    };

    // The data-control device of `seat`, through ext-data-control where the
    // compositor offers it, else zwlr-data-control; none when it offers
    // neither. `listener` must outlive the device.
    static std::unique_ptr<WaylandDataControl> bind(wl_display* display, wl_seat* seat,
                                                    Listener& listener);
    virtual ~WaylandDataControl() = default;

    // The protocol's manager interface, as the compositor names it.
    virtual QString protocolName() const = 0;

    virtual void receive(Offer offer, const char* mimeType, int fd) = 0;
    virtual void destroyOffer(Offer offer) = 0;
    // A new source, offering nothing yet.
    virtual Source createSource() = 0;
    virtual void offer(Source source, const char* mimeType) = 0;
    virtual void setSelection(Source source) = 0;
    virtual void destroySource(Source source) = 0;
};
