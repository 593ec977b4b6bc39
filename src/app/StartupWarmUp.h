#pragma once

#include <thread>

class QWidget;

// Start-up work that needs no application object, done on a second core
// while the main thread connects to the display: zeroing the heap pages the
// start-up will use, mapping the code that the first paint runs through and
// reading the font configuration. On a virtual machine a page fault costs
// several microseconds, and a start takes thousands of them.
class StartupWarmUp
{
public:
    StartupWarmUp();
    ~StartupWarmUp();
    StartupWarmUp(const StartupWarmUp &) = delete;
    StartupWarmUp &operator=(const StartupWarmUp &) = delete;

    // Waits until the work is done. Call before the first font is asked for,
    // so that the font configuration is not read twice at the same time.
    void wait();

private:
    std::thread m_thread;
};

// Grows the heap once by enough for the start-up and backs it with huge
// pages, so that building the window does not take a page fault every few
// allocations. Call before constructing StartupWarmUp. ReleaseStartupHeap
// hands the heap back to the allocator's usual policy once the window is on
// the screen.
void PrepareStartupHeap();
void ReleaseStartupHeap();

// Has the pages of the shown window's backing store mapped in one call, so
// that the first paint does not fault on each of them. Call right after
// show(); does nothing where the backing store is not an image in memory.
void PrepareFirstPaint(QWidget &window);
