#pragma once

#include <QSize>

// The largest picture decoded anywhere in Velloq. A small file can claim a
// huge picture and take minutes and gigabytes to unpack, so every reader
// checks the size in the header against this before decoding. Real photos
// (64 MP) stay well below it.
constexpr qint64 maximumPicturePixels = 150'000'000;

// Whether a picture of `size`, as its header gives it, may be decoded.
bool isDecodablePictureSize(QSize size);

// Qt's limit on what an image reader may allocate, which is process-wide,
// set once to what the largest decodable picture needs (its default, 256 MB,
// would refuse a 64 MP photo). Call before decoding pictures.
void allowDecodablePictures();
