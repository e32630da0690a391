#include "app/message_box.h"

#include <QMessageBox>

namespace zv {

namespace {

struct Script
{
    bool on = false;
    QList<bool> answers;
    QList<ShownMessage> shown;
};

Script& script()
{
    static Script s;
    return s;
}

} // namespace

bool askOkCancel(const QString& text, const QString& caption)
{
    Script& s = script();
    if (s.on) {
        s.shown.append({caption, text, true});
        return s.answers.isEmpty() ? false : s.answers.takeFirst();
    }
    QMessageBox box(QMessageBox::NoIcon, caption, text, QMessageBox::Ok | QMessageBox::Cancel);
    box.setWindowModality(Qt::ApplicationModal);
    box.setEscapeButton(QMessageBox::Cancel);
    return box.exec() == QMessageBox::Ok;
}

void showMessage(const QString& text, const QString& caption)
{
    Script& s = script();
    if (s.on) {
        s.shown.append({caption, text, false});
        return;
    }
    QMessageBox box(QMessageBox::NoIcon, caption, text, QMessageBox::Ok);
    box.setWindowModality(Qt::ApplicationModal);
    box.exec();
}

void setNextAnswers(const QList<bool>& answers)
{
    script().on = true;
    script().answers = answers;
}

void setScriptedMessageBoxes(bool on)
{
    script().on = on;
    if (!on)
        script().answers.clear();
}

bool scriptedMessageBoxes()
{
    return script().on;
}

QList<ShownMessage> shownMessages()
{
    return script().shown;
}

void clearShownMessages()
{
    script().shown.clear();
}

} // namespace zv
