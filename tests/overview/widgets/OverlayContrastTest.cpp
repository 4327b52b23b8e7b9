// Every text of the overlay, measured in the picture the overlay window
// shows, must stand out from what lies under it by the 4.5:1 contrast ratio
// of WCAG 2 for normal text: in the light and the dark appearance, over a
// blurred picture of the screen, the compositor's blur or the bare dimmed
// screen, whatever that screen shows.

#include "OverlayScene.h"
#include "overview/widgets/ClipPreviewView.h"
#include "overview/widgets/OverviewGrid.h"
#include "overview/widgets/OverviewPreviewLayer.h"
#include "overview/widgets/OverviewToastView.h"
#include "style/Appearance.h"
#include "support/TextRecorder.h"

#include <QAbstractAnimation>
#include <QApplication>
#include <QPainter>
#include <QSet>
#include <QTest>

#include <algorithm>
#include <cmath>

using namespace Qt::StringLiterals;

namespace {

constexpr double leastContrast = 4.5;

double luminance(double red, double green, double blue) {
    const auto linear = [](double channel) {
        return channel <= 0.04045 ? channel / 12.92 : std::pow((channel + 0.055) / 1.055, 2.4);
    };
    return 0.2126 * linear(red) + 0.7152 * linear(green) + 0.0722 * linear(blue);
}

// The text's colour laid over `ground` as the painter blends it, against
// `ground` itself.
double contrast(const QColor& text, QRgb ground) {
    const double alpha = text.alphaF();
    const auto over = [alpha](double ink, int under) {
        return alpha * ink + (1 - alpha) * under / 255.0;
    };
    const double groundLight =
        luminance(qRed(ground) / 255.0, qGreen(ground) / 255.0, qBlue(ground) / 255.0);
    const double textLight =
        luminance(over(text.redF(), qRed(ground)), over(text.greenF(), qGreen(ground)),
                  over(text.blueF(), qBlue(ground)));
    return (std::max(groundLight, textLight) + 0.05) / (std::min(groundLight, textLight) + 0.05);
}

// Where any text's glyphs lie, widened by the blur of their edges: the
// pixels that are no text's ground.
QImage inkMask(const QImage& picture, const QList<TextRecorder::Run>& runs) {
    QImage mask(picture.size(), QImage::Format_Grayscale8);
    mask.fill(0);
    QPainter painter(&mask);
    painter.setPen(QPen(Qt::white, 3 * picture.devicePixelRatio()));
    painter.setBrush(Qt::white);
    for (const TextRecorder::Run& run : runs)
        painter.drawPath(run.glyphs);
    return mask;
}

struct Measure {
    // Of the ground pixels in the run's box: all but the worst 2 %, so that
    // a stray edge of a neighbouring shape does not decide.
    double worst = 0;
    double median = 0;
};

std::optional<Measure> measure(const QImage& picture, const QImage& ink,
                               const TextRecorder::Run& run) {
    const QRect box = run.box.toAlignedRect() & picture.rect();
    std::vector<double> ratios;
    for (int y = box.top(); y <= box.bottom(); ++y) {
        const auto* pixels = reinterpret_cast<const QRgb*>(picture.constScanLine(y));
        const uchar* inked = ink.constScanLine(y);
        for (int x = box.left(); x <= box.right(); ++x) {
            if (!inked[x])
                ratios.push_back(contrast(run.colour, pixels[x]));
        }
    }
    if (ratios.empty())
        return std::nullopt;
    std::sort(ratios.begin(), ratios.end());
    return Measure{ratios[ratios.size() / 50], ratios[ratios.size() / 2]};
}

QImage filled(const QColor& colour) {
    QImage desktop(OverlayScene::screenSize, QImage::Format_RGB32);
    desktop.fill(colour);
    return desktop;
}

QList<ClipItem> clips() {
    const double now = double(QDateTime::currentSecsSinceEpoch());
    const auto item = [now](ClipContent content, double ageSeconds) {
        return ClipItem{QUuid::createUuid(), now - ageSeconds, u"org.example.Editor"_s,
                        std::move(content)};
    };
    QList<QUrl> files;
    for (const char* name : {"Report.pdf", "Budget.ods", "Notes.txt", "Logo.svg", "Song.ogg"})
        files.append(QUrl::fromLocalFile(u"/tmp/"_s + QLatin1StringView(name)));
    return {item(TextContent{u"Meet at the café at 9:30, bring the slides."_s}, 20),
            item(LinkContent{QUrl(u"https://www.example.com/articles/clipboard-history"_s)}, 50),
            item(FilesContent{files}, 3000000),
            item(TextContent{u"Velloq keeps what you copy. "_s.repeated(30)}, 300)};
}

QIcon editorIcon() {
    QPixmap pixmap(64, 64);
    pixmap.fill(QColor(0x34, 0xc7, 0x59));
    return QIcon(pixmap);
}

// The texts `part` of the view draws, where they show in `picture`.
QList<TextRecorder::Run> record(const QWidget& part, const QImage& picture) {
    TextRecorder recorder(picture);
    const_cast<QWidget&>(part).render(&recorder, part.mapTo(part.window(), QPoint(0, 0)), {},
                                      QWidget::DrawChildren);
    return recorder.runs();
}

bool sameRuns(const QList<TextRecorder::Run>& one, const QList<TextRecorder::Run>& other) {
    return std::equal(one.begin(), one.end(), other.begin(), other.end(),
                      [](const TextRecorder::Run& a, const TextRecorder::Run& b) {
                          return a.text == b.text && a.colour == b.colour && a.box == b.box;
                      });
}

} // namespace

class OverlayContrastTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { m_appearance = std::make_unique<Appearance>(); }
    void everyTextStandsOut_data();
    void everyTextStandsOut();

private:
    void measureState(OverlayScene& scene, const QString& state, QStringList& failures,
                      const QWidget* part = nullptr);

    // Every text measured in the current row.
    QSet<QString> m_measured;

    std::unique_ptr<Appearance> m_appearance;
};

void OverlayContrastTest::everyTextStandsOut_data() {
    QTest::addColumn<bool>("dark");
    QTest::addColumn<OverlayScene::Backdrop>("backdrop");
    QTest::addColumn<QImage>("desktop");
    const std::pair<const char*, OverlayScene::Backdrop> backdrops[] = {
        {"picture", OverlayScene::Backdrop::picture},
        {"compositor-blur", OverlayScene::Backdrop::compositorBlur},
        {"plain", OverlayScene::Backdrop::plainDimming}};
    const std::pair<const char*, QImage> desktops[] = {{"busy", OverlayScene::busyDesktop()},
                                                       {"white", filled(Qt::white)},
                                                       {"black", filled(Qt::black)}};
    for (const bool dark : {false, true}) {
        for (const auto& [backdropName, backdrop] : backdrops) {
            for (const auto& [desktopName, desktop] : desktops)
                QTest::addRow("%s %s %s", dark ? "dark" : "light", backdropName, desktopName)
                    << dark << backdrop << desktop;
        }
    }
}

void OverlayContrastTest::everyTextStandsOut() {
    QFETCH(bool, dark);
    QFETCH(OverlayScene::Backdrop, backdrop);
    QFETCH(QImage, desktop);
    QApplication::setPalette(dark ? Appearance::darkPalette() : Appearance::lightPalette());
    OverlayScene scene(clips(), editorIcon());
    scene.setDesktop(desktop, backdrop);
    OverviewModel& model = scene.model();
    QStringList failures;
    m_measured.clear();
    model.setSelection(1);
    measureState(scene, u"cards"_s, failures);
    model.togglePreview();
    measureState(scene, u"preview"_s, failures, scene.view().previewLayer());
    model.togglePreview();
    model.showToast(OverviewModel::deletedToast());
    measureState(scene, u"toast"_s, failures, scene.view().toastView());
    model.setQuery(u"nowhere to be found"_s);
    measureState(scene, u"search"_s, failures);
    model.setQuery({});
    model.setTab(OverviewModel::Tab::pinned);
    measureState(scene, u"empty tab"_s, failures);
    QVERIFY2(failures.isEmpty(), qPrintable(failures.join(u"\n"_s)));
    // Each kind of text was found where it shows: a text the recorder
    // missed would pass unmeasured.
    for (const QString& text :
         {u"Search"_s, u"Close"_s, u"nowhere to be found"_s, u"Text"_s,
          OverviewModel::deletedToast(), ClipPreviewView::footerText(),
          OverviewGrid::emptyText(true, false), OverviewGrid::emptyText(false, true)})
        QVERIFY2(m_measured.contains(text), qPrintable(text));
}

// Waits until nothing moves, then measures every text drawn.
// Only `part` of the view, when given: the preview hides the cards' texts,
// and the toast shows over what was measured already.
void OverlayContrastTest::measureState(OverlayScene& scene, const QString& state,
                                       QStringList& failures, const QWidget* part) {
    QList<TextRecorder::Run> runs;
    QImage picture;
    QVERIFY(QTest::qWaitFor(
        [&] {
            const auto animations = scene.view().findChildren<QAbstractAnimation*>();
            if (std::any_of(animations.begin(), animations.end(), [](const auto* animation) {
                    return animation->state() == QAbstractAnimation::Running;
                }))
                return false;
            picture = scene.compose();
            QList<TextRecorder::Run> now = record(part ? *part : scene.view(), picture);
            const bool settled = !now.isEmpty() && sameRuns(now, runs);
            runs = std::move(now);
            return settled;
        },
        5000));
    const QImage ink = inkMask(picture, runs);
    for (const TextRecorder::Run& run : runs) {
        const std::optional<Measure> measured = measure(picture, ink, run);
        if (!measured)
            continue;
        m_measured.insert(run.text);
        const QPoint at = run.box.topLeft().toPoint();
        const QString line =
            u"%1 | %2 | at %3,%4 | worst %5 | median %6"_s.arg(state, run.text.left(40))
                .arg(at.x())
                .arg(at.y())
                .arg(measured->worst, 0, 'f', 2)
                .arg(measured->median, 0, 'f', 2);
        qInfo().noquote() << line;
        if (measured->worst < leastContrast)
            failures << line;
    }
}

QTEST_MAIN(OverlayContrastTest)
#include "OverlayContrastTest.moc"
