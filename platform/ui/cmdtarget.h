#pragma once
// CCmdTarget: an object that handles commands by id from its command table. Frames, views,
// documents and the application chain their targets in OnCmdMsg.
#include "platform/ui/commandtable.h"

class CCmdTarget
{
public:
    CCmdTarget() = default;
    virtual ~CCmdTarget() = default;
    CCmdTarget(const CCmdTarget&) = delete;
    CCmdTarget& operator=(const CCmdTarget&) = delete;

    // With ui null the command runs; otherwise its update rule fills ui. True when this
    // target (or one it routes to) handled it.
    virtual bool OnCmdMsg(UINT id, CCmdUI* ui);

    [[nodiscard]] CCommandTable& GetCommands() { return m_commands; }
    [[nodiscard]] const CCommandTable& GetCommands() const { return m_commands; }

protected:
    // This target's own rows only, without routing.
    bool HandleOwnCommand(UINT id, CCmdUI* ui);

private:
    CCommandTable m_commands;
};
