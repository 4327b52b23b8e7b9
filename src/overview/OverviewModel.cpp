#include "OverviewModel.h"

#include "history/ClipStore.h"
#include "paste/ClipMimeData.h"

#include <QPointer>
#include <QTimer>

#include <algorithm>
#include <cmath>

using namespace Qt::StringLiterals;

QString OverviewModel::movedToPinnedToast() {
    return tr("Moved to Pinned");
}

QString OverviewModel::removedFromPinnedToast() {
    return tr("Removed from Pinned");
}
// Local shortcuts use Control on Linux, so the undo hint does too.
QString OverviewModel::deletedToast() {
    return tr("Deleted · ⌃Z to undo");
}

QString OverviewModel::restoredToast() {
    return tr("Restored");
}

QString OverviewModel::secretNotKeptToast() {
    return tr("Not kept: looks like a secret");
}

namespace {

// Spaces and tabs, not line breaks: a query of line breaks counts as a
// search (and finds nothing, since the search itself trims them).
bool isBlank(QChar c) {
    return c == u'\t' || c.category() == QChar::Separator_Space;
}

OverviewModel::Scheduler timerScheduler(QObject* context) {
    return [context](int delayMs, std::function<void()> action) -> std::function<void()> {
        auto* timer = new QTimer(context);
        timer->setSingleShot(true);
        timer->setTimerType(Qt::PreciseTimer);
        QObject::connect(timer, &QTimer::timeout, context, [timer, action] {
            timer->deleteLater();
            action();
        });
        timer->start(delayMs);
        return [guard = QPointer(timer)] {
            if (guard) {
                guard->stop();
                guard->deleteLater();
            }
        };
    };
}

} // namespace

std::optional<OverviewModel::Tab> OverviewModel::tabFromRawValue(int value) {
    if (value < 0 || value > 2)
        return std::nullopt;
    return Tab(value);
}

OverviewModel::OverviewModel(ClipStoring& store, qint64 gridSize, QObject* parent)
    : QObject(parent), scheduler(timerScheduler(this)), m_gridSize(gridSize), m_store(store),
      m_items(store.items()) {
    m_store.onChange = [model = QPointer(this)] {
        if (model)
            model->storeChanged();
    };
}

void OverviewModel::setTab(Tab tab) {
    if (tab == m_tab)
        return;
    m_tab = tab;
    Q_EMIT tabChanged();
    setSelection(0);
}

void OverviewModel::setQuery(const QString& query) {
    if (query == m_query)
        return;
    m_query = query;
    Q_EMIT queryChanged();
    setSelection(0);
}

void OverviewModel::setSelection(qint64 selection) {
    if (selection == m_selection)
        return;
    m_selection = selection;
    Q_EMIT selectionChanged();
}

void OverviewModel::setGridSize(qint64 gridSize) {
    if (gridSize == m_gridSize)
        return;
    m_gridSize = gridSize;
    Q_EMIT gridSizeChanged();
}

void OverviewModel::setToast(const std::optional<QString>& toast) {
    if (toast == m_toast)
        return;
    m_toast = toast;
    Q_EMIT toastChanged();
}

void OverviewModel::setItems(const QList<ClipItem>& items) {
    if (items == m_items)
        return;
    m_items = items;
    Q_EMIT itemsChanged();
}

void OverviewModel::setPreviewItem(const std::optional<ClipItem>& item) {
    if (item == m_previewItem)
        return;
    m_previewItem = item;
    Q_EMIT previewItemChanged();
}

void OverviewModel::setLastRemoved(const std::optional<ClipItem>& item) {
    if (item == m_lastRemoved)
        return;
    m_lastRemoved = item;
    Q_EMIT lastRemovedChanged();
}

bool OverviewModel::isSearching() const {
    return std::any_of(m_query.cbegin(), m_query.cend(), [](QChar c) { return !isBlank(c); });
}

QList<ClipItem> OverviewModel::visibleItems() const {
    if (isSearching())
        return m_searchIndex.search(m_items, m_query);
    switch (m_tab) {
    case Tab::recent:
        return ClipStore::recent(m_items, m_gridSize);
    case Tab::pinned:
        return ClipStore::pinnedItems(m_items);
    case Tab::all:
        break;
    }
    return ClipStore::newestFirst(m_items);
}

std::optional<ClipItem> OverviewModel::selectedItem() const {
    const QList<ClipItem> visible = visibleItems();
    if (m_selection < 0 || m_selection >= visible.size())
        return std::nullopt;
    return visible[m_selection];
}

std::optional<ClipItem> OverviewModel::currentItem() const {
    return m_previewItem ? m_previewItem : selectedItem();
}

void OverviewModel::prepareForShow() {
    ++m_shownCount;
    Q_EMIT shownCountChanged();
    setPreviewItem(std::nullopt);
    cancelToastTask();
    setToast(std::nullopt);
    setQuery(QString());
    setTab(Tab::recent);
    setSelection(0);
    setItems(m_store.items());
    if (const std::optional<QString> news = std::exchange(m_nextOpeningToast, std::nullopt))
        showToast(*news);
}

void OverviewModel::showToastAtNextOpening(const QString& text) {
    m_nextOpeningToast = text;
}

void OverviewModel::move(Direction direction) {
    const qint64 count = visibleItems().size();
    if (count == 0)
        return;
    const qint64 target = moveTarget(direction, count);
    setSelection(std::clamp<qint64>(target, 0, count - 1));
}

qint64 OverviewModel::moveTarget(Direction direction, qint64 count) const {
    if (direction == Direction::left)
        return m_selection - 1;
    if (direction == Direction::right)
        return m_selection + 1;
    const qint64 rows = (count + 2) / 3;
    const qint64 targetRow = m_selection / 3 + (direction == Direction::up ? -1 : 1);
    if (targetRow < 0 || targetRow >= rows)
        return m_selection;
    // Rows are centred when everything fits on one page, so a short last row
    // sits in the middle; otherwise they are left-aligned.
    const qint64 page = m_gridSize;
    const bool centred = count <= page;
    const auto position = [&](qint64 index) {
        const qint64 column = index % 3;
        const qint64 inRow = std::min<qint64>(count - (index - column), 3);
        return double(column) + (centred ? double(3 - inRow) * 0.5 : 0.0);
    };
    const double from = position(m_selection);
    qint64 best = targetRow * 3;
    for (qint64 index = best + 1; index < std::min(count, targetRow * 3 + 3); ++index) {
        if (std::abs(position(index) - from) < std::abs(position(best) - from))
            best = index;
    }
    return best;
}

void OverviewModel::nextTab() {
    const QList<Tab> tabs = allTabs();
    const qsizetype position = std::max<qsizetype>(tabs.indexOf(m_tab), 0);
    setQuery(QString());
    setTab(tabs[(position + 1) % tabs.size()]);
}

void OverviewModel::pick(const ClipItem& item, PasteForm form) {
    if (!onPick)
        return;
    if (form == PasteForm::asIs)
        return onPick(item);
    ClipItem plain = item;
    plain.content = plainForm(item.content);
    onPick(plain);
}

void OverviewModel::pickSelected(PasteForm form) {
    if (const auto previewed = m_previewItem) {
        setPreviewItem(std::nullopt);
        pick(*previewed, form);
        return;
    }
    if (const auto selected = selectedItem())
        pick(*selected, form);
}

bool OverviewModel::pickNumber(qint64 number, PasteForm form) {
    const QList<ClipItem> visible = visibleItems();
    if (number < 1 || number > m_gridSize || number > visible.size())
        return false;
    pick(visible[number - 1], form);
    return true;
}

void OverviewModel::togglePreview() {
    if (m_previewItem) {
        setPreviewItem(std::nullopt);
        return;
    }
    if (const auto selected = selectedItem())
        setPreviewItem(selected);
}

void OverviewModel::togglePinSelected() {
    const auto item = currentItem();
    if (!item)
        return;
    m_store.setPinned(!item->isPinned, item->id);
    showToast(item->isPinned ? removedFromPinnedToast() : movedToPinnedToast());
    setPreviewItem(std::nullopt);
}

void OverviewModel::deleteSelected() {
    const auto item = currentItem();
    if (!item)
        return;
    setPreviewItem(std::nullopt);
    // A picture's file goes with its entry: the undo keeps its bytes.
    ClipItem removed = *item;
    if (const auto* image = std::get_if<ImageContent>(&removed.content))
        removed.content = image->withBytes();
    setLastRemoved(removed);
    m_store.deleteItem(item->id);
    showToast(deletedToast());
}

bool OverviewModel::undo() {
    const auto item = m_lastRemoved;
    if (!item)
        return false;
    setLastRemoved(std::nullopt);
    m_store.restore(*item);
    showToast(restoredToast());
    return true;
}

void OverviewModel::showToast(const QString& text) {
    cancelToastTask();
    setToast(text);
    const QPointer model(this);
    m_toastTask = scheduler(toastMilliseconds, [model] {
        if (model)
            model->setToast(std::nullopt);
    });
}

void OverviewModel::cancelToastTask() {
    if (m_toastTask)
        m_toastTask();
}

void OverviewModel::keepSelectionInRange() {
    const qint64 count = visibleItems().size();
    setSelection(std::min(m_selection, std::max<qint64>(count - 1, 0)));
}

void OverviewModel::pictureTextArrived() {
    if (!isSearching())
        return;
    Q_EMIT itemsChanged();
    keepSelectionInRange();
}

void OverviewModel::storeChanged() {
    setItems(m_store.items());
    keepSelectionInRange();
    ++m_storeVersion;
    Q_EMIT storeVersionChanged();
}
