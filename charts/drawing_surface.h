#pragma once
// A retained drawing surface: a widget whose content lives in an image. Every
// drawing operation paints into the image, and the widget repaints itself from
// it. A background picture, once set, is what clearing restores (tiled from
// the top-left corner); the rest of the surface is cleared to the background
// colour. Lines, rectangles and fills follow the pixel rules of a classic GDI
// surface: a line does not draw its end point, and rectangles exclude their
// right and bottom edges. Nothing is antialiased, so every pixel is exact.

#include <QColor>
#include <QImage>
#include <QPoint>
#include <QString>
#include <QWidget>

#include <vector>

namespace zv {

// A colour given as 0x00BBGGRR (red in the low byte).
QColor colorFromBgr(unsigned int bgr);

class DrawingSurface : public QWidget
{
    Q_OBJECT

public:
    explicit DrawingSurface(QWidget* parent = nullptr);

    // The retained image, always the widget's size.
    QImage& image();
    const QImage& image() const;

    // Paints the whole surface with the background picture, the rest with the
    // background colour; the current position goes to (0, 0).
    void clear();

    void drawLine(int x1, int y1, int x2, int y2);
    // Closed polygon filled with the brush and outlined with the pen.
    void drawPolygon(const std::vector<QPoint>& points);
    // Outline in the pen, interior in the brush; right and bottom edges excluded.
    void drawRectangle(int x1, int y1, int x2, int y2);
    // Fills x1 .. x2 - 1, y1 .. y2 - 1 with the brush.
    void fillRectangle(int x1, int y1, int x2, int y2);
    // Text with its top-left corner at (x, y), in the text colour, transparent background.
    void writeText(int x, int y, const QString& text);
    // Copies a picture unscaled with its top-left corner at (x, y); what lies
    // beyond the surface is cut off.
    void drawPicture(int x, int y, const QImage& picture);

    QImage capturePicture() const;

    void setBackgroundPicture(const QImage& picture);
    void clearBackgroundPicture();
    const QImage& backgroundPicture() const { return m_backgroundPicture; }

    void setBackgroundColor(const QColor& color);
    QColor backgroundColor() const { return m_backgroundColor; }
    void setPenColor(const QColor& color);
    QColor penColor() const { return m_penColor; }
    void setPenWidth(int width);
    int penWidth() const { return m_penWidth; }
    void setBrushColor(const QColor& color);
    QColor brushColor() const { return m_brushColor; }
    void setTextColor(const QColor& color);
    QColor textColor() const { return m_textColor; }

    // On: the surface repaints itself from its image when uncovered. Off: the
    // image is still kept, but drawing does not schedule a repaint.
    void setAutomaticRepainting(bool on);
    bool automaticRepainting() const { return m_automaticRepainting; }

    QPoint currentPosition() const { return m_currentPosition; }

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void syncImageSize() const;
    void plot(int x, int y, QRgb color);
    void penLine(int x1, int y1, int x2, int y2);
    void fillPolygon(const std::vector<QPoint>& points);
    void changed();

    mutable QImage m_image;
    QImage m_backgroundPicture;
    QColor m_backgroundColor {Qt::white};
    QColor m_penColor {Qt::black};
    int m_penWidth = 1;
    QColor m_brushColor {Qt::white};
    QColor m_textColor {Qt::black};
    bool m_automaticRepainting = false;
    QPoint m_currentPosition;
};

} // namespace zv
