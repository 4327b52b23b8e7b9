#pragma once

#include "history/ClipItem.h"
#include "history/ClipStoring.h"
#include "history/SearchIndex.h"

#include <QList>
#include <QObject>
#include <QString>

#include <functional>
#include <optional>

// The state of the card overlay, apart from any drawing: tab, search text,
// selection, page size, a copy of the history, the preview, the toast and
// the one-step undo. Views observe it through one signal per field, emitted
// only when an assigned value differs.
class OverviewModel : public QObject {
    Q_OBJECT

public:
    enum class Tab { recent = 0, pinned = 1, all = 2 };
    enum class Direction { left, right, up, down };
    // A pick pastes the clip as copied, or as plain text only (Shift).
    enum class PasteForm { asIs, plain };

    static std::optional<Tab> tabFromRawValue(int value);
    static QList<Tab> allTabs() { return {Tab::recent, Tab::pinned, Tab::all}; }

    static constexpr int toastMilliseconds = 3000;
    static QString movedToPinnedToast();
    static QString removedFromPinnedToast();
    static QString deletedToast();
    static QString restoredToast();
    static QString secretNotKeptToast();

    // Runs `action` once after `delayMs` on the main thread; the returned
    // function cancels it. Tests substitute a clock of their own.
    using Scheduler =
        std::function<std::function<void()>(int delayMs, std::function<void()> action)>;

    OverviewModel(ClipStoring& store, qint64 gridSize, QObject* parent = nullptr);

    Tab tab() const { return m_tab; }
    void setTab(Tab tab);
    QString query() const { return m_query; }
    void setQuery(const QString& query);
    qint64 selection() const { return m_selection; }
    void setSelection(qint64 selection);
    // Cards on a page of "Recent": 6 or 9, as the preferences say.
    qint64 gridSize() const { return m_gridSize; }
    void setGridSize(qint64 gridSize);
    std::optional<QString> toast() const { return m_toast; }
    const QList<ClipItem>& items() const { return m_items; }
    qint64 storeVersion() const { return m_storeVersion; }
    std::optional<ClipItem> previewItem() const { return m_previewItem; }
    void setPreviewItem(const std::optional<ClipItem>& item);
    qint64 shownCount() const { return m_shownCount; }
    std::optional<ClipItem> lastRemoved() const { return m_lastRemoved; }
    void setLastRemoved(const std::optional<ClipItem>& item);
    ClipStoring& store() const { return m_store; }

    std::function<void()> onClose;
    std::function<void(const ClipItem&)> onPick;
    std::function<void()> onOpenSettings;
    std::function<void()> onDragStarted;
    Scheduler scheduler;

    bool isSearching() const;
    QList<ClipItem> visibleItems() const;
    std::optional<ClipItem> currentItem() const;

    void prepareForShow();
    void move(Direction direction);
    void nextTab();
    void pick(const ClipItem& item, PasteForm form = PasteForm::asIs);
    void pickSelected(PasteForm form = PasteForm::asIs);
    bool pickNumber(qint64 number, PasteForm form = PasteForm::asIs);
    void togglePreview();
    void togglePinSelected();
    void deleteSelected();
    bool undo();
    void showToast(const QString& text);
    // Shown for a while at the next opening: news of something that happened
    // while the overlay was closed.
    void showToastAtNextOpening(const QString& text);
    // The text of a picture was read after the picture came: a search under
    // way may find it now.
    void pictureTextArrived();

Q_SIGNALS:
    void tabChanged();
    void queryChanged();
    void selectionChanged();
    void gridSizeChanged();
    void toastChanged();
    void itemsChanged();
    void storeVersionChanged();
    void previewItemChanged();
    void shownCountChanged();
    void lastRemovedChanged();

private:
    void storeChanged();
    void keepSelectionInRange();
    void setItems(const QList<ClipItem>& items);
    void setToast(const std::optional<QString>& toast);
    void cancelToastTask();
    std::optional<ClipItem> selectedItem() const;
    qint64 moveTarget(Direction direction, qint64 count) const;

    Tab m_tab = Tab::recent;
    QString m_query;
    qint64 m_selection = 0;
    qint64 m_gridSize;
    std::optional<QString> m_toast;
    std::function<void()> m_toastTask;
    ClipStoring& m_store;
    QList<ClipItem> m_items;
    // Kept between keystrokes; visibleItems is a query, the index a cache.
    mutable SearchIndex m_searchIndex;
    qint64 m_storeVersion = 0;
    std::optional<ClipItem> m_previewItem;
    qint64 m_shownCount = 0;
    std::optional<ClipItem> m_lastRemoved;
    std::optional<QString> m_nextOpeningToast;
};
