#pragma once

#include <QtGlobal>
#include <functional>

class QWidget;

// What the benchmark's programs share, with nothing of Pelora in it: the bare
// window baseline links this and Qt alone.
namespace bench {

// The peak resident memory of this process so far (VmHWM), in kilobytes.
qint64 peakResidentKb();

// Runs then once the window's first expose has been handled, that is once the
// window has been shown and painted for the first time.
void afterFirstExpose(QWidget *window, std::function<void()> then);

// Forces the platform the benchmark runs on (offscreen unless the caller chose
// one), so that the children started by the benchmark inherit it.
void chooseOffscreenPlatform();

} // namespace bench
