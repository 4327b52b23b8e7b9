#pragma once

#include <QString>
#include <Qt>

#include <optional>

class OverviewModel;

// What each key does in the overlay. Every key press reaches the search
// field first; a key the map does not handle is typed into the search.
class OverviewKeyMap {
public:
    struct KeyPress {
        int key = 0;
        Qt::KeyboardModifiers modifiers;
        QString text;
        bool isAutoRepeat = false;
        // The XKB key code (evdev + 8): Shift+1 types '!' on a US layout and
        // Shift+3 '§' on a German one, but it is the same key either way.
        quint32 scanCode = 0;
    };

    OverviewKeyMap() = delete;

    // Applies the key to the model; true when the key was consumed.
    static bool handle(OverviewModel& model, const KeyPress& press);

    // Switching tabs by button or Control-1…3: the tab, with an empty search.
    static void switchTab(OverviewModel& model, int tabIndex);

private:
    static bool handleCommand(OverviewModel& model, const KeyPress& press);
    static bool handleDigit(OverviewModel& model, const KeyPress& press);
    static std::optional<int> digitOf(const KeyPress& press);
    static void escape(OverviewModel& model);
};
