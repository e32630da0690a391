#pragma once
// Makers of the main window's controls: each control gets its objectName and
// its exact geometry, so that the layout is fixed pixel by pixel and tests
// find every control by name.

#include <QFont>
#include <QString>

class QComboBox;
class QGroupBox;
class QLabel;
class QPushButton;
class QWidget;

namespace zv {

class ValueLabel;

// "宋体" when the system has it, else the first installed CJK face, so that the
// keyword table shows Chinese text at 14 pixels everywhere.
QFont keywordTableFont();

QLabel* makeLabel(QWidget* parent, const QString& name, const QString& text, int x, int y, int w, int h);
// hand: the pointing-hand cursor, for a figure that opens a chart.
ValueLabel* makeValueLabel(QWidget* parent, const QString& name, const QString& text, int x, int y, int w, int h,
                           bool hand);
QPushButton* makeButton(QWidget* parent, const QString& name, const QString& text, int x, int y, int w, int h);
// A drop-down whose text is exactly what was typed or chosen: no insertion on
// Enter, no completion from the items, items kept in the order added.
QComboBox* makeDropDown(QWidget* parent, const QString& name, int x, int y, int w, int h);
QGroupBox* makeGroupBox(QWidget* parent, const QString& name, int x, int y, int w, int h);

} // namespace zv
