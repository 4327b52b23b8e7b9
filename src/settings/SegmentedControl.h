#pragma once

#include <QVariant>
#include <QWidget>

class QButtonGroup;
class QHBoxLayout;

// A row of joined buttons of which one is chosen, each standing for a value.
// Tab reaches the chosen one; the arrow keys move between them.
class SegmentedControl : public QWidget {
    Q_OBJECT

public:
    explicit SegmentedControl(QWidget* parent = nullptr);

    void addSegment(const QString& title, const QVariant& value);
    QVariant value() const;
    // Chooses the segment with that value, without `chosen`.
    void setValue(const QVariant& value);

Q_SIGNALS:
    // The user chose a segment.
    void chosen(const QVariant& value);

private:
    void restyle();

    QButtonGroup* m_group;
    QHBoxLayout* m_layout;
};
