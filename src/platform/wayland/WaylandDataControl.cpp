#include "WaylandDataControl.h"

#include "WaylandRegistry.h"
#include "ext-data-control-v1-client.h"
#include "wlr-data-control-unstable-v1-client.h"

#include <wayland-client.h>

namespace {

// The names of one data-control protocol's objects and requests. The two
// protocols differ in their prefix only, which this spells out once.
#define DATA_CONTROL_PROTOCOL(Traits, prefix, version)                                             \
    struct Traits {                                                                                \
        using Manager = prefix##_manager_v1;                                                       \
        using Device = prefix##_device_v1;                                                         \
        using Offer = prefix##_offer_v1;                                                           \
        using Source = prefix##_source_v1;                                                         \
        using DeviceListener = prefix##_device_v1_listener;                                        \
        using OfferListener = prefix##_offer_v1_listener;                                          \
        using SourceListener = prefix##_source_v1_listener;                                        \
        static constexpr const wl_interface& managerInterface = prefix##_manager_v1_interface;     \
        static constexpr uint32_t managerVersion = version;                                        \
        static constexpr auto getDevice = prefix##_manager_v1_get_data_device;                     \
        static constexpr auto createSource = prefix##_manager_v1_create_data_source;               \
        static constexpr auto destroyManager = prefix##_manager_v1_destroy;                        \
        static constexpr auto addDeviceListener = prefix##_device_v1_add_listener;                 \
        static constexpr auto setSelection = prefix##_device_v1_set_selection;                     \
        static constexpr auto destroyDevice = prefix##_device_v1_destroy;                          \
        static constexpr auto addOfferListener = prefix##_offer_v1_add_listener;                   \
        static constexpr auto receive = prefix##_offer_v1_receive;                                 \
        static constexpr auto destroyOffer = prefix##_offer_v1_destroy;                            \
        static constexpr auto addSourceListener = prefix##_source_v1_add_listener;                 \
        static constexpr auto offer = prefix##_source_v1_offer;                                    \
        static constexpr auto destroySource = prefix##_source_v1_destroy;                          \
    }

DATA_CONTROL_PROTOCOL(ExtDataControl, ext_data_control, 1);
// Version 2 adds the primary selection, which is only told apart here.
DATA_CONTROL_PROTOCOL(WlrDataControl, zwlr_data_control, 2);

#undef DATA_CONTROL_PROTOCOL

template <typename Protocol>
class DataControlOf final : public WaylandDataControl {
public:
    DataControlOf(typename Protocol::Manager* manager, wl_seat* seat, Listener& listener)
        : m_manager(manager), m_device(Protocol::getDevice(manager, seat)), m_listener(listener) {
        Protocol::addDeviceListener(m_device, &deviceListener, this);
    }
    ~DataControlOf() override {
        Protocol::destroyDevice(m_device);
        Protocol::destroyManager(m_manager);
    }
    DataControlOf(const DataControlOf&) = delete;
    DataControlOf& operator=(const DataControlOf&) = delete;

    QString protocolName() const override {
        return QString::fromLatin1(Protocol::managerInterface.name);
    }
    void receive(Offer offer, const char* mimeType, int fd) override {
        Protocol::receive(asOffer(offer), mimeType, fd);
    }
    void destroyOffer(Offer offer) override { Protocol::destroyOffer(asOffer(offer)); }
    Source createSource() override {
        auto* source = Protocol::createSource(m_manager);
        Protocol::addSourceListener(source, &sourceListener, this);
        return source;
    }
    void offer(Source source, const char* mimeType) override {
        Protocol::offer(asSource(source), mimeType);
    }
    void setSelection(Source source) override {
        Protocol::setSelection(m_device, asSource(source));
    }
    void destroySource(Source source) override { Protocol::destroySource(asSource(source)); }

private:
    static typename Protocol::Offer* asOffer(Offer offer) {
        return static_cast<typename Protocol::Offer*>(offer);
    }
    static typename Protocol::Source* asSource(Source source) {
        return static_cast<typename Protocol::Source*>(source);
    }
    static Listener& listenerOf(void* data) {
        return static_cast<DataControlOf*>(data)->m_listener;
    }

    static void dataOffer(void* data, typename Protocol::Device*, typename Protocol::Offer* offer) {
        Protocol::addOfferListener(offer, &offerListener, data);
        listenerOf(data).offerAnnounced(offer);
    }
    static void selection(void* data, typename Protocol::Device*, typename Protocol::Offer* offer) {
        listenerOf(data).selectionChanged(offer);
    }
    static void finished(void* data, typename Protocol::Device*) { listenerOf(data).finished(); }
    static void primarySelection(void* data, typename Protocol::Device*,
                                 typename Protocol::Offer* offer) {
        listenerOf(data).primarySelectionChanged(offer);
    }
    static void offerType(void* data, typename Protocol::Offer* offer, const char* mimeType) {
        listenerOf(data).offerType(offer, mimeType);
    }
    static void send(void* data, typename Protocol::Source* source, const char* mimeType,
                     int32_t fd) {
        listenerOf(data).sendRequested(source, mimeType, fd);
    }
    static void cancelled(void* data, typename Protocol::Source* source) {
        listenerOf(data).sourceCancelled(source);
    }

    static constexpr typename Protocol::DeviceListener deviceListener{&dataOffer, &selection,
                                                                      &finished, &primarySelection};
    static constexpr typename Protocol::OfferListener offerListener{&offerType};
    static constexpr typename Protocol::SourceListener sourceListener{&send, &cancelled};

    typename Protocol::Manager* m_manager;
    typename Protocol::Device* m_device;
    Listener& m_listener;
};

template <typename Protocol>
WaylandRegistry::Binding bindingOf(typename Protocol::Manager*& manager) {
    return WaylandRegistry::bind(manager, Protocol::managerInterface, Protocol::managerVersion);
}

} // namespace

// Both managers in one round trip; the older one goes where the standard
// one is offered too.
std::unique_ptr<WaylandDataControl> WaylandDataControl::bind(wl_display* display, wl_seat* seat,
                                                             Listener& listener) {
    ExtDataControl::Manager* standard = nullptr;
    WlrDataControl::Manager* wlroots = nullptr;
    if (!WaylandRegistry::read(
            display, {bindingOf<ExtDataControl>(standard), bindingOf<WlrDataControl>(wlroots)}))
        return nullptr;
    if (standard) {
        if (wlroots)
            WlrDataControl::destroyManager(wlroots);
        return std::make_unique<DataControlOf<ExtDataControl>>(standard, seat, listener);
    }
    if (wlroots)
        return std::make_unique<DataControlOf<WlrDataControl>>(wlroots, seat, listener);
    return nullptr;
}
