#pragma once

#include <QStringList>
#include <QWidget>

// The "Recent", "Pinned", "All" buttons on a glass capsule. The current tab
// is marked with the accent colour unless a search is active (a search looks
// through the tab). The buttons never take the keyboard.
class OverviewTabPicker : public QWidget {
    Q_OBJECT

public:
    static QStringList titles();

    explicit OverviewTabPicker(QWidget* parent = nullptr);

    void setCurrentTab(int index);
    int currentTab() const { return m_current; }
    void setSearching(bool searching);
    bool isSearching() const { return m_searching; }

    QSize sizeHint() const override;
    // The button at a point of the widget; -1 between buttons.
    int tabAt(const QPoint& point) const;

Q_SIGNALS:
    void tabClicked(int index);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    QRectF buttonRect(int index) const;
    QSizeF buttonSize(int index) const;

    // Looked up once: every paint and hit test measures them.
    const QStringList m_titles = titles();
    int m_current = 0;
    bool m_searching = false;
    int m_pressed = -1;
};
