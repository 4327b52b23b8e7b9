#include "KeyHintBar.h"

#include "style/GlassPainter.h"
#include "style/TextStyles.h"

#include <QFontMetricsF>
#include <QPainter>

#include <cmath>

using namespace Qt::StringLiterals;

namespace {

constexpr qreal hintSpacing = 18;
constexpr qreal horizontalPadding = 18;
constexpr qreal verticalPadding = 9;
constexpr qreal pieceSpacing = 3;
constexpr qreal labelGap = 2;
constexpr qreal capHorizontalPadding = 5;
constexpr qreal capVerticalPadding = 1;
constexpr qreal capRadius = 4;

// One thing drawn in a hint: a key cap, the dash of a key range, or a label.
struct Piece {
    QString text;
    bool isCap = false;
    qreal offset = 0; // from the start of its hint
    qreal width = 0;
};

struct LaidOutHint {
    QList<Piece> pieces;
    qreal width = 0;
};

class HintMetrics {
public:
    QFont textFont = designFont(13);
    QFont capFont = designFont(13, QFont::Medium);

    qreal capHeight() const { return m_cap.height() + 2 * capVerticalPadding; }
    qreal rowHeight() const { return qMax(m_text.height(), capHeight()); }
    qreal barHeight() const { return rowHeight() + 2 * verticalPadding; }

    LaidOutHint layOut(const KeyHintBar::Hint& hint) const {
        LaidOutHint laidOut;
        for (qsizetype i = 0; i < hint.keys.size(); ++i) {
            // "1" then another key is a range of number keys.
            if (i == 1 && hint.keys.first() == u"1"_s)
                append(laidOut, u"–"_s, false, pieceSpacing);
            append(laidOut, hint.keys.at(i), true, pieceSpacing);
        }
        append(laidOut, hint.label, false, pieceSpacing + labelGap);
        return laidOut;
    }

    // The bar's width with the first `count` hints.
    static qreal barWidth(const QList<LaidOutHint>& hints, qsizetype count) {
        qreal width = 2 * horizontalPadding + hintSpacing * qMax<qsizetype>(0, count - 1);
        for (qsizetype i = 0; i < count; ++i)
            width += hints.at(i).width;
        return width;
    }

private:
    void append(LaidOutHint& hint, const QString& text, bool isCap, qreal gap) const {
        const qreal width = isCap ? m_cap.horizontalAdvance(text) + 2 * capHorizontalPadding
                                  : m_text.horizontalAdvance(text);
        const qreal offset = hint.pieces.isEmpty() ? 0 : hint.width + gap;
        hint.pieces.append({text, isCap, offset, width});
        hint.width = offset + width;
    }

    QFontMetricsF m_text{textFont};
    QFontMetricsF m_cap{capFont};
};

QList<LaidOutHint> layOut(const HintMetrics& metrics, const QList<KeyHintBar::Hint>& hints) {
    QList<LaidOutHint> laidOut;
    for (const KeyHintBar::Hint& hint : hints)
        laidOut.append(metrics.layOut(hint));
    return laidOut;
}

QString spokenText(const QList<KeyHintBar::Hint>& hints) {
    QStringList parts;
    for (const KeyHintBar::Hint& hint : hints) {
        const bool range = hint.keys.size() == 2 && hint.keys.first() == u"1"_s;
        const QString keys = hint.keys.join(range ? u"–"_s : u" "_s);
        parts.append(keys.isEmpty() ? hint.label : keys + u' ' + hint.label);
    }
    return parts.join(u", "_s);
}

// `start` is the left end of the hint, at the height of its middle.
void paintHint(QPainter& painter, const HintMetrics& metrics, const LaidOutHint& hint,
               const QPointF& start, const QColor& colour) {
    const qreal capHeight = metrics.capHeight();
    for (const Piece& piece : hint.pieces) {
        const QRectF rect(start.x() + piece.offset, start.y() - capHeight / 2, piece.width,
                          capHeight);
        if (piece.isCap) {
            painter.setPen(QPen(colour, 0.5));
            painter.drawRoundedRect(rect, capRadius, capRadius);
        }
        painter.setFont(piece.isCap ? metrics.capFont : metrics.textFont);
        painter.setPen(colour);
        painter.drawText(rect, Qt::AlignCenter | Qt::TextDontClip, piece.text);
    }
}

} // namespace

KeyHintBar::KeyHintBar(QWidget* parent) : QWidget(parent) {
    setAttribute(Qt::WA_TranslucentBackground);
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
    setAccessibleName(tr("Keyboard shortcuts"));
    stateChanged();
}

QList<KeyHintBar::Hint> KeyHintBar::hints(qint64 gridSize, bool isSearching) {
    const Hint select{{u"←"_s, u"→"_s, u"↑"_s, u"↓"_s}, tr("Select")};
    const Hint pasteSelected{{u"↩"_s}, tr("Paste selected")};
    const Hint pastePlain{{u"⇧↩"_s}, tr("As plain text")};
    const Hint pin{{u"⌃P"_s}, tr("Pin")};
    const Hint remove{{u"⌃⌫"_s}, tr("Delete")};
    if (isSearching)
        return {select, pasteSelected, pastePlain, pin, remove, {{u"esc"_s}, tr("Clear search")}};
    const QString last = QString::number(gridSize);
    return {{{u"1"_s, last}, tr("Paste")},
            select,
            pasteSelected,
            pastePlain,
            {{tr("Space")}, tr("Preview")},
            pin,
            remove,
            {{u"⌃Z"_s}, tr("Undo")},
            {{u"⇥"_s}, tr("Next tab")},
            {{u"esc"_s}, tr("Close")},
            {{}, tr("Type to search")}};
}

void KeyHintBar::setGridSize(qint64 gridSize) {
    if (gridSize == m_gridSize)
        return;
    m_gridSize = gridSize;
    stateChanged();
}

void KeyHintBar::setSearching(bool searching) {
    if (searching == m_searching)
        return;
    m_searching = searching;
    stateChanged();
}

void KeyHintBar::stateChanged() {
    setAccessibleDescription(spokenText(hints(m_gridSize, m_searching)));
    updateGeometry();
    update();
}

QSize KeyHintBar::sizeHint() const {
    const HintMetrics metrics;
    const QList<LaidOutHint> laidOut = layOut(metrics, hints(m_gridSize, m_searching));
    const qreal width = HintMetrics::barWidth(laidOut, laidOut.size());
    return QSize(int(std::ceil(width)), int(std::ceil(metrics.barHeight())));
}

QColor KeyHintBar::secondaryText() const {
    return secondaryTextColour(palette());
}

void KeyHintBar::paintEvent(QPaintEvent*) {
    const HintMetrics metrics;
    const QList<LaidOutHint> laidOut = layOut(metrics, hints(m_gridSize, m_searching));
    qsizetype count = laidOut.size();
    while (count > 0 && HintMetrics::barWidth(laidOut, count) > width())
        --count;
    if (count == 0)
        return;

    const QSizeF size(HintMetrics::barWidth(laidOut, count), metrics.barHeight());
    const QRectF bar(QPointF((width() - size.width()) / 2, (height() - size.height()) / 2), size);
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    GlassPainter::paint(painter, *this, GlassPainter::capsule(bar));

    const QColor colour = secondaryText();
    qreal x = bar.left() + horizontalPadding;
    for (qsizetype i = 0; i < count; ++i) {
        paintHint(painter, metrics, laidOut.at(i), QPointF(x, bar.center().y()), colour);
        x += laidOut.at(i).width + hintSpacing;
    }
}
