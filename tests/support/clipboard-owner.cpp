// velloq-clipboard-owner: owns the X11 CLIPBOARD selection with chosen targets, so that tests can
// copy the way real applications do (several targets, password-manager hints, INCR transfers)
// and the way broken owners do (never answering, stopping in the middle of a transfer).
//
// Plain xcb on purpose: the peer must behave exactly as told, whatever the Qt code under test
// does.

#include <algorithm>
#include <array>
#include <cerrno>
#include <charconv>
#include <csignal>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <fstream>
#include <map>
#include <memory>
#include <optional>
#include <poll.h>
#include <span>
#include <string>
#include <string_view>
#include <unistd.h>
#include <utility>
#include <vector>
#include <xcb/xcb.h>

namespace {

constexpr const char* kUsage =
    "usage: velloq-clipboard-owner [--silent] [--incr-above BYTES] [--chunk BYTES]\n"
    "         [--stop-after BYTES] [--exit-after-requests N] [--extra-targets N]\n"
    "         [--retake-every MS]\n"
    "         [TARGET=VALUE...]\n"
    "  VALUE is literal text, or @PATH for the bytes of a file. A target may carry MIME\n"
    "  parameters: in text/plain;charset=utf-8=hi the target is text/plain;charset=utf-8.\n";

// Room for the ChangeProperty request header when sizing properties to the request limit.
constexpr std::size_t kRequestMargin = 1024;
constexpr std::size_t kDefaultChunk = 64 * 1024;

volatile std::sig_atomic_t g_terminated = 0;

struct FreeDeleter {
    void operator()(void* pointer) const { std::free(pointer); }
};
// Replies, events and errors from xcb are malloc'ed.
template <typename T>
using Owned = std::unique_ptr<T, FreeDeleter>;

struct UsageError {
    std::string message;
};

struct Offer {
    std::string name;
    std::string bytes;
    xcb_atom_t atom = XCB_ATOM_NONE;
    xcb_atom_t type = XCB_ATOM_NONE;
};

struct Options {
    bool help = false;
    bool silent = false;
    std::optional<std::size_t> incrAbove;
    std::size_t chunk = kDefaultChunk;
    std::optional<std::size_t> stopAfter;
    std::size_t exitAfterRequests = 0; // 0: never
    std::size_t extraTargets = 0;      // listed in TARGETS, never served
    std::size_t retakeEveryMs = 0;     // 0: never; else takes the clipboard anew this often
    std::vector<Offer> offers;
};

// ---- Command line ----------------------------------------------------------------------------

std::size_t parseCount(std::string_view option, std::string_view text) {
    std::size_t value = 0;
    const char* end = text.data() + text.size();
    auto [stop, error] = std::from_chars(text.data(), end, value);
    if (error != std::errc{} || stop != end)
        throw UsageError{std::string(option) + " expects a number, not '" + std::string(text) +
                         "'"};
    return value;
}

// MIME targets carry parameters ("text/plain;charset=utf-8"): the '=' right after a parameter
// name belongs to the target, the first other '=' starts the value.
std::size_t valueSeparator(std::string_view argument) {
    for (auto pos = argument.find('='); pos != std::string_view::npos;
         pos = argument.find('=', pos + 1)) {
        const std::string_view name = argument.substr(0, pos);
        const auto semicolon = name.rfind(';');
        const bool parameterName = semicolon != std::string_view::npos &&
                                   name.substr(semicolon + 1).find('=') == std::string_view::npos;
        if (!parameterName)
            return pos;
    }
    return std::string_view::npos;
}

std::string readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in)
        throw UsageError{"cannot read '" + path + "'"};
    std::string bytes;
    std::array<char, 1 << 16> buffer;
    while (in.read(buffer.data(), buffer.size()) || in.gcount() > 0)
        bytes.append(buffer.data(), static_cast<std::size_t>(in.gcount()));
    if (in.bad())
        throw UsageError{"cannot read '" + path + "'"};
    return bytes;
}

Offer parseOffer(std::string_view argument, const std::vector<Offer>& earlier) {
    const auto separator = valueSeparator(argument);
    if (separator == std::string_view::npos || separator == 0)
        throw UsageError{"expected TARGET=VALUE, not '" + std::string(argument) + "'"};
    Offer offer{std::string(argument.substr(0, separator)),
                std::string(argument.substr(separator + 1))};
    for (std::string_view own : {"TARGETS", "TIMESTAMP", "MULTIPLE"}) {
        if (offer.name == own)
            throw UsageError{offer.name + " is answered by the helper itself"};
    }
    if (std::ranges::any_of(earlier, [&](const Offer& o) { return o.name == offer.name; }))
        throw UsageError{offer.name + " is offered twice"};
    if (offer.name.size() > UINT16_MAX)
        throw UsageError{"target name too long"};
    if (offer.bytes.starts_with('@'))
        offer.bytes = readFile(offer.bytes.substr(1));
    return offer;
}

Options parseArguments(std::span<char* const> arguments) {
    Options options;
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        const std::string_view argument = arguments[i];
        const auto count = [&] {
            if (++i == arguments.size())
                throw UsageError{std::string(argument) + " expects a value"};
            return parseCount(argument, arguments[i]);
        };
        if (argument == "--help" || argument == "-h")
            options.help = true;
        else if (argument == "--silent")
            options.silent = true;
        else if (argument == "--incr-above")
            options.incrAbove = count();
        else if (argument == "--chunk")
            options.chunk = count();
        else if (argument == "--stop-after")
            options.stopAfter = count();
        else if (argument == "--exit-after-requests")
            options.exitAfterRequests = count();
        else if (argument == "--extra-targets")
            options.extraTargets = count();
        else if (argument == "--retake-every")
            options.retakeEveryMs = count();
        else if (argument.starts_with('-'))
            throw UsageError{"unknown option " + std::string(argument)};
        else
            options.offers.push_back(parseOffer(argument, options.offers));
    }
    if (options.chunk == 0)
        throw UsageError{"--chunk must be at least 1"};
    return options;
}

// ---- Signals ---------------------------------------------------------------------------------

void onTerminationSignal(int) {
    g_terminated = 1;
}

// SIGTERM and SIGINT stay blocked except inside ppoll, so they interrupt the wait for the
// server and never an event being handled. Returns the signal mask to wait with.
sigset_t handleTermination() {
    struct sigaction action {};
    action.sa_handler = onTerminationSignal;
    sigemptyset(&action.sa_mask);
    sigaction(SIGTERM, &action, nullptr);
    sigaction(SIGINT, &action, nullptr);
    // A closed X socket is reported by xcb (exit 1); a closed standard output does not matter.
    std::signal(SIGPIPE, SIG_IGN);
    sigset_t termination;
    sigemptyset(&termination);
    sigaddset(&termination, SIGTERM);
    sigaddset(&termination, SIGINT);
    sigset_t waitMask;
    sigprocmask(SIG_BLOCK, &termination, &waitMask);
    sigdelset(&waitMask, SIGTERM);
    sigdelset(&waitMask, SIGINT);
    return waitMask;
}

// ---- X11 -------------------------------------------------------------------------------------

std::vector<xcb_atom_t> internAtoms(xcb_connection_t* connection,
                                    const std::vector<std::string_view>& names) {
    std::vector<xcb_intern_atom_cookie_t> cookies;
    for (std::string_view name : names)
        cookies.push_back(
            xcb_intern_atom(connection, 0, static_cast<std::uint16_t>(name.size()), name.data()));
    std::vector<xcb_atom_t> atoms;
    for (xcb_intern_atom_cookie_t cookie : cookies) {
        xcb_generic_error_t* error = nullptr;
        Owned<xcb_intern_atom_reply_t> reply(xcb_intern_atom_reply(connection, cookie, &error));
        std::free(error);
        atoms.push_back(reply ? reply->atom : xcb_atom_t{XCB_ATOM_NONE});
    }
    return atoms;
}

bool isAscii(std::string_view bytes) {
    return std::ranges::all_of(bytes, [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}

class ClipboardOwner {
public:
    ClipboardOwner(xcb_connection_t* connection, const xcb_screen_t& screen, Options& options)
        : m_c(connection), m_screen(screen), m_options(options) {}

    bool takeClipboard();
    int serve(const sigset_t& waitMask);

private:
    // INCR state per requestor window and property: one window may run several at once.
    using Key = std::pair<xcb_window_t, xcb_atom_t>;
    struct Transfer {
        const Offer* offer = nullptr;
        std::size_t sent = 0;
    };
    using Transfers = std::map<Key, Transfer>;

    bool internAll();
    void createWindow();
    std::optional<xcb_timestamp_t> serverTime();
    bool ownsClipboard();

    bool handle(const xcb_generic_event_t& event);
    void answer(const xcb_selection_request_event_t& request);
    bool isForUs(const xcb_selection_request_event_t& request) const;
    const Offer* find(xcb_atom_t target) const;
    void writeTargets(xcb_window_t window, xcb_atom_t property);
    void writeBytes(xcb_window_t window, xcb_atom_t property, xcb_atom_t type,
                    std::string_view bytes);
    void notify(const xcb_selection_request_event_t& request, xcb_atom_t property);

    void startIncr(const xcb_selection_request_event_t& request, xcb_atom_t property,
                   const Offer& offer);
    void sendNextChunk(Transfers::iterator transfer);
    void finish(Transfers::iterator transfer);
    void dropTransfers(xcb_window_t window);
    bool hasTransfers(xcb_window_t window) const;
    void watch(xcb_window_t window, std::uint32_t events);
    void stopIfDue(std::size_t sent);
    void onError(const xcb_generic_error_t& error);

    bool servedEnough() const;
    bool waitForServer(const sigset_t& waitMask);
    void sync();

    xcb_connection_t* m_c;
    const xcb_screen_t& m_screen;
    Options& m_options;
    xcb_window_t m_window = XCB_WINDOW_NONE;
    xcb_timestamp_t m_ownedSince = XCB_CURRENT_TIME;
    std::size_t m_incrAbove = 0;
    std::size_t m_chunk = 0;
    std::size_t m_answered = 0;
    bool m_stopped = false;
    bool m_retakeDue = false;
    Transfers m_transfers;
    xcb_atom_t m_clipboard = XCB_ATOM_NONE;
    xcb_atom_t m_targets = XCB_ATOM_NONE;
    std::vector<xcb_atom_t> m_extraTargets;
    xcb_atom_t m_timestamp = XCB_ATOM_NONE;
    xcb_atom_t m_incr = XCB_ATOM_NONE;
    xcb_atom_t m_utf8String = XCB_ATOM_NONE;
    xcb_atom_t m_timeProbe = XCB_ATOM_NONE;
    xcb_atom_t m_netWmPid = XCB_ATOM_NONE;
};

bool ClipboardOwner::takeClipboard() {
    // Anything bigger than one request cannot be written at once and must go through INCR.
    const std::size_t maxRequest = std::size_t{xcb_get_maximum_request_length(m_c)} * 4;
    if (maxRequest <= kRequestMargin || !internAll())
        return false;
    const std::size_t limit = maxRequest - kRequestMargin;
    m_incrAbove = std::min(m_options.incrAbove.value_or(limit), limit);
    m_chunk = std::min(m_options.chunk, limit);
    createWindow();
    const auto time = serverTime();
    if (!time)
        return false;
    m_ownedSince = *time;
    xcb_set_selection_owner(m_c, m_window, m_clipboard, m_ownedSince);
    return ownsClipboard();
}

bool ClipboardOwner::internAll() {
    std::vector<std::string_view> names = {"CLIPBOARD",  "TARGETS",     "TIMESTAMP",
                                           "INCR",       "UTF8_STRING", "_VELLOQ_OWNER_TIME",
                                           "_NET_WM_PID"};
    for (const Offer& offer : m_options.offers)
        names.push_back(offer.name);
    std::vector<std::string> extraNames;
    for (std::size_t i = 0; i < m_options.extraTargets; ++i)
        extraNames.push_back("x-velloq-extra-" + std::to_string(i));
    names.insert(names.end(), extraNames.begin(), extraNames.end());
    const auto atoms = internAtoms(m_c, names);
    if (std::ranges::find(atoms, xcb_atom_t{XCB_ATOM_NONE}) != atoms.end())
        return false;
    m_clipboard = atoms[0];
    m_targets = atoms[1];
    m_timestamp = atoms[2];
    m_incr = atoms[3];
    m_utf8String = atoms[4];
    m_timeProbe = atoms[5];
    m_netWmPid = atoms[6];
    for (std::size_t i = 0; i < m_options.offers.size(); ++i) {
        Offer& offer = m_options.offers[i];
        offer.atom = atoms[7 + i];
        // TEXT lets the owner choose the encoding: STRING when that is exact, else UTF-8.
        if (offer.name == "TEXT")
            offer.type = isAscii(offer.bytes) ? xcb_atom_t{XCB_ATOM_STRING} : m_utf8String;
        else
            offer.type = offer.atom; // UTF8_STRING and STRING are their own types as well
    }
    m_extraTargets.assign(atoms.end() - std::ptrdiff_t(extraNames.size()), atoms.end());
    return true;
}

void ClipboardOwner::createWindow() {
    m_window = xcb_generate_id(m_c);
    const std::uint32_t events = XCB_EVENT_MASK_PROPERTY_CHANGE;
    xcb_create_window(m_c, XCB_COPY_FROM_PARENT, m_window, m_screen.root, -1, -1, 1, 1, 0,
                      XCB_WINDOW_CLASS_INPUT_ONLY, XCB_COPY_FROM_PARENT, XCB_CW_EVENT_MASK,
                      &events);
    // Let the application under test tell where a copy came from, as with real windows.
    constexpr std::string_view name = "velloq-clipboard-owner";
    constexpr char wmClass[] = "velloq-clipboard-owner\0Velloq-clipboard-owner"; // two C strings
    const std::uint32_t pid = static_cast<std::uint32_t>(getpid());
    xcb_change_property(m_c, XCB_PROP_MODE_REPLACE, m_window, XCB_ATOM_WM_NAME, XCB_ATOM_STRING, 8,
                        name.size(), name.data());
    xcb_change_property(m_c, XCB_PROP_MODE_REPLACE, m_window, XCB_ATOM_WM_CLASS, XCB_ATOM_STRING, 8,
                        sizeof wmClass, wmClass);
    xcb_change_property(m_c, XCB_PROP_MODE_REPLACE, m_window, m_netWmPid, XCB_ATOM_CARDINAL, 32, 1,
                        &pid);
}

// SetSelectionOwner wants a real server time, not CurrentTime. A zero-length append changes
// nothing, yet the server reports it with a PropertyNotify that carries the current time.
std::optional<xcb_timestamp_t> ClipboardOwner::serverTime() {
    xcb_change_property(m_c, XCB_PROP_MODE_APPEND, m_window, m_timeProbe, XCB_ATOM_INTEGER, 32, 0,
                        nullptr);
    xcb_flush(m_c);
    // Nothing else can be addressed to a window that owns nothing yet, so other events can go.
    while (Owned<xcb_generic_event_t> event{xcb_wait_for_event(m_c)}) {
        if ((event->response_type & 0x7f) != XCB_PROPERTY_NOTIFY)
            continue;
        const auto& change = reinterpret_cast<const xcb_property_notify_event_t&>(*event);
        if (change.window == m_window && change.atom == m_timeProbe)
            return change.time;
    }
    return std::nullopt;
}

// SetSelectionOwner fails without a word (an owner with a later timestamp wins): ask.
bool ClipboardOwner::ownsClipboard() {
    xcb_generic_error_t* error = nullptr;
    Owned<xcb_get_selection_owner_reply_t> reply(
        xcb_get_selection_owner_reply(m_c, xcb_get_selection_owner(m_c, m_clipboard), &error));
    std::free(error);
    return reply && reply->owner == m_window;
}

// Serves until the clipboard is lost or a signal ends it (0), or the server goes away (1).
int ClipboardOwner::serve(const sigset_t& waitMask) {
    for (;;) {
        while (Owned<xcb_generic_event_t> event{xcb_poll_for_event(m_c)}) {
            if (!handle(*event))
                return 0;
        }
        if (xcb_connection_has_error(m_c)) {
            std::fputs("velloq-clipboard-owner: lost the X connection\n", stderr);
            return 1;
        }
        if (servedEnough()) {
            sync();
            return 0;
        }
        xcb_flush(m_c);
        if (!waitForServer(waitMask))
            return 0;
        if (m_retakeDue) {
            // A new ownership (a new copy to clipboard watchers) with the same content.
            xcb_set_selection_owner(m_c, m_window, m_clipboard, XCB_CURRENT_TIME);
            m_retakeDue = false;
        }
    }
}

// Returns false once the clipboard belongs to someone else.
bool ClipboardOwner::handle(const xcb_generic_event_t& event) {
    switch (event.response_type & 0x7f) {
    case 0:
        onError(reinterpret_cast<const xcb_generic_error_t&>(event));
        break;
    case XCB_SELECTION_REQUEST:
        if (!m_options.silent)
            answer(reinterpret_cast<const xcb_selection_request_event_t&>(event));
        break;
    case XCB_SELECTION_CLEAR:
        return reinterpret_cast<const xcb_selection_clear_event_t&>(event).selection != m_clipboard;
    case XCB_PROPERTY_NOTIFY: {
        const auto& change = reinterpret_cast<const xcb_property_notify_event_t&>(event);
        const auto transfer = m_transfers.find({change.window, change.atom});
        // The requestor deleting the property asks for the next chunk.
        if (change.state == XCB_PROPERTY_DELETE && transfer != m_transfers.end())
            sendNextChunk(transfer);
        break;
    }
    case XCB_DESTROY_NOTIFY:
        dropTransfers(reinterpret_cast<const xcb_destroy_notify_event_t&>(event).window);
        break;
    }
    return true;
}

void ClipboardOwner::answer(const xcb_selection_request_event_t& request) {
    // Obsolete requestors pass property None and expect the target name as the property.
    const xcb_atom_t property =
        request.property == XCB_ATOM_NONE ? request.target : request.property;
    const Offer* offer = find(request.target);
    if (!isForUs(request)) {
        notify(request, XCB_ATOM_NONE);
    } else if (request.target == m_targets) {
        writeTargets(request.requestor, property);
        notify(request, property);
    } else if (request.target == m_timestamp) {
        xcb_change_property(m_c, XCB_PROP_MODE_REPLACE, request.requestor, property,
                            XCB_ATOM_INTEGER, 32, 1, &m_ownedSince);
        notify(request, property);
    } else if (!offer) {
        notify(request, XCB_ATOM_NONE); // MULTIPLE included: not supported
    } else if (offer->bytes.size() > m_incrAbove) {
        startIncr(request, property, *offer);
    } else {
        writeBytes(request.requestor, property, offer->type, offer->bytes);
        notify(request, property);
        ++m_answered;
    }
}

// Requests stamped before we took the clipboard were meant for an earlier owner.
bool ClipboardOwner::isForUs(const xcb_selection_request_event_t& request) const {
    if (request.selection != m_clipboard || request.owner != m_window)
        return false;
    // Server time wraps around at 32 bits: compare as a signed difference.
    return request.time == XCB_CURRENT_TIME ||
           static_cast<std::int32_t>(request.time - m_ownedSince) >= 0;
}

const Offer* ClipboardOwner::find(xcb_atom_t target) const {
    const auto offer = std::ranges::find(m_options.offers, target, &Offer::atom);
    return offer == m_options.offers.end() ? nullptr : &*offer;
}

void ClipboardOwner::writeTargets(xcb_window_t window, xcb_atom_t property) {
    std::vector<xcb_atom_t> targets = {m_targets, m_timestamp};
    for (const Offer& offer : m_options.offers)
        targets.push_back(offer.atom);
    targets.insert(targets.end(), m_extraTargets.begin(), m_extraTargets.end());
    xcb_change_property(m_c, XCB_PROP_MODE_REPLACE, window, property, XCB_ATOM_ATOM, 32,
                        targets.size(), targets.data());
}

void ClipboardOwner::writeBytes(xcb_window_t window, xcb_atom_t property, xcb_atom_t type,
                                std::string_view bytes) {
    xcb_change_property(m_c, XCB_PROP_MODE_REPLACE, window, property, type, 8, bytes.size(),
                        bytes.data());
}

void ClipboardOwner::notify(const xcb_selection_request_event_t& request, xcb_atom_t property) {
    xcb_selection_notify_event_t event{};
    event.response_type = XCB_SELECTION_NOTIFY;
    event.time = request.time; // the request's time, not the current one
    event.requestor = request.requestor;
    event.selection = request.selection;
    event.target = request.target;
    event.property = property;
    // SendEvent always carries 32 bytes; the xcb structure is shorter.
    std::array<char, 32> wire{};
    static_assert(sizeof event <= wire.size());
    std::memcpy(wire.data(), &event, sizeof event);
    xcb_send_event(m_c, 0, request.requestor, XCB_EVENT_MASK_NO_EVENT, wire.data());
}

void ClipboardOwner::startIncr(const xcb_selection_request_event_t& request, xcb_atom_t property,
                               const Offer& offer) {
    // Select before the INCR property exists, or the requestor's first delete could be missed.
    // StructureNotify reports a requestor that goes away while we wait for its delete.
    if (!hasTransfers(request.requestor))
        watch(request.requestor, XCB_EVENT_MASK_PROPERTY_CHANGE | XCB_EVENT_MASK_STRUCTURE_NOTIFY);
    // A new request on the same window and property replaces an abandoned transfer.
    m_transfers.insert_or_assign({request.requestor, property}, Transfer{&offer, 0});
    // The INCR value is a lower bound of the size.
    const auto size =
        static_cast<std::uint32_t>(std::min<std::size_t>(offer.bytes.size(), UINT32_MAX));
    xcb_change_property(m_c, XCB_PROP_MODE_REPLACE, request.requestor, property, m_incr, 32, 1,
                        &size);
    notify(request, property);
    stopIfDue(0);
}

void ClipboardOwner::sendNextChunk(Transfers::iterator transfer) {
    const auto [window, property] = transfer->first;
    Transfer& state = transfer->second;
    const std::string_view chunk =
        std::string_view(state.offer->bytes).substr(state.sent).substr(0, m_chunk);
    // The property was deleted, so Replace and ICCCM's Append write the same thing.
    writeBytes(window, property, state.offer->type, chunk);
    state.sent += chunk.size();
    if (chunk.empty()) { // the zero-length chunk ends the transfer
        ++m_answered;
        finish(transfer);
        return;
    }
    stopIfDue(state.sent);
}

void ClipboardOwner::finish(Transfers::iterator transfer) {
    const xcb_window_t window = transfer->first.first;
    m_transfers.erase(transfer);
    if (!hasTransfers(window))
        watch(window, XCB_EVENT_MASK_NO_EVENT);
}

void ClipboardOwner::dropTransfers(xcb_window_t window) {
    std::erase_if(m_transfers, [&](const auto& entry) { return entry.first.first == window; });
}

bool ClipboardOwner::hasTransfers(xcb_window_t window) const {
    const auto next = m_transfers.lower_bound({window, XCB_ATOM_NONE});
    return next != m_transfers.end() && next->first.first == window;
}

void ClipboardOwner::watch(xcb_window_t window, std::uint32_t events) {
    xcb_change_window_attributes(m_c, window, XCB_CW_EVENT_MASK, &events);
}

void ClipboardOwner::stopIfDue(std::size_t sent) {
    if (!m_options.stopAfter || m_stopped || sent < *m_options.stopAfter)
        return;
    m_stopped = true;
    xcb_flush(m_c); // the requestor gets everything up to here
    std::raise(SIGSTOP);
}

void ClipboardOwner::onError(const xcb_generic_error_t& error) {
    // Requestors may vanish at any time: writing to a window that is gone ends its transfer.
    if (error.error_code == XCB_WINDOW) {
        dropTransfers(error.resource_id);
        return;
    }
    std::fprintf(stderr, "velloq-clipboard-owner: X error %u (request %u.%u) on 0x%x\n",
                 unsigned{error.error_code}, unsigned{error.major_code}, unsigned{error.minor_code},
                 unsigned{error.resource_id});
}

bool ClipboardOwner::servedEnough() const {
    return m_options.exitAfterRequests > 0 && m_answered >= m_options.exitAfterRequests &&
           m_transfers.empty();
}

// Returns false when a termination signal arrived.
bool ClipboardOwner::waitForServer(const sigset_t& waitMask) {
    pollfd server{xcb_get_file_descriptor(m_c), POLLIN, 0};
    const std::size_t retakeMs = m_options.retakeEveryMs;
    const timespec interval{static_cast<time_t>(retakeMs / 1000),
                            static_cast<long>(retakeMs % 1000) * 1000000L};
    for (;;) {
        const int ready = ppoll(&server, 1, retakeMs ? &interval : nullptr, &waitMask);
        if (g_terminated || ready > 0 || (ready < 0 && errno != EINTR))
            break;
        if (ready == 0) {
            m_retakeDue = true;
            break;
        }
    }
    return !g_terminated;
}

// Before exiting, make sure the server has handled our last replies.
void ClipboardOwner::sync() {
    std::free(xcb_get_input_focus_reply(m_c, xcb_get_input_focus(m_c), nullptr));
}

const xcb_screen_t* screenOf(xcb_connection_t* connection, int number) {
    auto screens = xcb_setup_roots_iterator(xcb_get_setup(connection));
    for (; screens.rem > 0 && number > 0; --number)
        xcb_screen_next(&screens);
    return screens.rem > 0 ? screens.data : nullptr;
}

} // namespace

int main(int argc, char** argv) {
    Options options;
    try {
        options = parseArguments(std::span(argv + 1, static_cast<std::size_t>(argc - 1)));
    } catch (const UsageError& error) {
        std::fprintf(stderr, "velloq-clipboard-owner: %s\n%s", error.message.c_str(), kUsage);
        return 2;
    }
    if (options.help) {
        std::fputs(kUsage, stdout);
        return 0;
    }
    const sigset_t waitMask = handleTermination();

    int screenNumber = 0;
    std::unique_ptr<xcb_connection_t, decltype(&xcb_disconnect)> connection(
        xcb_connect(nullptr, &screenNumber), xcb_disconnect);
    const xcb_screen_t* screen = nullptr;
    if (!xcb_connection_has_error(connection.get()))
        screen = screenOf(connection.get(), screenNumber);
    if (!screen) {
        const char* display = std::getenv("DISPLAY");
        std::fprintf(stderr, "velloq-clipboard-owner: cannot connect to the X display '%s'\n",
                     display ? display : "");
        return 1;
    }

    ClipboardOwner owner(connection.get(), *screen, options);
    if (!owner.takeClipboard()) {
        std::fputs("velloq-clipboard-owner: could not take the CLIPBOARD selection\n", stderr);
        return 1;
    }
    std::puts("ready");
    std::fflush(stdout);
    return owner.serve(waitMask);
}
