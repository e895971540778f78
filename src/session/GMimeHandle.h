#pragma once

#include <glib-object.h>

#include <utility>

// Owns one reference to a GObject (GMime's parser, streams, messages). adopt() takes over a
// reference the caller was given; borrow() adds one to an object someone else owns, so either
// way the destructor's unref is right and no path can leak or double-free.
template<typename T> class GMimeHandle
{
public:
    GMimeHandle() = default;
    ~GMimeHandle() { reset(); }

    static GMimeHandle adopt(T *object) { return GMimeHandle(object); }
    static GMimeHandle borrow(T *object)
    {
        if (object)
            g_object_ref(object);
        return GMimeHandle(object);
    }

    GMimeHandle(const GMimeHandle &other) : m_object(other.m_object)
    {
        if (m_object)
            g_object_ref(m_object);
    }
    GMimeHandle(GMimeHandle &&other) noexcept : m_object(std::exchange(other.m_object, nullptr)) { }
    GMimeHandle &operator=(GMimeHandle other) noexcept
    {
        std::swap(m_object, other.m_object);
        return *this;
    }

    T *get() const { return m_object; }
    explicit operator bool() const { return m_object != nullptr; }

    void reset()
    {
        if (m_object)
            g_object_unref(std::exchange(m_object, nullptr));
    }

private:
    explicit GMimeHandle(T *object) : m_object(object) { }

    T *m_object = nullptr;
};
