#include "app/control_makers.h"

#include "app/value_label.h"

#include <QComboBox>
#include <QFontDatabase>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace zv {

using namespace Qt::StringLiterals;

QFont keywordTableFont()
{
    QFont font;
    const QStringList wanted = {u"宋体"_s,
                                u"SimSun"_s,
                                u"NSimSun"_s,
                                u"WenQuanYi Zen Hei"_s,
                                u"WenQuanYi Micro Hei"_s,
                                u"Noto Sans CJK SC"_s,
                                u"Noto Serif CJK SC"_s,
                                u"AR PL UMing CN"_s};
    const QStringList installed = QFontDatabase::families();
    QStringList families;
    for (const QString& name : wanted) {
        if (installed.contains(name, Qt::CaseInsensitive))
            families.append(name);
    }
    if (families.isEmpty())
        families.append(wanted.first());
    font.setFamilies(families);
    font.setPixelSize(14);
    font.setWeight(QFont::Normal);
    return font;
}

QLabel* makeLabel(QWidget* parent, const QString& name, const QString& text, int x, int y, int w, int h)
{
    auto* label = new QLabel(text, parent);
    label->setObjectName(name);
    label->setGeometry(x, y, w, h);
    return label;
}

ValueLabel* makeValueLabel(QWidget* parent, const QString& name, const QString& text, int x, int y, int w, int h,
                           bool hand)
{
    auto* label = new ValueLabel(parent);
    label->setObjectName(name);
    label->setText(text);
    label->setGeometry(x, y, w, h);
    if (hand)
        label->setCursor(Qt::PointingHandCursor);
    return label;
}

QPushButton* makeButton(QWidget* parent, const QString& name, const QString& text, int x, int y, int w, int h)
{
    auto* button = new QPushButton(text, parent);
    button->setObjectName(name);
    button->setGeometry(x, y, w, h);
    button->setCursor(Qt::PointingHandCursor);
    button->setAutoDefault(false);
    return button;
}

QComboBox* makeDropDown(QWidget* parent, const QString& name, int x, int y, int w, int h)
{
    auto* box = new QComboBox(parent);
    box->setObjectName(name);
    box->setGeometry(x, y, w, h);
    box->setEditable(true);
    box->setInsertPolicy(QComboBox::NoInsert);
    box->setCompleter(nullptr);
    // Qt treats finishing an edit (Enter, focus leaving) whose text equals an
    // item as choosing that item. Typing is not choosing: only a pick from the
    // list counts.
    QObject::disconnect(box->lineEdit(), &QLineEdit::editingFinished, nullptr, nullptr);
    box->setDuplicatesEnabled(true);
    QPalette p = box->palette();
    p.setColor(QPalette::Base, Qt::white);
    box->setPalette(p);
    return box;
}

QGroupBox* makeGroupBox(QWidget* parent, const QString& name, int x, int y, int w, int h)
{
    auto* box = new QGroupBox(parent);
    box->setObjectName(name);
    box->setGeometry(x, y, w, h);
    return box;
}

} // namespace zv
