#pragma once
// CCommandFunction: a command that calls a callback, for menu items that need no state of
// their own.
#include <functional>

#include "tools/command.h"

class CCommandFunction : public CCommand
{
public:
    // An empty callback makes a command that does nothing.
    explicit CCommandFunction(std::function<void()> callback);

    void Execute() override;

private:
    std::function<void()> m_callback;
};
