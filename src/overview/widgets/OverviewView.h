#pragma once

#include <QIcon>
#include <QWidget>

#include <functional>

class GlassContainer;
class KeyHintBar;
class OverviewGrid;
class OverviewModel;
class OverviewPreviewLayer;
class OverviewSearchField;
class OverviewSettingsButton;
class OverviewTabPicker;
class OverviewToastView;

// The content of the overlay: tabs, search field and settings button at the
// top, the cards, the toast or the key hints under them, and the preview
// over everything. All state lives in the model; this only draws it and
// turns input into calls on it.
class OverviewView : public QWidget {
    Q_OBJECT

public:
    static constexpr int horizontalPadding = 64;
    static constexpr int verticalPadding = 48;
    static constexpr int headerSpacing = 16;
    // The search field is focused again this long after showing, in case
    // the first attempt came before the window could take the keyboard.
    static constexpr int refocusMilliseconds = 80;

    OverviewView(OverviewModel& model, qreal spacing, QWidget* parent = nullptr);

    void setApplicationLookup(const std::function<QIcon(const QString&)>& icon,
                              const std::function<QString(const QString&)>& name);
    void setShowsKeyHints(bool shows);
    bool showsKeyHints() const { return m_showsKeyHints; }
    // Called when a card drag ends.
    void setDragEndedHandler(std::function<void()> handler);

    OverviewSearchField* searchField() const { return m_searchField; }
    OverviewGrid* grid() const { return m_grid; }
    OverviewTabPicker* tabPicker() const { return m_tabPicker; }
    OverviewSettingsButton* settingsButton() const { return m_settingsButton; }
    OverviewToastView* toastView() const { return m_toast; }
    KeyHintBar* keyHintBar() const { return m_keyHints; }
    OverviewPreviewLayer* previewLayer() const { return m_preview; }

    // `screen` shows what lies under the whole view; the glass shows it
    // blurred and darkened by `shade`, the dimming the window lays over it.
    void setBackdrop(const QImage& screen, qreal shade);
    // Drops every picture of the screen the glass holds.
    void releaseBackdrops();
    GlassContainer* glass() const { return m_glass; }

protected:
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;

private:
    void bindModel();
    void layoutParts();
    void focusSearch();
    void updateBottomBar();

    OverviewModel& m_model;
    qreal m_spacing;
    bool m_showsKeyHints = true;
    QWidget* m_header;
    OverviewTabPicker* m_tabPicker;
    OverviewSearchField* m_searchField;
    OverviewSettingsButton* m_settingsButton;
    OverviewGrid* m_grid;
    OverviewToastView* m_toast;
    KeyHintBar* m_keyHints;
    OverviewPreviewLayer* m_preview;
    GlassContainer* m_glass;
};
