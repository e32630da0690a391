#include "app/dialog_boxes.h"

#include "view/message_box.h"

#include <QMessageBox>

namespace zv {

namespace {

class DialogBoxes : public MessageBoxPresenter
{
public:
    bool askOkCancel(const QString& text, const QString& caption) override
    {
        QMessageBox box(QMessageBox::NoIcon, caption, text, QMessageBox::Ok | QMessageBox::Cancel);
        box.setWindowModality(Qt::ApplicationModal);
        box.setEscapeButton(QMessageBox::Cancel);
        return box.exec() == QMessageBox::Ok;
    }

    void showMessage(const QString& text, const QString& caption) override
    {
        QMessageBox box(QMessageBox::NoIcon, caption, text, QMessageBox::Ok);
        box.setWindowModality(Qt::ApplicationModal);
        box.exec();
    }
};

} // namespace

void useDialogBoxes()
{
    static DialogBoxes boxes;
    setMessageBoxPresenter(&boxes);
}

} // namespace zv
