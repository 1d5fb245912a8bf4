#pragma once

// Sets a process-wide slot (loader, window, renderer, sound engine ...) for the life of a
// scope and puts back what was there, so an assertion that leaves a test early cannot hand
// the next test a pointer to an object that is gone.
//   ScopedGlobal<Loader> loader(GetLoader, SetLoader, &myLoader);
template <typename T>
class ScopedGlobal {
public:
    ScopedGlobal(T* (*get)(), void (*set)(T*), T* value) : m_set(set), m_previous(get()) { set(value); }
    ~ScopedGlobal() { m_set(m_previous); }
    ScopedGlobal(const ScopedGlobal&) = delete;
    ScopedGlobal& operator=(const ScopedGlobal&) = delete;

private:
    void (*m_set)(T*);
    T* m_previous;
};
