#include "charts/drawing_surface.h"

#include <QFontMetrics>
#include <QPaintEvent>
#include <QPainter>
#include <QPainterPath>
#include <QResizeEvent>

#include <algorithm>
#include <cstdlib>

namespace zv {

QColor colorFromBgr(unsigned int bgr)
{
    return QColor(static_cast<int>(bgr & 0xFFu), static_cast<int>((bgr >> 8) & 0xFFu),
                  static_cast<int>((bgr >> 16) & 0xFFu));
}

DrawingSurface::DrawingSurface(QWidget* parent)
    : QWidget(parent)
{
    setAttribute(Qt::WA_OpaquePaintEvent);
    syncImageSize();
}

QSize DrawingSurface::sizeHint() const
{
    return m_image.isNull() ? QSize(80, 22) : m_image.size();
}

// The image follows the widget's size at once, even while the widget is hidden
// (hidden widgets get their resize events late). Growing keeps what was drawn
// and paints the new area in the background colour.
void DrawingSurface::syncImageSize() const
{
    const QSize wanted = size().expandedTo(QSize(1, 1));
    if (m_image.size() == wanted)
        return;
    QImage grown(wanted, QImage::Format_RGB32);
    grown.fill(m_backgroundColor);
    if (!m_image.isNull()) {
        QPainter painter(&grown);
        painter.drawImage(0, 0, m_image);
    }
    m_image = grown;
}

QImage& DrawingSurface::image()
{
    syncImageSize();
    return m_image;
}

const QImage& DrawingSurface::image() const
{
    syncImageSize();
    return m_image;
}

void DrawingSurface::changed()
{
    if (m_automaticRepainting || isVisible())
        update();
}

void DrawingSurface::clear()
{
    syncImageSize();
    m_image.fill(m_backgroundColor);
    if (!m_backgroundPicture.isNull()) {
        QPainter painter(&m_image);
        for (int y = 0; y < m_image.height(); y += m_backgroundPicture.height())
            for (int x = 0; x < m_image.width(); x += m_backgroundPicture.width())
                painter.drawImage(x, y, m_backgroundPicture);
    }
    m_currentPosition = QPoint(0, 0);
    changed();
}

void DrawingSurface::plot(int x, int y, QRgb color)
{
    if (m_penWidth <= 1) {
        if (x >= 0 && y >= 0 && x < m_image.width() && y < m_image.height())
            m_image.setPixel(x, y, color);
        return;
    }
    // A wider pen stamps a square centred on the line.
    const int from = -(m_penWidth / 2);
    for (int dy = from; dy < from + m_penWidth; ++dy) {
        for (int dx = from; dx < from + m_penWidth; ++dx) {
            const int px = x + dx;
            const int py = y + dy;
            if (px >= 0 && py >= 0 && px < m_image.width() && py < m_image.height())
                m_image.setPixel(px, py, color);
        }
    }
}

// One pixel per column (per row for steep lines): the one nearest the ideal
// line. Where the line passes exactly halfway between two pixels the upper
// (for steep lines the left) one is lit, whichever way the line is drawn, so a
// line and its reverse cover the same pixels. The end point is not drawn.
void DrawingSurface::penLine(int x1, int y1, int x2, int y2)
{
    const QRgb color = m_penColor.rgb();
    const bool steep = std::llabs(static_cast<long long>(y2) - y1) > std::llabs(static_cast<long long>(x2) - x1);
    // Walk the major axis a, stepping the minor axis b when the line has moved
    // more than half a pixel from it.
    const long long a1 = steep ? y1 : x1;
    const long long a2 = steep ? y2 : x2;
    const long long b1 = steep ? x1 : y1;
    const long long b2 = steep ? x2 : y2;
    const long long da = std::llabs(a2 - a1);
    const long long db = std::llabs(b2 - b1);
    const long long sa = a1 < a2 ? 1 : -1;
    const long long sb = b1 < b2 ? 1 : -1;
    // A tie goes to the smaller minor coordinate: a step only when it decreases.
    const bool stepOnTie = sb < 0;
    long long b = b1;
    long long error = 0; // twice the distance of the ideal line from b, in units of 1 / da
    for (long long a = a1; a != a2; a += sa) {
        if (steep)
            plot(static_cast<int>(b), static_cast<int>(a), color);
        else
            plot(static_cast<int>(a), static_cast<int>(b), color);
        error += 2 * db;
        if (error > da || (error == da && stepOnTie)) {
            b += sb;
            error -= 2 * da;
        }
    }
}

void DrawingSurface::drawLine(int x1, int y1, int x2, int y2)
{
    syncImageSize();
    penLine(x1, y1, x2, y2);
    m_currentPosition = QPoint(x2, y2);
    changed();
}

namespace {

// Smallest integer not below num / den (den > 0).
long long ceilDiv(long long num, long long den)
{
    const long long q = num / den;
    return num % den > 0 ? q + 1 : q;
}

} // namespace

// The pixels whose coordinates lie inside the polygon (alternate rule), rows
// and columns counted at whole coordinates: a pixel on a left or top edge is
// in, one on a right or bottom edge is out. Sampling at whole coordinates keeps
// the fill inside the pen's outline along slanted edges.
void DrawingSurface::fillPolygon(const std::vector<QPoint>& points)
{
    const QRgb color = m_brushColor.rgb();
    int top = points.front().y();
    int bottom = top;
    for (const QPoint& p : points) {
        top = std::min(top, p.y());
        bottom = std::max(bottom, p.y());
    }
    top = std::max(top, 0);
    bottom = std::min(bottom, m_image.height());
    std::vector<long long> crossings;
    for (int y = top; y < bottom; ++y) {
        crossings.clear();
        for (std::size_t i = 0; i < points.size(); ++i) {
            const QPoint& a = points[i];
            const QPoint& b = points[(i + 1) % points.size()];
            if (a.y() == b.y() || y < std::min(a.y(), b.y()) || y >= std::max(a.y(), b.y()))
                continue;
            // x of the edge on row y, rounded up: the first pixel at or right of it.
            long long num
                = static_cast<long long>(a.x()) * (b.y() - a.y()) + static_cast<long long>(y - a.y()) * (b.x() - a.x());
            long long den = static_cast<long long>(b.y()) - a.y();
            if (den < 0) {
                num = -num;
                den = -den;
            }
            crossings.push_back(ceilDiv(num, den));
        }
        std::sort(crossings.begin(), crossings.end());
        for (std::size_t i = 0; i + 1 < crossings.size(); i += 2) {
            const long long from = std::max<long long>(crossings[i], 0);
            const long long to = std::min<long long>(crossings[i + 1], m_image.width());
            for (long long x = from; x < to; ++x)
                m_image.setPixel(static_cast<int>(x), y, color);
        }
    }
}

void DrawingSurface::drawPolygon(const std::vector<QPoint>& points)
{
    if (points.empty())
        return;
    syncImageSize();
    if (points.size() >= 3)
        fillPolygon(points);
    for (std::size_t i = 0; i < points.size(); ++i) {
        const QPoint& from = points[i];
        const QPoint& to = points[(i + 1) % points.size()];
        penLine(from.x(), from.y(), to.x(), to.y());
    }
    changed();
}

void DrawingSurface::fillRectangle(int x1, int y1, int x2, int y2)
{
    syncImageSize();
    const int left = std::min(x1, x2);
    const int top = std::min(y1, y2);
    const int right = std::max(x1, x2);
    const int bottom = std::max(y1, y2);
    const QRect area = QRect(left, top, right - left, bottom - top).intersected(m_image.rect());
    if (!area.isEmpty()) {
        QPainter painter(&m_image);
        painter.fillRect(area, m_brushColor);
    }
    changed();
}

void DrawingSurface::drawRectangle(int x1, int y1, int x2, int y2)
{
    syncImageSize();
    const int left = std::min(x1, x2);
    const int top = std::min(y1, y2);
    const int right = std::max(x1, x2) - 1;
    const int bottom = std::max(y1, y2) - 1;
    if (right < left || bottom < top)
        return;
    fillRectangle(left, top, right + 1, bottom + 1);
    const QRgb color = m_penColor.rgb();
    for (int x = left; x <= right; ++x) {
        plot(x, top, color);
        plot(x, bottom, color);
    }
    for (int y = top; y <= bottom; ++y) {
        plot(left, y, color);
        plot(right, y, color);
    }
    changed();
}

void DrawingSurface::writeText(int x, int y, const QString& text)
{
    if (text.isEmpty())
        return;
    syncImageSize();
    QFont textFont = font();
    textFont.setStyleStrategy(QFont::NoAntialias);
    QPainter painter(&m_image);
    painter.setRenderHint(QPainter::TextAntialiasing, false);
    painter.setRenderHint(QPainter::Antialiasing, false);
    painter.setFont(textFont);
    painter.setPen(m_textColor);
    painter.setBackgroundMode(Qt::TransparentMode);
    // The metrics of the font as the image renders it (its resolution may
    // differ from the screen's), so the cell's top lands exactly on y.
    painter.drawText(QPoint(x, y + painter.fontMetrics().ascent()), text);
    changed();
}

void DrawingSurface::drawPicture(int x, int y, const QImage& picture)
{
    syncImageSize();
    if (!picture.isNull()) {
        QPainter painter(&m_image);
        painter.drawImage(QPoint(x, y), picture);
    }
    changed();
}

QImage DrawingSurface::capturePicture() const
{
    return image().copy();
}

void DrawingSurface::setBackgroundPicture(const QImage& picture)
{
    m_backgroundPicture = picture.convertToFormat(QImage::Format_RGB32);
}

void DrawingSurface::clearBackgroundPicture()
{
    m_backgroundPicture = QImage();
}

void DrawingSurface::setBackgroundColor(const QColor& color)
{
    m_backgroundColor = color;
}

void DrawingSurface::setPenColor(const QColor& color)
{
    m_penColor = color;
}

void DrawingSurface::setPenWidth(int width)
{
    m_penWidth = std::max(1, width);
}

void DrawingSurface::setBrushColor(const QColor& color)
{
    m_brushColor = color;
}

void DrawingSurface::setTextColor(const QColor& color)
{
    m_textColor = color;
}

void DrawingSurface::setAutomaticRepainting(bool on)
{
    m_automaticRepainting = on;
    if (on)
        update();
}

void DrawingSurface::paintEvent(QPaintEvent* event)
{
    QPainter painter(this);
    painter.drawImage(event->rect(), image(), event->rect());
}

void DrawingSurface::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    syncImageSize();
}

} // namespace zv
