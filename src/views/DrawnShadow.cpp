#include "DrawnShadow.h"

#include <QPainter>
#include <QPainterPath>

#include <algorithm>
#include <cmath>
#include <vector>

namespace quillcraft::DrawnShadow {

namespace {

// One box-blur pass over the alpha channel along rows (or columns), with a
// running sum; three passes come close to a Gaussian blur.
void boxBlur(std::vector<float>& alpha, int width, int height, int half, bool rows)
{
    const int lines = rows ? height : width;
    const int length = rows ? width : height;
    const int stride = rows ? 1 : width;
    std::vector<float> line(static_cast<size_t>(length));
    const float window = float(2 * half + 1);
    for (int l = 0; l < lines; ++l) {
        const size_t start = rows ? size_t(l) * size_t(width) : size_t(l);
        for (int i = 0; i < length; ++i)
            line[size_t(i)] = alpha[start + size_t(i) * size_t(stride)];
        float sum = 0;
        for (int i = -half; i <= half; ++i)
            sum += (i >= 0 && i < length) ? line[size_t(i)] : 0.0f;
        for (int i = 0; i < length; ++i) {
            alpha[start + size_t(i) * size_t(stride)] = sum / window;
            const int out = i - half;
            const int in = i + half + 1;
            if (out >= 0)
                sum -= line[size_t(out)];
            if (in < length)
                sum += line[size_t(in)];
        }
    }
}

} // namespace

QRectF shadowRect(const Shape& shape)
{
    const qreal spread = std::ceil(shape.radius) + 1;
    return shape.rect.translated(shape.offset).adjusted(-spread, -spread, spread, spread);
}

QImage render(const Shape& shape, qreal ratio)
{
    const QRectF area = shadowRect(shape);
    const int width = std::max(1, int(std::ceil(area.width() * ratio)));
    const int height = std::max(1, int(std::ceil(area.height() * ratio)));
    QImage mask(width, height, QImage::Format_Alpha8);
    mask.fill(0);
    {
        QPainter painter(&mask);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.scale(ratio, ratio);
        painter.translate(-area.topLeft() + shape.offset);
        QPainterPath path;
        path.addRoundedRect(shape.rect, shape.cornerRadius, shape.cornerRadius);
        painter.fillPath(path, Qt::black);
    }
    std::vector<float> alpha(size_t(width) * size_t(height));
    for (int y = 0; y < height; ++y) {
        const uchar* row = mask.constScanLine(y);
        for (int x = 0; x < width; ++x)
            alpha[size_t(y) * size_t(width) + size_t(x)] = row[x] / 255.0f;
    }
    // The blur radius spans about two standard deviations; a box of half-width
    // about one deviation, run three times each way, matches it.
    const int half = std::max(0, int(std::lround(shape.radius / 2 * ratio)));
    if (half > 0) {
        for (int pass = 0; pass < 3; ++pass) {
            boxBlur(alpha, width, height, half, true);
            boxBlur(alpha, width, height, half, false);
        }
    }
    QImage result(width, height, QImage::Format_ARGB32_Premultiplied);
    const float a = float(shape.color.alphaF());
    const float r = float(shape.color.redF());
    const float g = float(shape.color.greenF());
    const float b = float(shape.color.blueF());
    for (int y = 0; y < height; ++y) {
        auto* row = reinterpret_cast<QRgb*>(result.scanLine(y));
        for (int x = 0; x < width; ++x) {
            const float coverage = std::clamp(alpha[size_t(y) * size_t(width) + size_t(x)], 0.0f, 1.0f) * a;
            row[x] = qRgba(int(std::lround(r * coverage * 255)), int(std::lround(g * coverage * 255)),
                int(std::lround(b * coverage * 255)), int(std::lround(coverage * 255)));
        }
    }
    result.setDevicePixelRatio(ratio);
    return result;
}

void paint(QPainter& painter, const Shape& shape)
{
    const qreal ratio = painter.device() ? painter.device()->devicePixelRatioF() : 1.0;
    painter.drawImage(shadowRect(shape).topLeft(), render(shape, ratio));
}

} // namespace quillcraft::DrawnShadow
