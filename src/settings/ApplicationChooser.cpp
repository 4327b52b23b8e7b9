#include "ApplicationChooser.h"

#include <QDialogButtonBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTextDocument>
#include <QVBoxLayout>

using namespace Qt::StringLiterals;

ApplicationChooser::ApplicationChooser(const QList<DesktopEntries::Entry>& applications,
                                       const std::function<QIcon(const QString&)>& iconOf,
                                       QWidget* parent)
    : QDialog(parent), m_search(new QLineEdit), m_list(new QListWidget) {
    setWindowTitle(tr("Add App"));
    resize(420, 460);
    m_search->setPlaceholderText(tr("Search"));
    m_search->setClearButtonEnabled(true);
    m_search->setAccessibleName(tr("Search applications"));
    m_list->setSelectionMode(QAbstractItemView::ExtendedSelection);
    m_list->setIconSize(QSize(24, 24));
    m_list->setAccessibleName(tr("Applications"));
    const QIcon generic = QIcon::fromTheme(u"application-x-executable"_s);
    for (const DesktopEntries::Entry& application : applications) {
        const QIcon icon = iconOf ? iconOf(application.id) : QIcon();
        auto* item = new QListWidgetItem(icon.isNull() ? generic : icon, application.name, m_list);
        item->setData(Qt::UserRole, application.id);
        // The kind of application, as desktop menus show it, tells apart
        // names that say little ("Files", "Notes").
        const QString kind = application.genericName;
        item->setToolTip(Qt::convertFromPlainText(kind.isEmpty() ? application.id
                                                                 : kind + u'\n' + application.id));
    }
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    buttons->button(QDialogButtonBox::Ok)->setText(tr("Add"));
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(m_list, &QListWidget::itemDoubleClicked, this, &QDialog::accept);
    connect(m_search, &QLineEdit::textChanged, this, &ApplicationChooser::filter);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_search);
    layout->addWidget(m_list, 1);
    layout->addWidget(buttons);
}

void ApplicationChooser::filter(const QString& text) {
    for (int i = 0; i < m_list->count(); ++i) {
        QListWidgetItem* item = m_list->item(i);
        const bool matches =
            item->text().contains(text, Qt::CaseInsensitive) ||
            item->data(Qt::UserRole).toString().contains(text, Qt::CaseInsensitive);
        item->setHidden(!matches);
        if (!matches)
            item->setSelected(false);
    }
}

QStringList ApplicationChooser::chosenIds() const {
    QStringList ids;
    for (int i = 0; i < m_list->count(); ++i) {
        if (m_list->item(i)->isSelected())
            ids.append(m_list->item(i)->data(Qt::UserRole).toString());
    }
    return ids;
}
