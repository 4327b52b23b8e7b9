#include "Recorder.h"

#include <QHBoxLayout>
#include <QLabel>

namespace KeyboardShortcuts {

Recorder::Recorder(const QString& title, const Name& name, RecorderCocoa::ChangeHandler onChange,
                   QWidget* parent)
    : QWidget(parent), m_control(new RecorderCocoa(name, std::move(onChange))) {
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    if (!title.isEmpty()) {
        m_label = new QLabel(title);
        m_label->setBuddy(m_control);
        layout->addWidget(m_label);
        // Screen readers name the box after its label, without the colon.
        QString name = title;
        if (name.endsWith(u':'))
            name.chop(1);
        m_control->setAccessibleName(name);
    }
    layout->addStretch(1);
    layout->addWidget(m_control);
}

} // namespace KeyboardShortcuts
