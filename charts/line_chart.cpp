#include "charts/line_chart.h"

#include <QCursor>
#include <QGraphicsSimpleTextItem>
#include <QPen>
#include <QSet>
#include <QToolTip>
#include <QtCharts/QCategoryAxis>
#include <QtCharts/QChart>
#include <QtCharts/QLineSeries>
#include <QtCharts/QValueAxis>

#include <algorithm>
#include <cmath>

namespace zv {

using namespace Qt::StringLiterals;

LineChart::LineChart(QWidget* parent)
    : QChartView(parent)
    , m_chart(new QChart)
    , m_series(new QLineSeries)
    , m_axisX(new QCategoryAxis)
    , m_axisY(new QValueAxis)
{
    setChart(m_chart);
    setFrameShape(QFrame::NoFrame);
    setRenderHint(QPainter::Antialiasing);
    setBackgroundBrush(Qt::white);
    m_chart->legend()->hide();
    m_chart->setBackgroundBrush(Qt::white);
    m_chart->setBackgroundPen(Qt::NoPen);
    m_chart->setBackgroundRoundness(0);
    m_chart->setDropShadowEnabled(false);
    m_chart->setMargins(QMargins(4, 4, 4, 4));

    m_series->setPointsVisible(true);
    m_chart->addSeries(m_series);

    m_axisX->setLabelsPosition(QCategoryAxis::AxisLabelsPositionOnValue);
    m_axisX->setGridLineVisible(false);
    // Thirty day labels do not fit side by side; slanted they stay whole.
    m_axisX->setLabelsAngle(-45);
    m_axisX->setTruncateLabels(false);
    m_axisY->setLabelFormat(u"%d"_s);
    m_chart->addAxis(m_axisX, Qt::AlignBottom);
    m_chart->addAxis(m_axisY, Qt::AlignLeft);
    m_series->attachAxis(m_axisX);
    m_series->attachAxis(m_axisY);

    connect(m_chart, &QChart::plotAreaChanged, this, [this] { placeValueTexts(); });
    connect(m_series, &QLineSeries::hovered, this, &LineChart::showTip);

    setMaximum(100);
    setDivisions(10);
    setPointCount(30);
}

void LineChart::setTitle(const QString& title)
{
    m_chart->setTitle(title);
}

QString LineChart::title() const
{
    return m_chart->title();
}

void LineChart::setMaximum(int maximum)
{
    m_maximum = std::clamp(maximum, 0, kLargestValue);
    // A scale needs some height; a maximum of 0 still shows the 0 line.
    m_axisY->setRange(0, std::max(m_maximum, 1));
    rebuildSeries();
}

void LineChart::setDivisions(int divisions)
{
    m_divisions = std::max(divisions, 1);
    m_axisY->setTickCount(m_divisions + 1);
}

void LineChart::setPointCount(int count)
{
    count = std::clamp(count, 1, kLargestPointCount);
    if (count == pointCount())
        return;
    m_values.resize(static_cast<std::size_t>(count), 0.0);
    m_labels.resize(static_cast<std::size_t>(count));
    m_current = 0;
    while (static_cast<int>(m_valueTexts.size()) > count) {
        delete m_valueTexts.back();
        m_valueTexts.pop_back();
    }
    while (static_cast<int>(m_valueTexts.size()) < count) {
        auto* text = new QGraphicsSimpleTextItem(m_chart);
        text->setZValue(10);
        m_valueTexts.push_back(text);
    }
    rebuildAxis();
    rebuildSeries();
}

void LineChart::setCurrentPoint(int index)
{
    m_current = index >= 0 && index < pointCount() ? index : 0;
}

void LineChart::setPointLabel(const QString& label)
{
    m_labels[static_cast<std::size_t>(m_current)] = label;
    rebuildAxis();
}

void LineChart::setPointValue(double value)
{
    if (std::isnan(value) || value < 0)
        value = 0;
    value = std::min(value, static_cast<double>(kLargestValue));
    m_values[static_cast<std::size_t>(m_current)] = value;
    rebuildSeries();
}

QString LineChart::pointLabel(int index) const
{
    return index >= 0 && index < pointCount() ? m_labels[static_cast<std::size_t>(index)] : QString();
}

double LineChart::pointValue(int index) const
{
    return index >= 0 && index < pointCount() ? m_values[static_cast<std::size_t>(index)] : 0.0;
}

void LineChart::setSeriesColor(const QColor& color)
{
    QPen pen = m_series->pen();
    pen.setColor(color);
    pen.setWidth(2);
    m_series->setPen(pen);
    m_series->setColor(color);
}

QColor LineChart::seriesColor() const
{
    return m_series->color();
}

void LineChart::setSeriesName(const QString& name)
{
    m_series->setName(name);
}

QString LineChart::seriesName() const
{
    return m_series->name();
}

void LineChart::setAxisTitles(const QString& horizontal, const QString& vertical)
{
    m_axisX->setTitleText(horizontal);
    m_axisY->setTitleText(vertical);
}

void LineChart::setTipFormat(const QString& format)
{
    m_tipFormat = format;
}

QString LineChart::valueText(int index) const
{
    return QString::number(pointValue(index), 'f', 0);
}

QString LineChart::tipText(int index) const
{
    QString tip = m_tipFormat;
    return tip.replace(u"${v}"_s, valueText(index));
}

// The category axis wants distinct names, so equal labels (the empty ones of a
// fresh chart) are told apart by trailing spaces that show as nothing.
void LineChart::rebuildAxis()
{
    const QStringList old = m_axisX->categoriesLabels();
    for (const QString& label : old)
        m_axisX->remove(label);
    QSet<QString> used;
    for (int i = 0; i < pointCount(); ++i) {
        QString shown = m_labels[static_cast<std::size_t>(i)];
        while (used.contains(shown))
            shown += QLatin1Char(' ');
        used.insert(shown);
        m_axisX->append(shown, i);
    }
    m_axisX->setStartValue(-0.5);
    m_axisX->setRange(-0.5, pointCount() - 0.5);
}

// Values at or above the maximum are drawn at the top of the scale.
void LineChart::rebuildSeries()
{
    QList<QPointF> points;
    points.reserve(pointCount());
    for (int i = 0; i < pointCount(); ++i)
        points.append(QPointF(i, std::min(m_values[static_cast<std::size_t>(i)], static_cast<double>(m_maximum))));
    m_series->replace(points);
    placeValueTexts();
}

void LineChart::placeValueTexts()
{
    const QRectF area = m_chart->plotArea();
    for (int i = 0; i < static_cast<int>(m_valueTexts.size()); ++i) {
        QGraphicsSimpleTextItem* text = m_valueTexts[static_cast<std::size_t>(i)];
        text->setText(valueText(i));
        text->setBrush(m_series->color());
        if (area.isEmpty() || i >= static_cast<int>(m_series->count())) {
            text->hide();
            continue;
        }
        const QPointF at = m_chart->mapToPosition(m_series->at(i), m_series);
        const QRectF box = text->boundingRect();
        text->setPos(at.x() - box.width() / 2, at.y() - box.height() - 4);
        text->show();
    }
}

void LineChart::showTip(const QPointF& point, bool state)
{
    if (!state) {
        QToolTip::hideText();
        return;
    }
    const int index = static_cast<int>(std::lround(point.x()));
    QToolTip::showText(QCursor::pos(), tipText(index), this);
}

void LineChart::resizeEvent(QResizeEvent* event)
{
    QChartView::resizeEvent(event);
    placeValueTexts();
}

} // namespace zv
