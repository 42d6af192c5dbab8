#include "render/glyphcache.h"

#include <algorithm>

CGlyphCache::CGlyphCache(std::size_t budgetBytes) : m_budget(budgetBytes) {}

std::uint32_t CGlyphCache::FaceId(const CString& path, int pixelSize, bool smooth)
{
    const auto found = std::find_if(m_faces.begin(), m_faces.end(), [&](const Face& face) {
        return face.pixelSize == pixelSize && face.smooth == smooth && face.path == path;
    });
    if (found != m_faces.end()) {
        return found->id;
    }
    if (m_faces.size() >= kMaxFaces) {
        Clear();
    }
    m_faces.push_back(Face{path, pixelSize, smooth, m_nextFace++});
    return m_faces.back().id;
}

const CGlyphCache::Glyph* CGlyphCache::Find(std::uint32_t face, char32_t character)
{
    const auto found = m_index.find(KeyOf(face, character));
    if (found == m_index.end()) {
        return nullptr;
    }
    m_entries.splice(m_entries.begin(), m_entries, found->second);
    return &found->second->glyph;
}

const CGlyphCache::Glyph* CGlyphCache::Insert(std::uint32_t face, char32_t character, const Glyph& glyph)
{
    const std::size_t cost = CostOf(glyph);
    const std::uint64_t key = KeyOf(face, character);
    if (const auto old = m_index.find(key); old != m_index.end()) {
        m_bytes -= CostOf(old->second->glyph);
        m_entries.erase(old->second);
        m_index.erase(old);
    }
    if (cost > m_budget) {
        return nullptr;
    }
    while (m_bytes + cost > m_budget && !m_entries.empty()) {
        m_bytes -= CostOf(m_entries.back().glyph);
        m_index.erase(m_entries.back().key);
        m_entries.pop_back();
    }
    m_entries.push_front(Entry{key, glyph});
    m_index.emplace(key, m_entries.begin());
    m_bytes += cost;
    return &m_entries.front().glyph;
}

void CGlyphCache::Clear()
{
    m_entries.clear();
    m_index.clear();
    m_faces.clear();
    m_bytes = 0;
}
