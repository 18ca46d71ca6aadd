// SPDX-License-Identifier: MIT
#include "platform/large_block.h"

#include <sys/mman.h>

#include <algorithm>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <new>
#include <system_error>
#include <thread>
#include <utility>
#include <vector>

#include "platform/interrupted_writes.h"
#include "platform/side_by_side.h"

namespace quillon {
namespace {

// Blocks come in whole multiples of this.
constexpr std::size_t kRounding = std::size_t(2) << 20;
constexpr std::size_t kPage = 4096;

// A mapping and the aligned block inside it.
struct Mapping {
    void* map = nullptr;
    std::size_t mapSize = 0;
    void* data = nullptr;
    std::size_t size = 0;
};

// Plain pages, not huge ones: on a virtual machine that hands free memory
// back to its host, the first touch of a huge page cost up to eight times as
// much per byte as that of small pages (a 100 MB document's load spent a
// second clearing them instead of 0.3 s), while the comparison that walks the
// records ran no faster on huge pages. The prepared blocks are filled by one
// call (populate), so small pages cost no fault each either.
Mapping mapBlock(std::size_t rounded) {
    // Over-map so the block can start on an aligned boundary; the spare
    // address space is never touched.
    const std::size_t mapSize = rounded + kLargeBlockAlignment;
    void* map = ::mmap(nullptr, mapSize, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (map == MAP_FAILED) throw std::bad_alloc();
    const auto misalignment = reinterpret_cast<std::uintptr_t>(map) % kLargeBlockAlignment;
    char* aligned = static_cast<char*>(map) + (misalignment ? kLargeBlockAlignment - misalignment : 0);
    return {map, mapSize, aligned, rounded};
}

// Has the kernel clear every page of the block now.
void populate(const Mapping& m) {
    if (::madvise(m.data, m.size, MADV_POPULATE_WRITE) == 0) return;
    // An older kernel: a write to each page faults it in, and a zero keeps
    // the block as the kernel handed it out.
    auto* p = static_cast<volatile char*>(m.data);
    for (std::size_t i = 0; i < m.size; i += kPage) p[i] = 0;
}

// The kernel clears every fresh page on its first touch, and on a virtual
// machine that costs as much as parsing what fills it. While a big document
// loads, a second thread maps and clears the next few blocks of the size the
// stores are asking for, so the parse finds them ready. Blocks are never
// reused: each comes fresh from the kernel, zero-filled.
class Prefaulter {
public:
    // A ready block of exactly `rounded` bytes, or none. A caller that
    // grows a large store (`prepareMore`) has the next few of its size
    // prepared; others only take what is ready.
    bool take(std::size_t rounded, bool prepareMore, Mapping& out) {
        std::lock_guard lock(m_mutex);
        prepareMore = prepareMore && !m_stopped;
        if (!prepareMore && m_ready.empty()) return false;
        if (!startLocked()) return false;
        bool found = false;
        for (std::size_t i = 0; i < m_ready.size(); ++i) {
            if (m_ready[i].size != rounded) continue;
            out = m_ready[i];
            m_ready.erase(m_ready.begin() + std::ptrdiff_t(i));
            found = true;
            ++m_handedOut;
            break;
        }
        if (prepareMore && m_wanted != rounded) {
            // The stores moved on to another size: what is left waits no more.
            for (const Mapping& m : m_ready) ::munmap(m.map, m.mapSize);
            m_ready.clear();
            m_wanted = rounded;
        }
        if (found || prepareMore) m_wake.notify_one();
        return found;
    }

    // stop: prepare none until the next call without it.
    void releaseReady(bool stop) {
        std::lock_guard lock(m_mutex);
        for (const Mapping& m : m_ready) ::munmap(m.map, m.mapSize);
        m_ready.clear();
        m_wanted = 0;  // a block the thread is clearing now is dropped too
        m_stopped = stop;
    }

    ~Prefaulter() {
        {
            std::lock_guard lock(m_mutex);
            m_stop = true;
        }
        m_wake.notify_one();
        if (m_worker.joinable()) m_worker.join();
        for (const Mapping& m : m_ready) ::munmap(m.map, m.mapSize);
    }

private:
    // Blocks kept ready. A big load wants one for each of the four stores
    // that grow with it (records, items, strings, digests), so that all four
    // needing a block at once still find one cleared: with two, the parse of
    // a 100 MB document cleared nearly a third of its pages itself. What is
    // left after a load costs memory, though, so four are kept only once the
    // stores have taken kManyBlocks, which only a big document makes them do.
    static constexpr std::size_t kFewReady = 2;
    static constexpr std::size_t kManyReady = 4;
    static constexpr std::size_t kManyBlocks = 32;  // 128 MiB
    std::size_t readyWanted() const { return m_handedOut < kManyBlocks ? kFewReady : kManyReady; }

    bool startLocked() {
        if (m_started) return m_worker.joinable();
        m_started = true;
        if (UsableProcessors() < 2) return false;  // it would only take turns with the parse
        try {
            m_worker = StartWorkerThread([this] { run(); });
        } catch (const std::system_error&) {
            return false;
        }
        return true;
    }

    void run() {
        std::unique_lock lock(m_mutex);
        for (;;) {
            m_wake.wait(lock, [this] { return m_stop || (m_wanted && m_ready.size() < readyWanted()); });
            if (m_stop) return;
            const std::size_t size = m_wanted;
            lock.unlock();
            Mapping m;
            try {
                m = mapBlock(size);
                populate(m);
            } catch (const std::bad_alloc&) {
                // Out of memory: the stores will find out when they ask.
                lock.lock();
                m_wanted = 0;
                continue;
            }
            lock.lock();
            if (m_stop || size != m_wanted) {
                ::munmap(m.map, m.mapSize);
                continue;
            }
            m_ready.push_back(m);
        }
    }

    std::mutex m_mutex;
    std::condition_variable m_wake;
    std::vector<Mapping> m_ready;
    std::size_t m_wanted = 0;
    std::size_t m_handedOut = 0;  // ready blocks taken since the program started
    bool m_started = false;
    bool m_stopped = false;  // StopPreparingBlocks
    bool m_stop = false;
    std::thread m_worker;
};

Prefaulter& prefaulter() {
    static Prefaulter instance;
    return instance;
}

}  // namespace

LargeBlock::LargeBlock(std::size_t bytes, bool growing) {
    if (bytes == 0) return;
    const std::size_t rounded = (bytes + kRounding - 1) / kRounding * kRounding;
    Mapping m;
    // Only a store that has shown its document is large has blocks prepared
    // ahead. Anyone may take one that is ready, such as the scratch memory of
    // the comparison that follows.
    if (!prefaulter().take(rounded, growing, m)) m = mapBlock(rounded);
    m_map = m.map;
    m_mapSize = m.mapSize;
    m_data = m.data;
    m_size = m.size;
}

LargeBlock::~LargeBlock() { release(); }

LargeBlock::LargeBlock(LargeBlock&& other) noexcept
    : m_map(std::exchange(other.m_map, nullptr)),
      m_mapSize(std::exchange(other.m_mapSize, 0)),
      m_data(std::exchange(other.m_data, nullptr)),
      m_size(std::exchange(other.m_size, 0)) {}

LargeBlock& LargeBlock::operator=(LargeBlock&& other) noexcept {
    if (this != &other) {
        release();
        m_map = std::exchange(other.m_map, nullptr);
        m_mapSize = std::exchange(other.m_mapSize, 0);
        m_data = std::exchange(other.m_data, nullptr);
        m_size = std::exchange(other.m_size, 0);
    }
    return *this;
}

void LargeBlock::releasePages(std::size_t from, std::size_t to) {
    from = (from + kPage - 1) / kPage * kPage;
    to = std::min(to, m_size) / kPage * kPage;
    if (from < to) ::madvise(static_cast<char*>(m_data) + from, to - from, MADV_DONTNEED);
}

void ReleasePreparedBlocks() { prefaulter().releaseReady(false); }

void StopPreparingBlocks() { prefaulter().releaseReady(true); }

void LargeBlock::release() {
    if (m_map) ::munmap(m_map, m_mapSize);
    m_map = m_data = nullptr;
    m_mapSize = m_size = 0;
}

}  // namespace quillon
