#pragma once

#include "platform/xdg/AutostartEntry.h"

#include <QWidget>

class Defaults;
class QButtonGroup;
class QCheckBox;
class SegmentedControl;

// The General pane: the shortcut that shows the overlay, the overlay's
// grid size, appearance and key hints, and launching at login.
class GeneralSettingsView : public QWidget {
    Q_OBJECT

public:
    GeneralSettingsView(Defaults& defaults, AutostartEntry loginItem, QWidget* parent = nullptr);

    static QString gridSixTitle();
    static QString gridNineTitle();

private:
    // Shows the stored values, also after the file changed behind us.
    void showPreferences();
    void setLaunchAtLogin(bool on);
    bool launchesAtLogin() const;

    Defaults& m_defaults;
    AutostartEntry m_loginItem;
    QButtonGroup* m_gridSize;
    SegmentedControl* m_appearance;
    QCheckBox* m_keyHints;
    QCheckBox* m_launchAtLogin;
};
