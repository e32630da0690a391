#pragma once
// The one seam for modal message boxes. The program asks its OK/Cancel
// questions and shows the store error box through here; tests queue the
// answers in advance and read back what was asked or shown, and no real box
// opens while answers are scripted.

#include <QList>
#include <QString>

namespace zv {

struct ShownMessage
{
    QString caption;
    QString text;
    bool question = false; // OK/Cancel question rather than a plain box
};

// Task-modal box with OK and Cancel and no icon; true for OK. Closing the box
// counts as Cancel.
bool askOkCancel(const QString& text, const QString& caption);
// Modal box with only OK (the store error box uses caption "Error").
void showMessage(const QString& text, const QString& caption);

// How boxes open when answers are not scripted. The main window installs
// real dialogs; with none installed a question is answered Cancel and a box
// is not shown.
class MessageBoxPresenter
{
public:
    virtual ~MessageBoxPresenter() = default;
    virtual bool askOkCancel(const QString& text, const QString& caption) = 0;
    virtual void showMessage(const QString& text, const QString& caption) = 0;
};
// The presenter must outlive its use; nullptr removes it.
void setMessageBoxPresenter(MessageBoxPresenter* presenter);

// Scripted mode: from now on no box opens; each question takes the next queued
// answer (Cancel once the queue is empty) and every box is recorded.
void setNextAnswers(const QList<bool>& answers);
void setScriptedMessageBoxes(bool on);
bool scriptedMessageBoxes();
QList<ShownMessage> shownMessages();
void clearShownMessages();

} // namespace zv
