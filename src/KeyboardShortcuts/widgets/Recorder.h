#pragma once

#include "RecorderCocoa.h"

#include <QWidget>

class QLabel;

namespace KeyboardShortcuts {

// A shortcut box with its label before it, as forms place it. Without a
// title the box stands alone.
class Recorder : public QWidget {
    Q_OBJECT

public:
    Recorder(const QString& title, const Name& name, RecorderCocoa::ChangeHandler onChange = {},
             QWidget* parent = nullptr);

    bool hasLabel() const { return m_label != nullptr; }
    QLabel* label() const { return m_label; }
    RecorderCocoa* control() const { return m_control; }

private:
    QLabel* m_label = nullptr;
    RecorderCocoa* m_control;
};

} // namespace KeyboardShortcuts
