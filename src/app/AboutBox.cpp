#include "AboutBox.h"

#include "style/AppIcon.h"
#include "style/IconView.h"
#include "style/TextStyles.h"

#include <QApplication>
#include <QDialogButtonBox>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

using namespace Qt::StringLiterals;

namespace {

constexpr int iconSide = 72;

QLabel* centred(const QString& text, const QFont& font, bool secondary = false) {
    auto* label = new QLabel(text);
    label->setFont(font);
    label->setAlignment(Qt::AlignHCenter);
    label->setWordWrap(true);
    label->setTextInteractionFlags(Qt::TextSelectableByMouse);
    if (secondary)
        useSecondaryText(*label);
    return label;
}

} // namespace

// Wrapped texts need more height on some screens than when the box was
// made (fonts are measured for the screen it opens on): a box sized once
// would draw its title over the icon there.
void AboutBox::showEvent(QShowEvent* event) {
    setFixedHeight(heightForWidth(width()));
    QDialog::showEvent(event);
}

QString AboutBox::versionText() {
    return tr("Version %1").arg(QLatin1StringView(VELLOQ_VERSION));
}

AboutBox::AboutBox(QWidget* parent) : QDialog(parent) {
    setWindowTitle(tr("About Velloq"));
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(32, 28, 32, 20);
    layout->setSpacing(6);
    layout->addWidget(new IconView(AppIcon::icon(), iconSide), 0, Qt::AlignHCenter);
    layout->addSpacing(8);
    QFont title = styledFont(TextStyle::title2);
    title.setWeight(QFont::DemiBold);
    layout->addWidget(centred(u"Velloq"_s, title));
    layout->addWidget(centred(versionText(), styledFont(TextStyle::callout), true));
    layout->addSpacing(10);
    layout->addWidget(
        centred(tr("Your clipboard history, one shortcut away."), styledFont(TextStyle::body)));
    layout->addSpacing(10);
    layout->addWidget(
        centred(tr("Made by Tarnbrook Software. Free software under the GNU GPL, version 3 or "
                   "later.\nBuilt with Qt %1 (LGPL 3), libxcb, xkbcommon and libgcrypt.")
                    .arg(QString::fromLatin1(qVersion())),
                styledFont(TextStyle::caption), true));
    layout->addSpacing(12);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close);
    buttons->setCenterButtons(true);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);
    setFixedWidth(360);
}
