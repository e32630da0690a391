#pragma once
// The main window's controls as it builds them: a label, a boxed value label,
// a button, a drop-down whose text is exactly what was typed or chosen, a
// group box, each named and placed at its pixel geometry, and the keyword
// table's font.

#include <QFont>
#include <QString>

class QComboBox;
class QGroupBox;
class QLabel;
class QPushButton;
class QWidget;

namespace zv {

class ValueLabel;

// "宋体" when the system has it, else the first installed CJK face, at 14 pixels.
QFont keywordTableFont();
QLabel* makeLabel(QWidget* parent, const QString& name, const QString& text, int x, int y, int w, int h);
// hand: the pointer over it is the hand.
ValueLabel* makeValueLabel(QWidget* parent, const QString& name, const QString& text, int x, int y, int w, int h,
                           bool hand);
QPushButton* makeButton(QWidget* parent, const QString& name, const QString& text, int x, int y, int w, int h);
// No insertion on Enter, no completion from the items, items kept in the
// order added, and only a pick from the list counts as choosing an item.
QComboBox* makeDropDown(QWidget* parent, const QString& name, int x, int y, int w, int h);
QGroupBox* makeGroupBox(QWidget* parent, const QString& name, int x, int y, int w, int h);

} // namespace zv
