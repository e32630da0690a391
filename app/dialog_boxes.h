#pragma once
// The message boxes of the windowed program: modal QMessageBoxes.

namespace zv {

// Makes askOkCancel and showMessage open real dialogs whenever their answers
// are not scripted.
void useDialogBoxes();

} // namespace zv
