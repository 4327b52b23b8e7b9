#pragma once

#include "history/ClipItem.h"

#include <QIcon>
#include <QWidget>

#include <functional>

class QVBoxLayout;

// One clip enlarged over the grid: the source application and the capture
// date, the whole content (selectable, scrolling where long), and how to
// leave.
class ClipPreviewView : public QWidget {
    Q_OBJECT

public:
    static QString footerText();

    explicit ClipPreviewView(QWidget* parent = nullptr);

    void setItem(const ClipItem& item);
    const ClipItem& item() const { return m_item; }

    // The installed application's icon and name for an application id; a
    // null icon and an empty name when none is installed.
    std::function<QIcon(const QString&)> applicationIcon;
    std::function<QString(const QString&)> applicationName;

    // "Dec 7, 2026 at 3:30 PM"
    static QString captureDateText(double capturedAt);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QWidget* header() const;
    QWidget* body() const;
    QWidget* textBody(const QString& text) const;
    QWidget* richTextBody(const RichTextContent& rich) const;
    QWidget* imageBody(const ImageContent& image) const;
    QWidget* filesBody(const QList<QUrl>& urls) const;
    QWidget* linkBody(const QUrl& url) const;

    ClipItem m_item;
    QVBoxLayout* m_layout;
};
