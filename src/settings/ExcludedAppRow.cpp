#include "ExcludedAppRow.h"

#include "style/IconView.h"
#include "style/Symbols.h"
#include "style/TextStyles.h"

#include <QFontDatabase>
#include <QHBoxLayout>
#include <QLabel>
#include <QTextDocument>
#include <QToolButton>

using namespace Qt::StringLiterals;

namespace {

constexpr int iconSide = 16;

} // namespace

ExcludedAppRow::ExcludedAppRow(const QString& bundleID, const QIcon& icon, const QString& name,
                               std::function<void()> onRemove, QWidget* parent)
    : QWidget(parent), m_bundleID(bundleID) {
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(8);
    const bool installed = !icon.isNull() && !name.isEmpty();
    if (installed) {
        layout->addWidget(new IconView(icon, iconSide));
    }
    // The name and the id are a desktop entry's: plain text, never markup.
    auto* title = new QLabel(installed ? name : bundleID);
    title->setTextFormat(Qt::PlainText);
    if (!installed) {
        QFont mono = QFontDatabase::systemFont(QFontDatabase::FixedFont);
        mono.setPointSizeF(styledFont(TextStyle::caption).pointSizeF());
        title->setFont(mono);
    }
    title->setToolTip(Qt::convertFromPlainText(bundleID));
    layout->addWidget(title, 1);
    auto* remove = new QToolButton;
    remove->setAutoRaise(true);
    remove->setIcon(Symbols::icon(u"minus.circle"_s));
    remove->setToolTip(tr("Remove"));
    remove->setAccessibleName(tr("Remove %1").arg(installed ? name : bundleID));
    remove->setFocusPolicy(Qt::StrongFocus);
    connect(remove, &QToolButton::clicked, this, [onRemove = std::move(onRemove)] {
        if (onRemove)
            onRemove();
    });
    layout->addWidget(remove);
}
