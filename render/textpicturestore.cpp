#include "render/textpicturestore.h"

#include <GL/gl.h>

#include "document/texturegl.h"
#include "platform/heaptrim.h"

CTextPictureStore::CTextPictureStore(std::size_t budgetBytes) : m_budget(budgetBytes), m_epoch(GetGLTextureEpoch()) {}

CTextPictureStore& CTextPictureStore::Get()
{
    // Never destroyed: holders owned by static objects may leave it at exit.
    static auto* const store = new CTextPictureStore;
    return *store;
}

bool CTextPictureStore::Holds(const IHolder& holder) const
{
    return m_index.find(const_cast<IHolder*>(&holder)) != m_index.end();
}

void CTextPictureStore::Remove(std::unordered_map<IHolder*, std::list<Entry>::iterator>::iterator found)
{
    m_bytes -= found->second->bytes;
    m_entries.erase(found->second);
    m_index.erase(found);
}

void CTextPictureStore::ForgetStaleContext()
{
    const unsigned epoch = GetGLTextureEpoch();
    if (epoch != m_epoch) {
        m_epoch = epoch;
        LetGoOfAll();
    }
}

void CTextPictureStore::Keep(IHolder& holder, std::size_t texelBytes)
{
    // Out first: the holder's new picture belongs to the current context.
    Forget(holder);
    ForgetStaleContext();
    if (texelBytes == 0) {
        return;
    }
    const std::size_t bytes = texelBytes + kEntryOverhead;
    while (m_bytes + bytes > m_budget && !m_entries.empty()) {
        IHolder* oldest = m_entries.back().holder;
        const std::size_t freed = m_entries.back().bytes;
        Remove(m_index.find(oldest));
        oldest->LetGoOfPicture();
        FlushWhenMuchLetGo(freed);
    }
    m_entries.push_front(Entry{&holder, bytes});
    m_index.emplace(&holder, m_entries.begin());
    m_bytes += bytes;
}

void CTextPictureStore::FlushWhenMuchLetGo(std::size_t bytes)
{
    m_letGoSinceFlush += bytes;
    if (m_letGoSinceFlush > m_budget / 4) {
        m_letGoSinceFlush = 0;
        // What the last flush let the GL free lies between live blocks of the heap, which
        // would keep it: it goes back to the system.
        ReturnFreeHeapToSystem();
        glFlush();
    }
}

void CTextPictureStore::Touch(IHolder& holder)
{
    ForgetStaleContext();
    const auto found = m_index.find(&holder);
    if (found != m_index.end()) {
        m_entries.splice(m_entries.begin(), m_entries, found->second);
    }
}

void CTextPictureStore::Forget(IHolder& holder)
{
    const auto found = m_index.find(&holder);
    if (found != m_index.end()) {
        Remove(found);
    }
}

void CTextPictureStore::LetGoOfAll()
{
    while (!m_entries.empty()) {
        IHolder* holder = m_entries.front().holder;
        Remove(m_index.find(holder));
        holder->LetGoOfPicture();
    }
}
