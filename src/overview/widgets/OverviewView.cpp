#include "OverviewView.h"

#include "KeyHintBar.h"
#include "OverviewGrid.h"
#include "OverviewPreviewLayer.h"
#include "OverviewSearchField.h"
#include "OverviewSettingsButton.h"
#include "OverviewTabPicker.h"
#include "OverviewToastView.h"
#include "overview/OverviewKeyMap.h"
#include "overview/OverviewModel.h"
#include "style/GlassContainer.h"

#include <QHBoxLayout>
#include <QMouseEvent>
#include <QTimer>

namespace {

// The header row swallows clicks between its controls instead of letting
// them reach the backdrop, which would close the overlay.
class HeaderRow : public QWidget {
public:
    using QWidget::QWidget;

protected:
    void mousePressEvent(QMouseEvent* event) override { event->accept(); }
};

} // namespace

OverviewView::OverviewView(OverviewModel& model, qreal spacing, QWidget* parent)
    : QWidget(parent), m_model(model), m_spacing(spacing), m_header(new HeaderRow(this)),
      m_tabPicker(new OverviewTabPicker(m_header)),
      m_searchField(new OverviewSearchField(model, m_header)),
      m_settingsButton(new OverviewSettingsButton(m_header)),
      m_grid(new OverviewGrid(model, spacing, this)), m_toast(new OverviewToastView(this)),
      m_keyHints(new KeyHintBar(this)), m_preview(new OverviewPreviewLayer(model, this)),
      m_glass(new GlassContainer(this)) {
    setAttribute(Qt::WA_TranslucentBackground);
    auto* row = new QHBoxLayout(m_header);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(headerSpacing);
    row->addStretch(1);
    row->addWidget(m_tabPicker, 0, Qt::AlignVCenter);
    row->addWidget(m_searchField, 0, Qt::AlignVCenter);
    row->addWidget(m_settingsButton, 0, Qt::AlignVCenter);
    row->addStretch(1);
    m_searchField->setMinimumWidth(OverviewSearchField::maximumWidth);
    bindModel();
    updateBottomBar();
}

void OverviewView::bindModel() {
    connect(m_tabPicker, &OverviewTabPicker::tabClicked, this, [this](int index) {
        OverviewKeyMap::switchTab(m_model, index);
        focusSearch();
    });
    connect(m_settingsButton, &QAbstractButton::clicked, this, [this] {
        if (m_model.onOpenSettings)
            m_model.onOpenSettings();
    });
    const auto searchState = [this] {
        m_tabPicker->setCurrentTab(int(m_model.tab()));
        m_tabPicker->setSearching(m_model.isSearching());
        m_keyHints->setSearching(m_model.isSearching());
    };
    connect(&m_model, &OverviewModel::tabChanged, this, searchState);
    connect(&m_model, &OverviewModel::queryChanged, this, searchState);
    searchState();
    connect(&m_model, &OverviewModel::gridSizeChanged, this, [this] {
        m_keyHints->setGridSize(m_model.gridSize());
        layoutParts();
    });
    m_keyHints->setGridSize(m_model.gridSize());
    connect(&m_model, &OverviewModel::toastChanged, this, &OverviewView::updateBottomBar);
    connect(&m_model, &OverviewModel::shownCountChanged, this, [this] {
        focusSearch();
        QTimer::singleShot(refocusMilliseconds, this, &OverviewView::focusSearch);
    });
}

void OverviewView::setApplicationLookup(const std::function<QIcon(const QString&)>& icon,
                                        const std::function<QString(const QString&)>& name) {
    m_grid->applicationIcon = icon;
    m_preview->setApplicationLookup(icon, name);
}

void OverviewView::setBackdrop(const QImage& screen, qreal shade) {
    m_glass->setBackdrop(screen, shade);
}

void OverviewView::releaseBackdrops() {
    m_glass->releaseBackdrop();
    m_preview->releaseBackdrop();
}

void OverviewView::setShowsKeyHints(bool shows) {
    m_showsKeyHints = shows;
    updateBottomBar();
}

void OverviewView::setDragEndedHandler(std::function<void()> handler) {
    m_grid->onDragEnded = std::move(handler);
}

void OverviewView::focusSearch() {
    m_searchField->setSearchFocused(true);
}

void OverviewView::updateBottomBar() {
    const auto toast = m_model.toast();
    m_toast->setMessage(toast);
    m_keyHints->setVisible(!toast && m_showsKeyHints);
    layoutParts();
}

void OverviewView::resizeEvent(QResizeEvent*) {
    layoutParts();
}

void OverviewView::layoutParts() {
    const QRect column =
        rect().adjusted(horizontalPadding, verticalPadding, -horizontalPadding, -verticalPadding);
    const int headerHeight = m_header->sizeHint().height();
    m_header->setGeometry(column.left(), column.top(), column.width(), headerHeight);
    const int barHeight = std::max(m_keyHints->sizeHint().height(), m_toast->sizeHint().height());
    const QRect bar(column.left(), column.bottom() + 1 - barHeight, column.width(), barHeight);
    m_keyHints->setGeometry(bar);
    m_toast->setGeometry(bar);
    const int gridTop = column.top() + headerHeight + int(m_spacing);
    const int gridBottom = bar.top() - int(m_spacing);
    m_grid->setGeometry(column.left(), gridTop, column.width(), std::max(0, gridBottom - gridTop));
    m_preview->setGeometry(rect());
    m_preview->raise();
}

void OverviewView::mousePressEvent(QMouseEvent* event) {
    event->accept();
    if (event->button() == Qt::LeftButton && m_model.onClose)
        m_model.onClose();
}
