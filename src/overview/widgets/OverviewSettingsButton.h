#pragma once

#include <QAbstractButton>

// The gear on a glass circle in the overlay's header.
class OverviewSettingsButton : public QAbstractButton {
    Q_OBJECT

public:
    static constexpr int side = 40;

    explicit OverviewSettingsButton(QWidget* parent = nullptr);
    QSize sizeHint() const override { return {side, side}; }

protected:
    void paintEvent(QPaintEvent* event) override;
};
