// Painting cost of the overlay's cards: one card of each kind painted, and 27
// cards (10 of them 1920×1080 images) built, laid out and painted, cold (the
// first time, decoding included) and warm (the same cards again).

#include "BenchmarkPhoto.h"
#include "capture/ClipClassification.h"
#include "overview/widgets/ClipCardView.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QImage>
#include <QPainter>
#include <QTextStream>

#include <memory>

using namespace Qt::StringLiterals;

namespace {

ClipItem item(ClipContent content) {
    return {QUuid::createUuid(), 1765000000, std::nullopt, std::move(content), false};
}

double paintAll(const QList<ClipCardView*>& cards) {
    QImage target(440, 320, QImage::Format_ARGB32_Premultiplied);
    QElapsedTimer timer;
    timer.start();
    for (ClipCardView* card : cards)
        card->render(&target);
    return double(timer.nsecsElapsed()) / 1e6;
}

} // namespace

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QTextStream out(stdout);
    QList<ClipItem> items;
    for (int i = 0; i < 10; ++i)
        items.append(item(ImageContent{benchmarkPhoto(i)}));
    for (int i = 0; i < 17; ++i)
        items.append(
            item(TextContent{u"Card %1: "_s.arg(i) + u"some copied words "_s.repeated(40)}));

    // Cards are made anew for every appearance of the overlay.
    const auto buildAndPaint = [&items](double& building) {
        QElapsedTimer timer;
        timer.start();
        std::vector<std::unique_ptr<ClipCardView>> owned;
        QList<ClipCardView*> cards;
        for (const ClipItem& clip : items) {
            owned.push_back(std::make_unique<ClipCardView>());
            owned.back()->resize(440, 320);
            owned.back()->setItem(clip);
            cards.append(owned.back().get());
        }
        building = double(timer.nsecsElapsed()) / 1e6;
        return paintAll(cards);
    };
    double coldBuild = 0;
    const double coldPaint = buildAndPaint(coldBuild);
    double warmBuild = 0;
    const double warmPaint = buildAndPaint(warmBuild);
    out << "27 cards (10 images 1920x1080), cold: built " << coldBuild
        << " ms (decoding included), painted " << coldPaint << " ms; warm: built " << warmBuild
        << " ms, painted " << warmPaint << " ms, together " << warmBuild + warmPaint << " ms\n";

    const QList<ClipItem> kinds{
        item(TextContent{u"Short text"_s}),
        item(RichTextContent{"{\\rtf1 x}"_ba, u"Rich text, plain form"_s}),
        item(ImageContent{benchmarkPhoto(1)}),
        item(FilesContent{
            {QUrl::fromLocalFile(u"/etc/hosts"_s), QUrl::fromLocalFile(u"/etc/passwd"_s)}}),
        item(LinkContent{QUrl(u"https://www.example.com/a/b"_s)}),
    };
    for (const ClipItem& clip : kinds) {
        ClipCardView card;
        card.resize(440, 320);
        card.setItem(clip);
        paintAll({&card});
        constexpr int rounds = 50;
        double total = 0;
        for (int i = 0; i < rounds; ++i)
            total += paintAll({&card});
        out << "paint one " << kindName(clip.content) << " card: " << total / rounds << " ms\n";
    }
    return 0;
}
