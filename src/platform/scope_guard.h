#pragma once

#include <utility>

namespace tildo {

// Enters a state and leaves it when the scope ends, on every exit path (an
// exception included): a flag, a busy pointer, a mark switched for a while.
//   TScopeGuard busy([&] { doc.SetBusyCursor(true); }, [&] { doc.SetBusyCursor(false); });
//   TScopeGuard cleanUp([&] { cache.Clear(); });
template <class Leave> class [[nodiscard]] TScopeGuard
{
public:
    explicit TScopeGuard(Leave leave)
        : m_leave(std::move(leave))
    {
    }
    template <class Enter>
    TScopeGuard(Enter enter, Leave leave)
        : m_leave(std::move(leave))
    {
        enter();
    }
    ~TScopeGuard() { m_leave(); }
    TScopeGuard(const TScopeGuard&) = delete;
    TScopeGuard& operator=(const TScopeGuard&) = delete;

private:
    Leave m_leave;
};

template <class Enter, class Leave> TScopeGuard(Enter, Leave) -> TScopeGuard<Leave>;

} // namespace tildo
