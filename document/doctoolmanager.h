#pragma once
// IDocToolManager: what the document base needs of the tool manager. The tool manager
// lives in a layer above the document and implements this interface; the document
// base is handed one and never owns it.

class CDBListener;
class ISelectionObserver;

class IDocToolManager
{
public:
    virtual ~IDocToolManager() = default;

    // The tool manager hears the model's database events and selection changes
    // through these; neither may be null.
    [[nodiscard]] virtual CDBListener* GetDBListener() = 0;
    [[nodiscard]] virtual ISelectionObserver* GetSelectionObserver() = 0;

    // Makes the tool manager current (the document became active).
    virtual void Activate() = 0;
    // Drops every tool back to the default one (the document's contents went away).
    virtual void Reset() = 0;
    // Ends every tool before the document goes.
    virtual void Shutdown() = 0;
    // The command id of the active tool; 0 without one.
    [[nodiscard]] virtual int GetActiveToolId() const = 0;
    // Ends the active tool; false when there was none.
    virtual bool PopTool() = 0;
};
