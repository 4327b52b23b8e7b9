#include "PictureLimits.h"

#include <QImageReader>

#include <mutex>

bool isDecodablePictureSize(QSize size) {
    return size.isValid() && qint64(size.width()) * size.height() <= maximumPicturePixels;
}

void allowDecodablePictures() {
    static std::once_flag raised;
    std::call_once(raised, [] {
        // Four bytes a pixel, in megabytes, with room for the reader's own.
        QImageReader::setAllocationLimit(int(maximumPicturePixels * 4 / (1024 * 1024)) + 64);
    });
}
