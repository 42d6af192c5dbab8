#pragma once
// The interface through which the document's users (the tool manager above all) hear
// that the selection changed.

class CEntity;
class CSelectionSet;

class ISelectionObserver
{
public:
    virtual ~ISelectionObserver() = default;

    // Codes: kSelectionRemoved with the entity that left, kSelectionCleared and
    // kSelectionChanged (held changes) with null.
    virtual void OnSelectionChanged(CSelectionSet* selection, int code, CEntity* entity) = 0;
};
