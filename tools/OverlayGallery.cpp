#include "OverlayGallery.h"

#include "OverlayScene.h"

#include <QEventLoop>
#include <QTimer>

using namespace Qt::StringLiterals;

namespace {

void settle() {
    QEventLoop loop;
    QTimer::singleShot(400, &loop, &QEventLoop::quit);
    loop.exec();
}

void save(OverlayScene& scene, const QString& path) {
    settle();
    scene.compose().save(path);
}

} // namespace

void renderOverlays(const QString& prefix, const QList<ClipItem>& items, const QIcon& appIcon) {
    OverlayScene scene(items, appIcon);
    scene.setDesktop(OverlayScene::busyDesktop(), OverlayScene::Backdrop::picture);
    scene.model().setSelection(-1);
    save(scene, prefix + u"-overlay.png"_s);
    scene.model().setSelection(1);
    save(scene, prefix + u"-overlay-selected.png"_s);
    scene.model().togglePreview();
    save(scene, prefix + u"-overlay-preview.png"_s);
    scene.model().togglePreview();
    // Without any blur, as on a desktop that gives the overlay no picture
    // of the screen and blurs nothing behind it.
    scene.setDesktop(OverlayScene::busyDesktop(), OverlayScene::Backdrop::plainDimming);
    save(scene, prefix + u"-overlay-unblurred.png"_s);
    // Nothing pinned: the empty grid's text.
    scene.model().setTab(OverviewModel::Tab::pinned);
    save(scene, prefix + u"-overlay-empty.png"_s);
}
