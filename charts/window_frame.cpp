#include "charts/window_frame.h"

#include <QEvent>
#include <QTimer>
#include <QWidget>

namespace zv {

namespace {

class OuterSizeKeeper : public QObject
{
public:
    OuterSizeKeeper(QWidget& window, const QSize& outer)
        : QObject(&window)
        , m_window(window)
        , m_outer(outer)
    {
        window.installEventFilter(this);
        apply();
    }

    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (watched == &m_window) {
            switch (event->type()) {
            case QEvent::Show:
                apply();
                // Some window managers add their frame only after mapping.
                QTimer::singleShot(0, this, [this] { apply(); });
                break;
            case QEvent::Move:
            case QEvent::Resize:
                apply();
                break;
            default:
                break;
            }
        }
        return false;
    }

private:
    void apply()
    {
        const QSize frame = m_window.frameGeometry().size() - m_window.size();
        const QSize client = (m_outer - frame).expandedTo(QSize(1, 1));
        if (client != m_window.size() || m_window.minimumSize() != client || m_window.maximumSize() != client)
            m_window.setFixedSize(client);
    }

    QWidget& m_window;
    QSize m_outer;
};

} // namespace

void setFixedOuterSize(QWidget& window, const QSize& outer)
{
    new OuterSizeKeeper(window, outer);
}

} // namespace zv
