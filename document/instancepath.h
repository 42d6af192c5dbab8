#pragma once
// CInstancePath: the chain of component instances that leads from a component down to
// an entity of interest, outermost first. The model keeps one as its active path (the
// instances opened for editing); picking builds them. The path does not own its entries.

#include <vector>

class CComponentInstance;
class CEntity;
class CTransformation;

class CInstancePath
{
public:
    CInstancePath() = default;
    CInstancePath(const CInstancePath& other) = default;
    CInstancePath& operator=(const CInstancePath& other);
    virtual ~CInstancePath();

    void SetSingle(CEntity* entity);
    void Push(CEntity* entity);
    void Append(const CInstancePath& other);
    // Nothing on an empty path.
    void Pop();
    void Clear() { m_entities.clear(); }

    [[nodiscard]] int GetCount() const { return static_cast<int>(m_entities.size()); }
    [[nodiscard]] bool IsEmpty() const { return m_entities.empty(); }
    // Null on an empty path.
    [[nodiscard]] CEntity* Front() const;
    [[nodiscard]] CEntity* Back() const;
    // Null for an index outside the path.
    [[nodiscard]] CEntity* GetAt(int index) const;
    // The element as an instance; null when it is none or the index lies outside.
    [[nodiscard]] CComponentInstance* GetInstance(int index) const;
    // False for null.
    [[nodiscard]] bool Contains(const CEntity* entity) const;
    // The number of leading positions at which both paths hold the same pointer.
    [[nodiscard]] int CommonPrefixLength(const CInstancePath& other) const;

    // The product of the placements from the outermost inwards: coordinates of the
    // innermost definition into those of the component the path starts in. The walk
    // stops at the first element that is not an instance.
    void GetTransform(CTransformation& out) const;

    // Same length and the same pointer at every position.
    bool operator==(const CInstancePath& other) const;

    [[nodiscard]] const std::vector<CEntity*>& GetEntities() const { return m_entities; }

private:
    std::vector<CEntity*> m_entities;
};
