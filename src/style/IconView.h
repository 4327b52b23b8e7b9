#pragma once

#include <QIcon>
#include <QWidget>

// An icon at a fixed size, drawn on every paint from its icon: where a label
// keeps the pixmap it was given, this one follows the palette and the
// screen's pixel density of the moment.
class IconView : public QWidget {
    Q_OBJECT

public:
    explicit IconView(int side, QWidget* parent = nullptr);
    IconView(const QIcon& icon, int side, QWidget* parent = nullptr);

    void setIcon(const QIcon& icon);
    const QIcon& icon() const { return m_icon; }
    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QIcon m_icon;
    int m_side;
};
