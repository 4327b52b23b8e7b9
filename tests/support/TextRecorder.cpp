#include "TextRecorder.h"

#include <QPaintEngine>
#include <QPainter>

#include <limits>

class TextRecorder::Engine : public QPaintEngine {
public:
    Engine() : QPaintEngine(QPaintEngine::AllFeatures) {}

    bool begin(QPaintDevice*) override { return true; }
    bool end() override { return true; }
    Type type() const override { return QPaintEngine::User; }
    void updateState(const QPaintEngineState&) override {}
    void drawPixmap(const QRectF&, const QPixmap&, const QRectF&) override {}
    void drawImage(const QRectF&, const QImage&, const QRectF&, Qt::ImageConversionFlags) override {
    }
    void drawPath(const QPainterPath&) override {}
    void drawPolygon(const QPointF*, int, PolygonDrawMode) override {}

    void drawTextItem(const QPointF& origin, const QTextItem& item) override {
        if (item.text().trimmed().isEmpty())
            return;
        // The full transform to the device, pixel ratio and widget offsets
        // included, as the painter hands it to an engine that transforms.
        const QTransform toDevice = state->transform();
        QPainterPath glyphs;
        glyphs.addText(origin, item.font(), item.text());
        QRectF box = toDevice.mapRect(QRectF(origin.x(), origin.y() - item.ascent(), item.width(),
                                             item.ascent() + item.descent()));
        if (painter()->hasClipping())
            box &= toDevice.mapRect(painter()->clipBoundingRect());
        QColor colour = state->pen().color();
        colour.setAlphaF(colour.alphaF() * state->opacity());
        m_runs.append({item.text(), colour, toDevice.map(glyphs), box});
    }

    QList<Run> m_runs;
};

TextRecorder::TextRecorder(const QImage& picture)
    : m_engine(std::make_unique<Engine>()), m_pixels(picture.size()),
      m_ratio(picture.devicePixelRatio()), m_dpiX(picture.logicalDpiX()),
      m_dpiY(picture.logicalDpiY()) {}

TextRecorder::~TextRecorder() = default;

QPaintEngine* TextRecorder::paintEngine() const {
    return m_engine.get();
}

const QList<TextRecorder::Run>& TextRecorder::runs() const {
    return m_engine->m_runs;
}

int TextRecorder::metric(PaintDeviceMetric metric) const {
    switch (metric) {
    case PdmWidth:
        return m_pixels.width();
    case PdmHeight:
        return m_pixels.height();
    case PdmWidthMM:
        return qRound(m_pixels.width() * 25.4 / m_dpiX);
    case PdmHeightMM:
        return qRound(m_pixels.height() * 25.4 / m_dpiY);
    case PdmDpiX:
    case PdmPhysicalDpiX:
        return m_dpiX;
    case PdmDpiY:
    case PdmPhysicalDpiY:
        return m_dpiY;
    case PdmDevicePixelRatio:
        return qRound(m_ratio);
    case PdmDevicePixelRatioScaled:
        return qRound(m_ratio * devicePixelRatioFScale());
    case PdmDepth:
        return 32;
    case PdmNumColors:
        return std::numeric_limits<int>::max();
    default:
        return QPaintDevice::metric(metric);
    }
}
