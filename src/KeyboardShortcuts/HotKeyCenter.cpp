#include "HotKeyCenter.h"

#include "HotKey.h"

#include <limits>

namespace KeyboardShortcuts {

namespace {

HotKeyCenter* theCenter = nullptr;

bool fitsInto32Bits(qint64 value) {
    return value >= 0 && value <= qint64(std::numeric_limits<quint32>::max());
}

} // namespace

HotKeyCenter* HotKeyCenter::install(HotKeyRegistering* platform) {
    delete theCenter;
    theCenter = platform ? new HotKeyCenter(platform) : nullptr;
    return theCenter;
}

HotKeyCenter* HotKeyCenter::existing() {
    return theCenter;
}

HotKeyCenter::HotKeyCenter(HotKeyRegistering* platform) : m_platform(platform) {}

HotKeyCenter::~HotKeyCenter() {
    unregisterAll();
    if (m_platform) {
        m_platform->onHotKeyEvent = {};
        m_platform->onRegistrationLost = {};
    }
    if (theCenter == this)
        theCenter = nullptr;
}

std::shared_ptr<HotKey> HotKeyCenter::live(qint64 id) const {
    return m_hotKeys.value(id).lock();
}

bool HotKeyCenter::grab(HotKey& hotKey) {
    // Values beyond 32 bits come only from hand-edited preferences.
    if (!m_platform || !fitsInto32Bits(hotKey.carbonKeyCode) ||
        !fitsInto32Bits(hotKey.carbonModifiers) || !fitsInto32Bits(hotKey.id))
        return false;
    hotKey.isRegisteredWithSystem = m_platform->registerHotKey(
        quint32(hotKey.id), quint32(hotKey.carbonKeyCode), quint32(hotKey.carbonModifiers));
    return hotKey.isRegisteredWithSystem;
}

bool HotKeyCenter::registerHotKey(const std::shared_ptr<HotKey>& hotKey) {
    if (!hotKey || !grab(*hotKey))
        return false;
    m_hotKeys.insert(hotKey->id, hotKey);
    if (!m_handlerInstalled) {
        m_platform->onHotKeyEvent = [this](quint32 id, EventType type) { hotKeyEvent(id, type); };
        m_platform->onRegistrationLost = [this](quint32 id) { registrationLost(id); };
        m_platform->nameOfHotKey = [this](quint32 id) {
            const std::shared_ptr<HotKey> hotKey = live(id);
            return hotKey ? hotKey->name : QString();
        };
        m_handlerInstalled = true;
    }
    applyMode();
    return true;
}

void HotKeyCenter::hotKeyReleased(HotKey& hotKey) {
    if (hotKey.isRegisteredWithSystem && m_platform)
        m_platform->unregisterHotKey(quint32(hotKey.id));
    hotKey.isRegisteredWithSystem = false;
    m_hotKeys.remove(hotKey.id);
}

void HotKeyCenter::registerAll() {
    const QList<qint64> ids = m_hotKeys.keys();
    for (qint64 id : ids) {
        const std::shared_ptr<HotKey> hotKey = live(id);
        if (!hotKey || hotKey->isRegisteredWithSystem)
            continue;
        if (!grab(*hotKey)) {
            m_hotKeys.remove(id);
            if (hotKey->onRegistrationFailed)
                hotKey->onRegistrationFailed();
        }
    }
}

void HotKeyCenter::unregisterAll() {
    for (auto it = m_hotKeys.cbegin(); it != m_hotKeys.cend(); ++it) {
        const std::shared_ptr<HotKey> hotKey = it.value().lock();
        if (hotKey && hotKey->isRegisteredWithSystem) {
            m_platform->unregisterHotKey(quint32(hotKey->id));
            hotKey->isRegisteredWithSystem = false;
        }
    }
}

void HotKeyCenter::applyMode() {
    if (m_mode == Mode::normal)
        registerAll();
    else
        unregisterAll();
    m_hotKeyEventHandling = m_mode == Mode::normal;
    m_rawKeyHandling = m_mode == Mode::menuOpen;
    if (!m_rawKeyHandling)
        m_rawKeysDown.clear();
}

void HotKeyCenter::reevaluateMode() {
    const Mode mode = !m_isEnabled ? Mode::disabled : m_isMenuOpen ? Mode::menuOpen : Mode::normal;
    if (mode == m_mode)
        return;
    m_mode = mode;
    if (m_handlerInstalled)
        applyMode();
}

void HotKeyCenter::setEnabled(bool enabled) {
    if (enabled == m_isEnabled)
        return;
    m_isEnabled = enabled;
    reevaluateMode();
}

void HotKeyCenter::setMenuOpen(bool open) {
    if (open == m_isMenuOpen)
        return;
    m_isMenuOpen = open;
    reevaluateMode();
}

void HotKeyCenter::hotKeyEvent(quint32 id, EventType type) {
    if (!m_hotKeyEventHandling)
        return;
    const std::shared_ptr<HotKey> hotKey = live(id);
    if (!hotKey)
        return;
    const auto& action = type == EventType::keyDown ? hotKey->onKeyDown : hotKey->onKeyUp;
    if (action)
        action();
}

void HotKeyCenter::registrationLost(quint32 id) {
    const std::shared_ptr<HotKey> hotKey = live(id);
    m_hotKeys.remove(id);
    if (!hotKey)
        return;
    hotKey->isRegisteredWithSystem = false;
    if (hotKey->onRegistrationFailed)
        hotKey->onRegistrationFailed();
}

bool HotKeyCenter::handleRawKey(qint64 keyCode, qint64 carbonModifiers, bool isAutoRepeat,
                                EventType type) {
    if (!m_rawKeyHandling || (type == EventType::keyDown && isAutoRepeat))
        return false;
    // The release belongs to the press it ends, whatever modifiers were let
    // go first: people rarely lift the letter before Shift and Super.
    if (type == EventType::keyUp && m_rawKeysDown.contains(keyCode)) {
        const std::shared_ptr<HotKey> hotKey = live(m_rawKeysDown.take(keyCode));
        if (hotKey && hotKey->onKeyUp)
            hotKey->onKeyUp();
        return true;
    }
    const qint64 modifiers = normalizedModifiers(keyCode, carbonModifiers);
    for (auto it = m_hotKeys.cbegin(); it != m_hotKeys.cend(); ++it) {
        const std::shared_ptr<HotKey> hotKey = it.value().lock();
        if (!hotKey || hotKey->carbonKeyCode != keyCode ||
            normalizedModifiers(keyCode, hotKey->carbonModifiers) != modifiers)
            continue;
        if (type == EventType::keyDown)
            m_rawKeysDown.insert(keyCode, hotKey->id);
        const auto& action = type == EventType::keyDown ? hotKey->onKeyDown : hotKey->onKeyUp;
        if (action)
            action();
        return true;
    }
    return false;
}

} // namespace KeyboardShortcuts
