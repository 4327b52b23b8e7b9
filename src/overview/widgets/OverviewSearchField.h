#pragma once

#include <QLineEdit>
#include <QTimer>

#include <functional>

class OverviewModel;

// The overlay's search field on a glass capsule. It receives every key of
// the overlay: the key map acts on the model first, and what it leaves is
// typed into the search. The overlay never takes the input focus from the
// user's window, so the field draws its own caret while it holds the keys.
class OverviewSearchField : public QLineEdit {
    Q_OBJECT

public:
    static constexpr int maximumWidth = 420;

    explicit OverviewSearchField(OverviewModel& model, QWidget* parent = nullptr);

    // Whether the field takes the overlay's keys (and shows its caret).
    void setSearchFocused(bool focused);
    bool isSearchFocused() const { return m_searchFocused; }

protected:
    bool event(QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;

private:
    void paintCaret();
    void restartCaret();

    OverviewModel& m_model;
    bool m_searchFocused = false;
    bool m_caretShown = true;
    QTimer m_caretBlink;
};
