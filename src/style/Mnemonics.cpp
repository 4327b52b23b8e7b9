#include "Mnemonics.h"

#include <QAbstractButton>
#include <QLabel>
#include <QSet>
#include <QWidget>

namespace {

// The position of the marked letter, or -1.
qsizetype markerIndex(const QString& text) {
    for (qsizetype i = 0; i + 1 < text.size(); ++i) {
        if (text[i] != u'&')
            continue;
        if (text[i + 1] != u'&')
            return i + 1;
        ++i; // "&&" is a plain ampersand
    }
    return -1;
}

// First letters of words, then any letter; -1 when every letter is taken.
qsizetype freeLetter(const QString& text, const QSet<QChar>& taken) {
    const auto freeAt = [&](qsizetype i) {
        return text[i].isLetterOrNumber() && !taken.contains(text[i].toLower());
    };
    for (qsizetype i = 0; i < text.size(); ++i) {
        if ((i == 0 || text[i - 1].isSpace()) && freeAt(i))
            return i;
    }
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (freeAt(i))
            return i;
    }
    return -1;
}

struct Marking {
    QSet<QChar> taken;

    void take(const QString& text) {
        if (const qsizetype at = markerIndex(text); at >= 0)
            taken.insert(text[at].toLower());
    }

    // The text with a free letter marked; as it was when none is free.
    QString mark(const QString& text) {
        if (text.isEmpty() || markerIndex(text) >= 0)
            return text;
        const qsizetype at = freeLetter(text, taken);
        if (at < 0)
            return text;
        taken.insert(text[at].toLower());
        return Mnemonics::marked(text, at);
    }
};

} // namespace

QString Mnemonics::marked(const QString& text, qsizetype index) {
    QString result = text;
    result.replace(u'&', QStringLiteral("&&"));
    qsizetype shifted = index;
    for (qsizetype i = 0; i < index; ++i)
        shifted += text[i] == u'&' ? 1 : 0;
    return result.insert(shifted, u'&');
}

QString Mnemonics::plain(QString text) {
    const qsizetype at = markerIndex(text);
    if (at > 0)
        text.remove(at - 1, 1);
    return text.replace(QStringLiteral("&&"), QStringLiteral("&"));
}

void Mnemonics::assign(QWidget& window) {
    const QList<QLabel*> labels = window.findChildren<QLabel*>();
    const QList<QAbstractButton*> buttons = window.findChildren<QAbstractButton*>();
    Marking marking;
    for (const QLabel* label : labels)
        marking.take(label->buddy() ? label->text() : QString());
    for (const QAbstractButton* button : buttons)
        marking.take(button->text());
    // Plain-text labels only: a rich label shows "&" as it is.
    for (QLabel* label : labels) {
        if (label->buddy() && label->textFormat() != Qt::RichText)
            label->setText(marking.mark(label->text()));
    }
    for (QAbstractButton* button : buttons)
        button->setText(marking.mark(button->text()));
}
