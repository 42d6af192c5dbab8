#include "document/instancepath.h"

#include <algorithm>

#include "document/componentinstance.h"
#include "foundation/transformation.h"

CInstancePath& CInstancePath::operator=(const CInstancePath& other)
{
    if (this != &other) {
        m_entities = other.m_entities;
    }
    return *this;
}

CInstancePath::~CInstancePath() = default;

void CInstancePath::SetSingle(CEntity* entity)
{
    m_entities.assign(1, entity);
}

void CInstancePath::Push(CEntity* entity)
{
    m_entities.push_back(entity);
}

void CInstancePath::Append(const CInstancePath& other)
{
    // A copy first, so that appending a path to itself doubles it cleanly.
    const std::vector<CEntity*> tail = other.m_entities;
    m_entities.insert(m_entities.end(), tail.begin(), tail.end());
}

void CInstancePath::Pop()
{
    if (!m_entities.empty()) {
        m_entities.pop_back();
    }
}

CEntity* CInstancePath::Front() const
{
    return m_entities.empty() ? nullptr : m_entities.front();
}

CEntity* CInstancePath::Back() const
{
    return m_entities.empty() ? nullptr : m_entities.back();
}

CEntity* CInstancePath::GetAt(int index) const
{
    if (index < 0 || index >= GetCount()) {
        return nullptr;
    }
    return m_entities[static_cast<std::size_t>(index)];
}

bool CInstancePath::Contains(const CEntity* entity) const
{
    return entity != nullptr && std::find(m_entities.begin(), m_entities.end(), entity) != m_entities.end();
}

int CInstancePath::CommonPrefixLength(const CInstancePath& other) const
{
    const std::size_t shorter = std::min(m_entities.size(), other.m_entities.size());
    std::size_t length = 0;
    while (length < shorter && m_entities[length] == other.m_entities[length]) {
        ++length;
    }
    return static_cast<int>(length);
}

bool CInstancePath::operator==(const CInstancePath& other) const
{
    return this == &other || m_entities == other.m_entities;
}

CComponentInstance* CInstancePath::GetInstance(int index) const
{
    return dynamic_cast<CComponentInstance*>(GetAt(index));
}

void CInstancePath::GetTransform(CTransformation& out) const
{
    out = CTransformation();
    for (CEntity* entity : m_entities) {
        const auto* instance = dynamic_cast<const CComponentInstance*>(entity);
        if (instance == nullptr) {
            return;
        }
        out = out * instance->GetTransform();
    }
}
