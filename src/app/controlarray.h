#pragma once

#include <QtGlobal>

// A control array of one element. The element keeps the index it was given
// at design time, and every use of it names that index.
template <typename Control> class ControlArray
{
public:
    ControlArray() = default;
    ControlArray(int index, Control *control) : m_index(index), m_control(control) {}

    Control *operator[](int index) const
    {
        Q_ASSERT(index == m_index);
        return index == m_index ? m_control : nullptr;
    }

private:
    int m_index = 0;
    Control *m_control = nullptr;
};
