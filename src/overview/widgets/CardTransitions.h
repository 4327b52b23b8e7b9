#pragma once

#include <QPixmap>
#include <QWidget>

// A removed card's picture, shrinking to 80 % towards its centre while it
// fades out; it deletes itself at the end.
class VanishingCard : public QWidget {
    Q_OBJECT

public:
    VanishingCard(const QPixmap& picture, const QRect& geometry, int milliseconds, QWidget* parent);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QPixmap m_picture;
    qreal m_progress = 0;
};

// Fades a card in over `milliseconds`.
void fadeIn(QWidget* card, int milliseconds);
