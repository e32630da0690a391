#include "app/engine_pause.h"

#include <QElapsedTimer>
#include <QRandomGenerator>

#include <memory>

namespace zv {

EnginePause::EnginePause(PauseRange range, Wait wait, Clock clock, std::function<int(int, int)> pick)
    : m_range(range)
    , m_wait(std::move(wait))
    , m_clock(std::move(clock))
    , m_pick(std::move(pick))
{
    if (!m_clock) {
        auto timer = std::make_shared<QElapsedTimer>();
        timer->start();
        m_clock = [timer] { return timer->elapsed(); };
    }
    if (!m_pick)
        m_pick = [](int min, int max) { return static_cast<int>(QRandomGenerator::global()->bounded(min, max + 1)); };
}

void EnginePause::beforeRequest()
{
    if (m_range.isOff())
        return;
    if (m_asked) {
        const qint64 pause = qint64 {m_pick(m_range.minSeconds, m_range.maxSeconds)} * 1000;
        const qint64 passed = m_clock() - m_lastRequest;
        if (passed < pause && m_wait)
            m_wait(std::chrono::milliseconds(pause - passed));
    }
    m_asked = true;
    m_lastRequest = m_clock();
}

} // namespace zv
