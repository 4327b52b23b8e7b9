#pragma once

#include <QColor>
#include <QImage>
#include <QList>
#include <QPaintDevice>
#include <QPainterPath>

#include <memory>

// A paint device that draws nothing and keeps every run of text painted on
// it: what it says, its colour and where its glyphs lie, in the device
// pixels of a picture of the same size. Rendering a widget on it and on a
// picture tells which pixels of the picture are which text, and which lie
// around it.
class TextRecorder : public QPaintDevice {
public:
    struct Run {
        QString text;
        // The pen's colour with the painter's opacity in its alpha.
        QColor colour;
        QPainterPath glyphs;
        // The line's box, cut to the clip it was painted in.
        QRectF box;
    };

    // Measures like `picture`: size, pixel ratio and resolution.
    explicit TextRecorder(const QImage& picture);
    ~TextRecorder() override;

    QPaintEngine* paintEngine() const override;
    const QList<Run>& runs() const;

protected:
    int metric(PaintDeviceMetric metric) const override;

private:
    class Engine;
    std::unique_ptr<Engine> m_engine;
    QSize m_pixels;
    qreal m_ratio;
    int m_dpiX;
    int m_dpiY;
};
