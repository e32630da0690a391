#pragma once
// Top-level windows whose size is given as their outer size, frame included.

#include <QSize>

class QWidget;

namespace zv {

// Fixes the window's outer size: its client area is what the window system's
// frame leaves of outer. The frame is known only once the window is shown (and
// may change when it is moved), so the client size is set again then.
void setFixedOuterSize(QWidget& window, const QSize& outer);

} // namespace zv
