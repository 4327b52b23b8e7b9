#pragma once

#include "ClipboardSettingsView.h"
#include "platform/xdg/AutostartEntry.h"

#include <QObject>
#include <QPointer>

#include <functional>
#include <memory>

class ClipStoring;
class Defaults;
class DesktopEntries;
class QStackedWidget;
class QButtonGroup;
class QWidget;

// The one settings window: three tabs, General, Permissions and Clipboard,
// built at the first showing and kept, so closing only hides it.
class SettingsWindowController : public QObject {
    Q_OBJECT

public:
    struct Services {
        // Installed applications, for the excluded list and the chooser.
        std::shared_ptr<DesktopEntries> applications;
        // Whether clicks may paste, and the way to allow it.
        std::function<bool()> isPastingAllowed;
        std::function<void()> allowPasting;
        AutostartEntry loginItem;
        // Why pasting cannot be allowed here; empty where it can.
        QString pastingUnavailableReason;
    };

    static QStringList tabTitles();
    static constexpr int paneWidth = 520;
    static constexpr int paneHeight = 400;

    SettingsWindowController(Defaults& defaults, ClipStoring& store, Services services,
                             QObject* parent = nullptr);
    ~SettingsWindowController() override;

    // Builds the window the first time, centres it on the screen and
    // brings it to the front.
    void show();
    // None before the first show().
    QWidget* window() const { return m_window; }
    void selectTab(int index);
    ClipboardSettingsView* clipboardPane() const { return m_clipboard; }

private:
    void build();
    QWidget* tabBar();

    Defaults& m_defaults;
    ClipStoring& m_store;
    Services m_services;
    QPointer<QWidget> m_window;
    QStackedWidget* m_panes = nullptr;
    QButtonGroup* m_tabs = nullptr;
    ClipboardSettingsView* m_clipboard = nullptr;
};
