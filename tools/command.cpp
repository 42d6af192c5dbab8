#include "tools/command.h"

#include <map>
#include <vector>

namespace {

struct CommandRegistry
{
    // Live commands only: an entry goes when its command is deleted.
    std::map<int, CCommand*> commands;
    int nextFreshId = kFirstMenuCommandId;
    // Taken from the back.
    std::vector<int> freedIds;
};

CommandRegistry& Registry()
{
    static CommandRegistry registry;
    return registry;
}

int TakeId()
{
    CommandRegistry& registry = Registry();
    if (registry.freedIds.empty())
        return registry.nextFreshId++;
    const int id = registry.freedIds.back();
    registry.freedIds.pop_back();
    return id;
}

}  // namespace

CCommand::CCommand() : m_id(TakeId())
{
    Registry().commands[m_id] = this;
}

CCommand::~CCommand()
{
    CommandRegistry& registry = Registry();
    const auto found = registry.commands.find(m_id);
    if (found == registry.commands.end() || found->second != this)
        return;
    registry.commands.erase(found);
    registry.freedIds.push_back(m_id);
}

int CCommand::AddRef()
{
    return ++m_refCount;
}

int CCommand::Release()
{
    if (m_refCount <= 0)
        return 0;
    if (--m_refCount > 0)
        return m_refCount;
    delete this;
    return 0;
}

CCommand* FindAndUpdateCommand(int id)
{
    const CommandRegistry& registry = Registry();
    const auto found = registry.commands.find(id);
    if (found == registry.commands.end())
        return nullptr;
    found->second->AddRef();
    return found->second;
}

bool IsRegisteredCommandId(int id)
{
    return Registry().commands.contains(id);
}

int FindAndExecuteCommand(int id)
{
    CCommand* command = FindAndUpdateCommand(id);
    if (command == nullptr)
        return 0;
    try
    {
        command->Execute();
    }
    catch (...)
    {
        command->Release();
        throw;
    }
    return command->Release();
}

int ReleaseCommandId(int id)
{
    CCommand* command = FindAndUpdateCommand(id);
    if (command == nullptr)
        return 0;
    command->Release();
    return command->Release();
}
