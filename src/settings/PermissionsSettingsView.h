#pragma once

#include <QTimer>
#include <QWidget>

#include <functional>

class IconView;
class QLabel;
class QPushButton;

// The Permissions pane: whether Velloq may paste into other applications,
// looked at again every second, and the way to the desktop's setting when
// it may not.
class PermissionsSettingsView : public QWidget {
    Q_OBJECT

public:
    static QString grantedText();
    static QString notGrantedText();

    // `isGranted` tells whether pasting is allowed; `openSettings` asks for
    // it and opens the desktop's setting.
    // `unavailableReason`, when given, says why pasting cannot be allowed
    // on this desktop; it replaces the way to the desktop's settings.
    PermissionsSettingsView(std::function<bool()> isGranted, std::function<void()> openSettings,
                            QString unavailableReason = {}, QWidget* parent = nullptr);

    bool isShownGranted() const { return m_granted; }
    static constexpr int refreshMilliseconds = 1000;

protected:
    // Looked at only while in sight: a closed settings window wakes nothing.
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    void refresh();

    std::function<bool()> m_isGranted;
    QString m_unavailableReason;
    bool m_granted = false;
    IconView* m_icon;
    QLabel* m_text;
    QPushButton* m_open;
    QTimer m_timer;
};
