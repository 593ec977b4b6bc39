#include "app/StartupWarmUp.h"

#include <QBackingStore>
#include <QImage>
#include <QWidget>
#include <QtGlobal>

#include <algorithm>
#include <array>
#include <cstdlib>
#include <cstring>

#if defined(Q_OS_LINUX)
#include <dlfcn.h>
#include <link.h>
#include <sys/mman.h>
#include <unistd.h>
#endif

#if defined(Q_OS_LINUX) && defined(__GLIBC__)
#include <malloc.h>
#endif

#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
#define TIDEMARK_OWN_ALLOCATOR 0
#elif defined(__has_feature)
#if __has_feature(address_sanitizer) || __has_feature(thread_sanitizer)
#define TIDEMARK_OWN_ALLOCATOR 0
#endif
#endif
#ifndef TIDEMARK_OWN_ALLOCATOR
#define TIDEMARK_OWN_ALLOCATOR 1
#endif

namespace {

#if defined(Q_OS_LINUX)

#ifndef MADV_POPULATE_READ
#define MADV_POPULATE_READ 22 // Linux 5.14
#endif
#ifndef MADV_POPULATE_WRITE
#define MADV_POPULATE_WRITE 23
#endif

// madvise over the whole pages that [start, end) touches.
void adviseRange(quintptr start, quintptr end, int advice)
{
    const auto page = quintptr(sysconf(_SC_PAGESIZE));
    start &= ~(page - 1);
    end = (end + page - 1) & ~(page - 1);
    madvise(reinterpret_cast<void *>(start), end - start, advice);
}

// The libraries whose code the first paint runs through.
bool isPaintLibrary(const char *path)
{
    static const char *const names[] = {"libQt6Widgets.so", "libQt6Gui.so", "libQt6Core.so",
                                        "libfreetype.so",   "libharfbuzz.so", "libfontconfig.so"};
    for (const char *name : names)
        if (std::strstr(path, name))
            return true;
    return false;
}

// Maps the read-only segments of those libraries into the page tables in one
// call each, instead of one fault at a time on the main thread. Older kernels
// refuse the call, which changes nothing.
void mapPaintLibraries()
{
    dl_iterate_phdr(
        [](dl_phdr_info *info, size_t, void *) -> int {
            if (!info->dlpi_name || !isPaintLibrary(info->dlpi_name))
                return 0;
            for (int i = 0; i < info->dlpi_phnum; ++i) {
                const ElfW(Phdr) &segment = info->dlpi_phdr[i];
                if (segment.p_type != PT_LOAD || (segment.p_flags & PF_W))
                    continue;
                const quintptr start = info->dlpi_addr + segment.p_vaddr;
                adviseRange(start, start + segment.p_memsz, MADV_POPULATE_READ);
            }
            return 0;
        },
        nullptr);
}

// Reads the font configuration (some sixty files here) ahead of Qt's font
// database, which would otherwise do it on the main thread at the first
// font. Looked up at run time: Qt loads fontconfig where it uses it, and
// fontconfig's own start-up is thread-safe.
void initFontConfig()
{
    using FcInitFunction = int (*)();
    if (auto fcInit = reinterpret_cast<FcInitFunction>(dlsym(RTLD_DEFAULT, "FcInit")))
        fcInit();
}

#endif

#if defined(Q_OS_LINUX) && defined(__GLIBC__) && TIDEMARK_OWN_ALLOCATOR
#define TIDEMARK_STARTUP_HEAP 1

constexpr quintptr HugePage = quintptr(2) << 20;
// More than the window, its fonts and a full document allocate.
constexpr int StartupReserve = 8 * int(HugePage);
// glibc's default.
constexpr int DefaultTopPad = 128 << 10;
// Below any mmap threshold, so these come from the heap.
constexpr size_t Block = 64 << 10;

// Untouched blocks that fill the heap up to its first huge page, so that the
// start-up's allocations begin there. Never written, so never resident.
std::array<void *, HugePage / Block + 1> filler{};

// The part of the reserve that the start-up is sure to use. The warm-up
// thread has its pages zeroed (2 MiB at a time, which is slow here) while the
// main thread is still waiting for the display.
quintptr heapToPrepare = 0;
quintptr heapToPrepareEnd = 0;

#endif

} // namespace

StartupWarmUp::StartupWarmUp()
{
#if defined(Q_OS_LINUX)
    m_thread = std::thread([] {
#ifdef TIDEMARK_STARTUP_HEAP
        if (heapToPrepare)
            adviseRange(heapToPrepare, heapToPrepareEnd, MADV_POPULATE_WRITE);
#endif
        mapPaintLibraries();
        initFontConfig();
    });
#endif
}

StartupWarmUp::~StartupWarmUp()
{
    wait();
}

void StartupWarmUp::wait()
{
    if (m_thread.joinable())
        m_thread.join();
}

void PrepareStartupHeap()
{
#ifdef TIDEMARK_STARTUP_HEAP
    // The pad makes the heap grow by the whole reserve at once, and keeps the
    // frees of the start-up from trimming it back.
    mallopt(M_TOP_PAD, StartupReserve);
    char *const before = static_cast<char *>(sbrk(0));
    std::array<void *, 64> probes{};
    size_t count = 0;
    while (count < probes.size() && sbrk(0) == before)
        probes[count++] = std::malloc(Block);
    while (count > 0)
        std::free(probes[--count]);
    char *const after = static_cast<char *>(sbrk(0));

    const quintptr from = (quintptr(before) + HugePage - 1) & ~(HugePage - 1);
    const quintptr to = quintptr(after) & ~(HugePage - 1);
    if (to <= from)
        return;
    madvise(reinterpret_cast<void *>(from), to - from, MADV_HUGEPAGE);
    heapToPrepare = from;
    heapToPrepareEnd = std::min(to, from + 2 * HugePage);

    for (void *&block : filler) {
        void *next = std::malloc(Block);
        if (!next || quintptr(next) + Block >= from) {
            std::free(next);
            break;
        }
        block = next;
    }
#endif
}

void ReleaseStartupHeap()
{
#ifdef TIDEMARK_STARTUP_HEAP
    for (void *&block : filler) {
        std::free(block);
        block = nullptr;
    }
    mallopt(M_TOP_PAD, DefaultTopPad);
#endif
}

void PrepareFirstPaint(QWidget &window)
{
#if defined(Q_OS_LINUX)
    QBackingStore *store = window.backingStore();
    if (!store)
        return;
    // The size the first paint asks for; resizing to it again later is free.
    store->resize(window.size());
    QPaintDevice *device = store->paintDevice();
    if (!device || device->devType() != QInternal::Image)
        return;
    const auto *image = static_cast<const QImage *>(device);
    const auto bits = quintptr(image->constBits());
    adviseRange(bits, bits + quintptr(image->sizeInBytes()), MADV_POPULATE_WRITE);
#else
    Q_UNUSED(window);
#endif
}
