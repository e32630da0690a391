#pragma once
// A boxed figure field: a label with a single-line border on white that
// reports a click when the left button is released over it.

#include <QLabel>

namespace zv {

class ValueLabel : public QLabel
{
    Q_OBJECT

public:
    explicit ValueLabel(QWidget* parent = nullptr);

Q_SIGNALS:
    void clicked();

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    bool m_pressed = false;
};

} // namespace zv
