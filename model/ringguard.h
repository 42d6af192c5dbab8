#pragma once
// CRingGuard: keeps walks over the topology's rings finite. A sound ring returns to
// the element the walk started at; a ring damaged by a broken file may instead run
// into a cycle that never passes the start again. The guard remembers the element
// reached at steps 1, 2, 4, 8, ... and reports when the walk meets a remembered one
// again, which any such cycle does within a few times its length, without memory
// that grows with the ring.

#include <cstdint>

class CRingGuard
{
public:
    // True while the walk may go on; false once the element comes round a second time.
    bool Visit(const void* element)
    {
        if (element == m_checkpoint) {
            return false;
        }
        if (++m_steps == m_nextCheckpoint) {
            m_checkpoint = element;
            m_nextCheckpoint *= 2;
        }
        return true;
    }
    void Reset()
    {
        m_checkpoint = nullptr;
        m_steps = 0;
        m_nextCheckpoint = 1;
    }

private:
    const void* m_checkpoint = nullptr;
    std::uint64_t m_steps = 0;
    std::uint64_t m_nextCheckpoint = 1;
};

// A cursor over one ring: yields the start element, then each element that advance
// leads to, until the stop element comes round (the start itself for a whole ring),
// a null link, or the guard ends a ring that never closes. With excludeStop a start
// equal to the stop element yields nothing.
template <typename T>
class CRingCursor
{
public:
    CRingCursor() = default;
    CRingCursor(T* start, T* stop, bool excludeStop) : m_start(start), m_stop(stop), m_excludeStop(excludeStop) {}
    explicit CRingCursor(T* start) : m_start(start), m_stop(start) {}

    void Reset()
    {
        m_cursor = nullptr;
        m_done = false;
        m_guard.Reset();
    }
    [[nodiscard]] T* GetStart() const { return m_start; }

    template <typename Advance>
    bool Step(T*& out, Advance advance)
    {
        if (m_done) {
            return false;
        }
        T* next = m_cursor == nullptr ? m_start : advance(m_cursor);
        const bool atStop = m_cursor == nullptr ? (m_excludeStop && next == m_stop) : next == m_stop;
        if (next == nullptr || atStop || (m_cursor != nullptr && !m_guard.Visit(next))) {
            m_done = true;
            return false;
        }
        m_cursor = next;
        out = next;
        return true;
    }

private:
    T* m_start = nullptr;
    T* m_stop = nullptr;
    bool m_excludeStop = false;
    T* m_cursor = nullptr;
    bool m_done = false;
    CRingGuard m_guard;
};
