#pragma once

#include <QVariantAnimation>
#include <QWidget>

#include <optional>

// A short message under the grid ("Moved to Pinned", "Deleted · ⌃Z to
// undo") on a glass capsule. It grows in from 90 % while fading in, and
// fades out more slowly when the message goes away.
class OverviewToastView : public QWidget {
    Q_OBJECT

public:
    static constexpr int appearMilliseconds = 250;
    static constexpr int disappearMilliseconds = 600;

    explicit OverviewToastView(QWidget* parent = nullptr);

    void setMessage(const std::optional<QString>& message);
    std::optional<QString> message() const { return m_message; }
    // Whether anything is drawn, the fading-out message included.
    bool isShowingMessage() const { return m_presence > 0 || m_message.has_value(); }

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    std::optional<QString> m_message;
    // The text drawn, kept while the toast fades out.
    QString m_shownText;
    qreal m_presence = 0;
    QVariantAnimation m_animation;
};
