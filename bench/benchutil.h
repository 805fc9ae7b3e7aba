#pragma once
#include <QElapsedTimer>
#include <functional>

namespace st::bench {

// Milliseconds one call of f takes.
inline double ms(const std::function<void()>& f) {
    QElapsedTimer t;
    t.start();
    f();
    return t.nsecsElapsed() / 1e6;
}

}  // namespace st::bench
