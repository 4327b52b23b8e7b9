#pragma once

#include <QList>
#include <QStringList>
#include <QWidget>

class QPainter;

// The row of keyboard hints under the overview grid: key caps and what they
// do, on a glass capsule. Hints that do not fit the width are left out from
// the end, whole.
class KeyHintBar : public QWidget {
    Q_OBJECT

public:
    // Keys drawn as caps, then a label; a hint without keys is plain text.
    struct Hint {
        QStringList keys;
        QString label;
    };

    explicit KeyHintBar(QWidget* parent = nullptr);

    // The number of cards on a page; 9 shows "1–9", anything else "1–6".
    void setGridSize(qint64 gridSize);
    qint64 gridSize() const { return m_gridSize; }
    void setSearching(bool searching);
    bool isSearching() const { return m_searching; }

    QSize sizeHint() const override;

    static QList<Hint> hints(qint64 gridSize, bool isSearching);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void stateChanged();
    QColor secondaryText() const;

    qint64 m_gridSize = 6;
    bool m_searching = false;
};
