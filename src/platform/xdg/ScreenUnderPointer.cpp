#include "ScreenUnderPointer.h"

#include <QCursor>
#include <QGuiApplication>
#include <QScreen>

std::optional<QRect> screenFrameUnderPointer() {
    QScreen* screen = QGuiApplication::screenAt(QCursor::pos());
    if (!screen)
        screen = QGuiApplication::primaryScreen();
    return screen ? std::optional(screen->geometry()) : std::nullopt;
}
