#pragma once

#include <QObject>

#include <functional>

class QWidget;

// The keys a desktop window answers, for a window of Velloq's: keys its
// controls leave unused reach the window and are taken here.
class WindowKeys : public QObject {
    Q_OBJECT

public:
    // Escape and the desktop's Close key (Control-W) run `close`, by default
    // the window's close().
    static void closeOnEscape(QWidget& window, std::function<void()> close = {});
    // Control-Tab and Control-Page Down run `move(1)`, Control-Shift-Tab and
    // Control-Page Up `move(-1)`.
    static void switchTabs(QWidget& window, std::function<void(int step)> move);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    explicit WindowKeys(QWidget& window);
    static WindowKeys& of(QWidget& window);

    std::function<void()> m_close;
    std::function<void(int)> m_move;
};
