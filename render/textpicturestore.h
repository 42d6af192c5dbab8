#pragma once
// CTextPictureStore: the pictures of text labels (texts, dimensions, the view's own screen
// texts) kept as textures, all together within one byte bound. A picture is weighed by the
// texels it holds; when a new one would pass the bound, the pictures drawn longest ago are
// let go, and their holders render them again when next drawn. Without the bound every
// label would keep its picture for its life, whatever the whole came to.
//
// A holder enters its picture when it makes it, touches it whenever it draws it and leaves
// the store when it lets the picture go itself. The store only asks a holder to let go;
// the holder deletes its own GL names. Once the view's context has been replaced (the
// texture epoch moved on) every kept name is stale: the store forgets them all at its next
// use, and the holders forget their names without deleting them. User-interface thread
// only, with the view's context current.

#include <cstddef>
#include <list>
#include <unordered_map>

class CTextPictureStore
{
public:
    // About 250 labels of 20 characters 200 pixels high, or 8,000 of 100 in the default
    // font.
    static constexpr std::size_t kDefaultBudget = std::size_t{256} << 20;
    // What keeping one picture costs beyond its texels: its display list and the entry.
    static constexpr std::size_t kEntryOverhead = 1024;

    // What holds one picture.
    class IHolder
    {
    public:
        // Releases the picture (textures and list) and forgets what it was made from,
        // keeping only its size; the store has already taken it out.
        virtual void LetGoOfPicture() = 0;

    protected:
        ~IHolder() = default;
    };

    explicit CTextPictureStore(std::size_t budgetBytes = kDefaultBudget);
    CTextPictureStore(const CTextPictureStore&) = delete;
    CTextPictureStore& operator=(const CTextPictureStore&) = delete;

    // The program's store, alive until exit.
    [[nodiscard]] static CTextPictureStore& Get();

    // The holder now keeps a picture of that many texel bytes, drawn most recently; the
    // pictures drawn longest ago are let go until everything fits. A picture larger than
    // the whole budget is still kept, alone. Zero bytes is Forget.
    void Keep(IHolder& holder, std::size_t texelBytes);
    // The holder's picture was drawn now; nothing for a holder not kept.
    void Touch(IHolder& holder);
    // The holder let its picture go; nothing for a holder not kept.
    void Forget(IHolder& holder);
    // Asks every holder to let its picture go.
    void LetGoOfAll();

    [[nodiscard]] std::size_t GetBytes() const { return m_bytes; }
    [[nodiscard]] std::size_t GetCount() const { return m_entries.size(); }
    [[nodiscard]] std::size_t GetBudget() const { return m_budget; }
    [[nodiscard]] bool Holds(const IHolder& holder) const;

private:
    struct Entry
    {
        IHolder* holder = nullptr;
        std::size_t bytes = 0;
    };

    // The pictures let go are freed by the GL only once it has drawn what it queued with
    // them, and then stay in the heap: past a quarter of the budget let go, the GL is made
    // to draw and the heap gives the free pages back.
    void FlushWhenMuchLetGo(std::size_t bytes);
    // The context was replaced since the pictures were kept: all their names are stale.
    void ForgetStaleContext();
    void Remove(std::unordered_map<IHolder*, std::list<Entry>::iterator>::iterator found);

    std::size_t m_budget;
    std::size_t m_bytes = 0;
    std::size_t m_letGoSinceFlush = 0;
    unsigned m_epoch = 0;
    // Most recently drawn first.
    std::list<Entry> m_entries;
    std::unordered_map<IHolder*, std::list<Entry>::iterator> m_index;
};
