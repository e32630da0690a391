#include "view/message_box.h"

namespace zv {

namespace {

struct Script
{
    bool on = false;
    QList<bool> answers;
    QList<ShownMessage> shown;
    MessageBoxPresenter* presenter = nullptr;
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
    return s.presenter && s.presenter->askOkCancel(text, caption);
}

void showMessage(const QString& text, const QString& caption)
{
    Script& s = script();
    if (s.on) {
        s.shown.append({caption, text, false});
        return;
    }
    if (s.presenter)
        s.presenter->showMessage(text, caption);
}

void setMessageBoxPresenter(MessageBoxPresenter* presenter)
{
    script().presenter = presenter;
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
