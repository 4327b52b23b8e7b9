#pragma once

#include <QWidget>

class QLabel;
class QVBoxLayout;

// A group of settings on a rounded card, with an optional header above it,
// the way desktop settings windows group them. Rows are separated by thin
// lines.
class FormSection : public QWidget {
    Q_OBJECT

public:
    explicit FormSection(const QString& header = QString(), QWidget* parent = nullptr);

    // A row with the title on the left and the control on the right; the
    // title names the control for screen readers and keyboard users.
    QWidget* addRow(const QString& title, QWidget* control);
    // A row the widget fills.
    QWidget* addRow(QWidget* row);
    // A caption under the last row, in the secondary colour.
    QLabel* addNote(const QString& text);

private:
    class Card;
    class RowTitle;

    Card* m_card;
    QVBoxLayout* m_rows;
};
