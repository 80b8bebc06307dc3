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

// Gives a variable a value for the life of the scope and then puts back the
// value it had.
template <class T, class U> auto ScopedValue(T& variable, U&& value)
{
    return TScopeGuard(
        [&variable, old = std::exchange(variable, std::forward<U>(value))] { variable = old; });
}

} // namespace tildo
