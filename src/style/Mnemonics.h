#pragma once

#include <QString>

class QWidget;

// Alt+letter for the labelled controls of a window, chosen the way KDE's
// accelerator manager does it: each text keeps its words, one letter of it
// is marked, no letter twice in a window, first letters of words first.
// The texts' translations stay free of markers.
namespace Mnemonics {

// Marks the texts of the labels that name a control, and of the buttons,
// boxes and tabs, under `window`, in the order they were made. Texts that
// already carry a marker keep it and its letter.
void assign(QWidget& window);

// `text` with the letter at `index` marked.
QString marked(const QString& text, qsizetype index);
// `text` without its marker.
QString plain(QString text);

} // namespace Mnemonics
