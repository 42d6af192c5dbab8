#pragma once
// CCommand: what a popup-menu item does. Commands are reference counted and entered under
// a menu command id of their own in one registry, so that the id a picked item sends back
// through the command route finds its command. A deleted command's id is handed out again,
// the last freed first, so the ids stay few however many menus come and go.
// The registry is global and has no lock: user-interface thread only.

inline constexpr int kFirstMenuCommandId = 50000;
// Item flags stored in a command.
inline constexpr int kMenuItemGrayed = 1;
inline constexpr int kMenuItemChecked = 8;

class CCommand
{
public:
    // Count 1; registered under the most recently freed id, else the next fresh one.
    CCommand();
    CCommand(const CCommand&) = delete;
    CCommand& operator=(const CCommand&) = delete;

    // Both answer the new count. The command deletes itself, and its id leaves the
    // registry, when the count reaches 0; a count already at 0 stays 0.
    int AddRef();
    int Release();

    // The base does nothing.
    virtual void Execute() {}
    [[nodiscard]] virtual int GetFlags() const { return m_flags; }
    // What the item shows each time its menu opens (grayed, checked); the flags unless a
    // command works its state out when asked.
    [[nodiscard]] virtual int GetState() const { return GetFlags(); }

    [[nodiscard]] int GetId() const { return m_id; }
    void SetFlags(int flags) { m_flags = flags; }
    // The application command the item stands for, 0 for none.
    [[nodiscard]] int GetAssociatedId() const { return m_associatedId; }
    void SetAssociatedId(int id) { m_associatedId = id; }

protected:
    // Only Release deletes a command.
    virtual ~CCommand();

private:
    int m_id = 0;
    int m_flags = 0;
    int m_associatedId = 0;
    int m_refCount = 1;
};

// The command registered under the id, with one more reference for the caller to release;
// null when no command has that id.
[[nodiscard]] CCommand* FindAndUpdateCommand(int id);
[[nodiscard]] bool IsRegisteredCommandId(int id);
// Runs the command of that id, holding a reference while it runs; answers the count left
// afterwards. An id no command has runs nothing and answers 0.
int FindAndExecuteCommand(int id);
// Lets go of the reference that the owner of an item (its menu) holds on the command of
// that id; answers the count left, 0 when the command was deleted or the id is unknown.
int ReleaseCommandId(int id);
