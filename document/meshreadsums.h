#pragma once
// CMeshReadSums: what the count at opening needs of a large entity list's faces and
// edges, gathered while its read has each at hand (CMeshReadSink), with the positions
// of its other elements and the materials its elements show, so that the count need not
// walk the millions of them again once the file is read.
//
// The sums are kept while a model is read (CReadScope) and only for lists long enough to
// be counted apart. They describe a list only as long as it stays as read: a list that
// took more or fewer faces and edges than were read while it was read, needed settling,
// or changed since makes none.

#include <cstddef>
#include <cstdint>
#include <vector>

#include "model/entity.h"
#include "model/meshreadsink.h"

class CComponent;
class CMaterial;

class CMeshReadSums final
{
public:
    // While one lives, the lists this thread's model read reads keep their sums; they
    // go with it.
    class CReadScope
    {
    public:
        CReadScope();
        ~CReadScope();
        CReadScope(const CReadScope&) = delete;
        CReadScope& operator=(const CReadScope&) = delete;

    private:
        void* m_previous;
    };

    // The sums of the list of `length` entries the component is about to read, kept for
    // it; null when no read keeps sums or the list is too short to be counted apart.
    // The box of its triangles' corners is kept unless the model's settings read so far
    // draw every edge's line.
    [[nodiscard]] static CMeshReadSums* Begin(const CComponent& component, std::size_t length);
    // The component's sums when they still describe its list; null otherwise.
    [[nodiscard]] static const CMeshReadSums* Find(const CComponent& component);
    // A list's entries were settled, a list changed or a component's geometry moved:
    // sums gathered before may no longer describe their lists.
    static void NoteListsChanged();

    CMeshReadSums(bool trianglesBox, const CEntity* holder) : m_sink(trianglesBox, holder) {}

    // What the read hands its faces and edges to while the list is read.
    [[nodiscard]] CMeshReadSink& GetSink() { return m_sink; }
    [[nodiscard]] const CMeshReadSink& GetSink() const { return m_sink; }
    // An element of that type the list took at that position. Inline: a list takes
    // millions.
    void Listed(int type, std::size_t position)
    {
        if (type != kTypeFace && type != kTypeEdge) {
            m_others.push_back(position);
        }
    }
    // The list read to its end without settling, with the materials its elements use.
    void End(std::size_t length, std::vector<const CMaterial*> materials);

    [[nodiscard]] const std::vector<std::size_t>& GetOtherPositions() const { return m_others; }
    // The materials the list's elements show.
    [[nodiscard]] const std::vector<const CMaterial*>& GetMaterials() const { return m_materials; }

private:
    CMeshReadSink m_sink;
    std::vector<std::size_t> m_others;
    std::vector<const CMaterial*> m_materials;
    std::size_t m_length = 0;
    std::uint64_t m_changesAtBegin = 0;
    bool m_ended = false;
    bool m_spoilt = false;
};
