#pragma once

#include <QFutureWatcher>
#include <QImage>
#include <QUrl>
#include <QWidget>

#include <functional>
#include <optional>

// The thumbnail of one file: its type's icon at first, replaced by a
// thumbnail made off the main thread once it is ready.
class FileThumbnailView : public QWidget {
    Q_OBJECT

public:
    explicit FileThumbnailView(QWidget* parent = nullptr);

    // Starts loading for `url` at `side` points (restarts when it changes).
    void setFile(const QUrl& url, qreal side);
    QUrl url() const { return m_url; }
    const std::optional<QImage>& thumbnail() const { return m_thumbnail; }

    // Makes a thumbnail of at most that many pixels a side; runs on a worker
    // thread. The freedesktop cache and image decoding by default.
    std::function<QImage(const QUrl&, int pixelSide)> loader;

Q_SIGNALS:
    void thumbnailLoaded();

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QUrl m_url;
    qreal m_side = 0;
    std::optional<QImage> m_thumbnail;
    QFutureWatcher<QImage> m_watcher;
};
