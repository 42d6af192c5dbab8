#include "tools/commandfunction.h"

#include <utility>

CCommandFunction::CCommandFunction(std::function<void()> callback) : m_callback(std::move(callback)) {}

void CCommandFunction::Execute()
{
    if (m_callback)
        m_callback();
}
