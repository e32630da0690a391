#pragma once
// A line-chart control over Qt Charts, driven the way a property-based chart
// control is: a title, a vertical maximum, a point count, and per point a
// label and a value written through a "current point". Points sit left to
// right at equal spacing, joined by one line; each value is written above its
// point with no decimals, and hovering a point shows the tip text with ${v}
// replaced by the value.

#include <QColor>
#include <QList>
#include <QString>
#include <QtCharts/QChartView>

#include <vector>

class QGraphicsSimpleTextItem;
class QCategoryAxis;
class QChart;
class QLineSeries;
class QValueAxis;

namespace zv {

class LineChart : public QChartView
{
    Q_OBJECT

public:
    static constexpr int kLargestValue = 10000000;
    static constexpr int kLargestPointCount = 100;

    explicit LineChart(QWidget* parent = nullptr);

    void setTitle(const QString& title);
    QString title() const;

    // Top of the vertical scale, clamped to 0 .. 10,000,000.
    void setMaximum(int maximum);
    int maximum() const { return m_maximum; }
    void setDivisions(int divisions);
    int divisions() const { return m_divisions; }

    // 1 .. 100. The same count changes nothing; another keeps the points that
    // remain, gives new ones the value 0 and an empty label, and makes point 0
    // current.
    void setPointCount(int count);
    int pointCount() const { return static_cast<int>(m_values.size()); }

    // Outside 0 .. count - 1 selects point 0.
    void setCurrentPoint(int index);
    int currentPoint() const { return m_current; }

    void setPointLabel(const QString& label);
    // Below 0 (or not a number) is stored as 0, above 10,000,000 as 10,000,000.
    void setPointValue(double value);
    QString pointLabel(int index) const;
    double pointValue(int index) const;

    void setSeriesColor(const QColor& color);
    QColor seriesColor() const;
    void setSeriesName(const QString& name);
    QString seriesName() const;
    void setAxisTitles(const QString& horizontal, const QString& vertical);
    void setTipFormat(const QString& format);
    QString tipFormat() const { return m_tipFormat; }
    // The tip for a point: the format with ${v} replaced by its value.
    QString tipText(int index) const;

    QString valueText(int index) const;

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    void rebuildSeries();
    void rebuildAxis();
    void placeValueTexts();
    void showTip(const QPointF& point, bool state);

    QChart* m_chart = nullptr;
    QLineSeries* m_series = nullptr;
    QCategoryAxis* m_axisX = nullptr;
    QValueAxis* m_axisY = nullptr;
    std::vector<double> m_values;
    std::vector<QString> m_labels;
    std::vector<QGraphicsSimpleTextItem*> m_valueTexts;
    int m_current = 0;
    int m_maximum = 100;
    int m_divisions = 10;
    QString m_tipFormat;
};

} // namespace zv
