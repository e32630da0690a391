#pragma once
// The pause between requests to the search engine: before each request it
// waits until a pause chosen at random within the range has passed since the
// previous request went out. Time spent reading pages counts, and the first
// request of a run does not wait.

#include "app/configuration.h"

#include <QtGlobal>

#include <chrono>
#include <functional>

namespace zv {

class EnginePause
{
public:
    using Wait = std::function<void(std::chrono::milliseconds)>;
    using Clock = std::function<qint64()>; // milliseconds from any fixed start

    // wait does the waiting (sleeping, or turning an event loop); clock and
    // pick (a whole number of seconds from min to max) may be replaced in
    // tests. A range that is off never waits.
    EnginePause(PauseRange range, Wait wait, Clock clock = {}, std::function<int(int min, int max)> pick = {});

    void beforeRequest();
    PauseRange range() const { return m_range; }

private:
    PauseRange m_range;
    Wait m_wait;
    Clock m_clock;
    std::function<int(int, int)> m_pick;
    bool m_asked = false;
    qint64 m_lastRequest = 0;
};

// The pause of the daily check: random 2 to 6 seconds.
inline constexpr PauseRange kCheckPause {2, 6};

} // namespace zv
