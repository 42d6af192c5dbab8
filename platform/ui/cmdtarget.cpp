#include "platform/ui/cmdtarget.h"

bool CCmdTarget::OnCmdMsg(UINT id, CCmdUI* ui)
{
    return HandleOwnCommand(id, ui);
}

bool CCmdTarget::HandleOwnCommand(UINT id, CCmdUI* ui)
{
    return ui != nullptr ? m_commands.Update(*ui) : m_commands.Execute(id);
}
