#include "ClipPreviewView.h"

#include "CardImages.h"
#include "ClipCardView.h"
#include "FileThumbnailView.h"
#include "capture/RtfDocument.h"
#include "overview/ClipPresentation.h"
#include "style/GlassPainter.h"
#include "style/TextStyles.h"

#include <QBuffer>
#include <QDateTime>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QImageReader>
#include <QLabel>
#include <QLocale>
#include <QPainter>
#include <QPlainTextEdit>
#include <QScrollArea>
#include <QTextDocument>
#include <QTextEdit>

using namespace Qt::StringLiterals;

QString ClipPreviewView::footerText() {
    return tr("Return to paste · Space or Esc to close");
}

namespace {

constexpr int previewDecodeSide = 2560;
// Longer rich text is shown in its plain form: laying out a formatted
// document of this size already takes a noticeable moment.
constexpr qsizetype longestFormattedText = 100'000;
constexpr qreal previewTextPoints = 18;

// Names, paths and addresses come from outside: shown as the characters
// they are, never read as markup (which could load files).
QLabel* label(const QString& text, const QFont& font, QWidget* parent = nullptr) {
    auto* widget = new QLabel(text, parent);
    widget->setTextFormat(Qt::PlainText);
    widget->setFont(font);
    widget->setTextInteractionFlags(Qt::TextSelectableByMouse);
    return widget;
}

void setTextColour(QWidget* widget, const QColor& colour) {
    QPalette palette = widget->palette();
    palette.setColor(QPalette::WindowText, colour);
    widget->setPalette(palette);
}

// A picture that keeps its aspect ratio at whatever size it is given.
class FittedImage : public QWidget {
public:
    FittedImage() { setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding); }

    void setImage(const QImage& image) {
        m_image = image;
        update();
    }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        painter.setRenderHint(QPainter::SmoothPixmapTransform);
        painter.setRenderHint(QPainter::Antialiasing);
        const QSizeF fitted = QSizeF(m_image.size()).scaled(size(), Qt::KeepAspectRatio);
        const QRectF target(QRectF(rect()).center() - QPointF(fitted.width(), fitted.height()) / 2,
                            fitted);
        painter.setClipPath(GlassPainter::roundedRect(target, 12));
        painter.drawImage(target, m_image);
    }

private:
    QImage m_image;
};

} // namespace

ClipPreviewView::ClipPreviewView(QWidget* parent)
    : QWidget(parent), m_layout(new QVBoxLayout(this)) {
    setAttribute(Qt::WA_TranslucentBackground);
    m_layout->setContentsMargins(28, 24, 28, 20);
    m_layout->setSpacing(14);
}

QString ClipPreviewView::captureDateText(double capturedAt) {
    const QDateTime time = QDateTime::fromMSecsSinceEpoch(qint64(capturedAt * 1000));
    // The patterns follow the language, the month names the locale.
    const QLocale locale;
    return tr("%1 at %2", "a date, then a time of day")
        .arg(locale.toString(time.date(), tr("MMM d, yyyy", "date pattern")),
             locale.toString(time.time(), tr("h:mm AP", "time pattern")));
}

void ClipPreviewView::setItem(const ClipItem& item) {
    m_item = item;
    while (QLayoutItem* old = m_layout->takeAt(0)) {
        delete old->widget();
        delete old;
    }
    m_layout->addWidget(header());
    m_layout->addWidget(body(), 1);
    auto* footer = label(footerText(), styledFont(TextStyle::caption));
    setTextColour(footer, secondaryTextColour(palette(), tertiaryTextAlpha));
    m_layout->addWidget(footer);
}

QWidget* ClipPreviewView::header() const {
    auto* row = new QWidget;
    auto* layout = new QHBoxLayout(row);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(10);
    const QString id = m_item.sourceBundleID.value_or(QString());
    const QIcon icon = !id.isEmpty() && applicationIcon ? applicationIcon(id) : QIcon();
    if (!icon.isNull()) {
        auto* iconLabel = new QLabel;
        iconLabel->setPixmap(icon.pixmap(24, 24));
        layout->addWidget(iconLabel);
        const QString name = applicationName ? applicationName(id) : QString();
        if (!name.isEmpty())
            layout->addWidget(label(name, styledFont(TextStyle::headline)));
    }
    layout->addStretch(1);
    auto* date = label(captureDateText(m_item.capturedAt), styledFont(TextStyle::body));
    setTextColour(date, secondaryTextColour(palette()));
    layout->addWidget(date);
    return row;
}

QWidget* ClipPreviewView::body() const {
    if (const auto* text = std::get_if<TextContent>(&m_item.content))
        return textBody(text->text);
    if (const auto* rich = std::get_if<RichTextContent>(&m_item.content))
        return richTextBody(*rich);
    if (const auto* image = std::get_if<ImageContent>(&m_item.content))
        return imageBody(*image);
    if (const auto* files = std::get_if<FilesContent>(&m_item.content))
        return filesBody(files->urls);
    return linkBody(std::get<LinkContent>(m_item.content).url);
}

QWidget* ClipPreviewView::textBody(const QString& text) const {
    auto* view = new QPlainTextEdit;
    view->setReadOnly(true);
    view->setFrameShape(QFrame::NoFrame);
    view->setFont(designFont(previewTextPoints));
    view->setPlainText(text);
    view->viewport()->setAutoFillBackground(false);
    return view;
}

QWidget* ClipPreviewView::richTextBody(const RichTextContent& rich) const {
    std::optional<RtfText> rtf;
    if (rich.plain.size() <= longestFormattedText)
        rtf = RtfReader::read(rich.rtf);
    if (!rtf)
        return textBody(rich.plain);
    auto* view = new QTextEdit;
    view->setReadOnly(true);
    view->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    view->setFrameShape(QFrame::NoFrame);
    view->viewport()->setAutoFillBackground(false);
    const RtfDocument::Style style{designFont(previewTextPoints),
                                   palette().color(QPalette::WindowText),
                                   palette().color(QPalette::Window)};
    std::unique_ptr<QTextDocument> document = RtfDocument::make(*rtf, style);
    document->setParent(view);
    view->setDocument(document.release());
    return view;
}

QWidget* ClipPreviewView::imageBody(const ImageContent& image) const {
    auto* box = new QWidget;
    auto* layout = new QVBoxLayout(box);
    layout->setContentsMargins(0, 0, 0, 0);
    const QSize pixels = image.pixelSize();
    if (!pixels.isValid())
        return box;
    // Decoded at about the largest size a screen shows it, off the main
    // thread: a large photo takes a while.
    auto* picture = new FittedImage;
    layout->addWidget(picture, 1);
    decodePictureLater(image, QSize(previewDecodeSide, previewDecodeSide), picture,
                       [picture](const QImage& image) { picture->setImage(image); });
    auto* size = label(u"%1 × %2"_s.arg(pixels.width()).arg(pixels.height()),
                       styledFont(TextStyle::caption));
    setTextColour(size, secondaryTextColour(palette()));
    size->setAlignment(Qt::AlignHCenter);
    layout->addWidget(size);
    return box;
}

QWidget* ClipPreviewView::filesBody(const QList<QUrl>& urls) const {
    if (urls.size() == 1) {
        auto* box = new QWidget;
        auto* layout = new QVBoxLayout(box);
        layout->setContentsMargins(0, 0, 0, 0);
        auto* thumbnail = new FileThumbnailView;
        thumbnail->setFile(urls.first(), 1000);
        layout->addWidget(thumbnail, 1);
        auto* path = label(fileSystemPath(urls.first()), styledFont(TextStyle::callout));
        setTextColour(path, secondaryTextColour(palette()));
        path->setAlignment(Qt::AlignHCenter);
        layout->addWidget(path);
        return box;
    }
    auto* list = new QWidget;
    auto* rows = new QVBoxLayout(list);
    rows->setSpacing(12);
    for (const QUrl& url : urls) {
        auto* row = new QHBoxLayout;
        row->setSpacing(14);
        auto* icon = new QLabel;
        icon->setPixmap(fileTypeIcon(url).pixmap(48, 48));
        row->addWidget(icon);
        auto* names = new QVBoxLayout;
        QFont title = styledFont(TextStyle::title3);
        title.setWeight(QFont::Medium);
        names->addWidget(label(lastPathComponent(url), title));
        auto* folder = label(QFileInfo(fileSystemPath(url)).path(), styledFont(TextStyle::caption));
        setTextColour(folder, secondaryTextColour(palette()));
        names->addWidget(folder);
        row->addLayout(names, 1);
        rows->addLayout(row);
    }
    rows->addStretch(1);
    auto* scroll = new QScrollArea;
    scroll->setFrameShape(QFrame::NoFrame);
    scroll->setWidgetResizable(true);
    scroll->setWidget(list);
    scroll->viewport()->setAutoFillBackground(false);
    list->setAutoFillBackground(false);
    return scroll;
}

QWidget* ClipPreviewView::linkBody(const QUrl& url) const {
    auto* box = new QWidget;
    auto* layout = new QVBoxLayout(box);
    layout->setContentsMargins(0, 0, 0, 0);
    QFont title = styledFont(TextStyle::largeTitle);
    title.setWeight(QFont::DemiBold);
    layout->addWidget(label(ClipPresentation::linkTitle(url), title));
    auto* address = label(absoluteString(url), styledFont(TextStyle::title3));
    address->setWordWrap(true);
    setTextColour(address, palette().color(QPalette::Link));
    layout->addWidget(address);
    layout->addStretch(1);
    return box;
}

void ClipPreviewView::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    GlassPainter::paint(painter, *this,
                        GlassPainter::roundedRect(QRectF(rect()).adjusted(1, 1, -1, -1), 28));
}
