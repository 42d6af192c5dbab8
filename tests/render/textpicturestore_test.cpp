// The store of label pictures: one byte bound over all of them, the least recently drawn
// let go first, and everything forgotten once the context is replaced.

#include <gtest/gtest.h>

#include <vector>

#include "document/texturegl.h"
#include "render/textpicturestore.h"

namespace {

struct Holder : CTextPictureStore::IHolder
{
    void LetGoOfPicture() override { ++letGo; }
    int letGo = 0;
};

constexpr std::size_t kPicture = 1000;
// Room for three pictures with their entries.
constexpr std::size_t kBudget = 3 * (kPicture + CTextPictureStore::kEntryOverhead);

TEST(TextPictureStore, PicturesDrawnLongestAgoGoFirstAndTheBoundHolds)
{
    const struct {
        const char* name;
        std::vector<int> touched;  // drawn again, in order, before the fourth is kept
        int letGo;                 // the holder asked to let go
    } cases[] = {
        {"none drawn again: the first kept", {}, 0},
        {"the first drawn again: the second", {0}, 1},
        {"all drawn again in turn: the first again", {1, 2, 0, 1, 2, 0, 1, 2}, 0},
    };
    for (const auto& c : cases) {
        CTextPictureStore store(kBudget);
        Holder holders[4];
        for (int i = 0; i < 3; ++i) {
            store.Keep(holders[i], kPicture);
        }
        for (const int i : c.touched) {
            store.Touch(holders[i]);
        }
        store.Keep(holders[3], kPicture);
        EXPECT_LE(store.GetBytes(), kBudget) << c.name;
        EXPECT_EQ(store.GetCount(), 3U) << c.name;
        for (int i = 0; i < 4; ++i) {
            EXPECT_EQ(holders[i].letGo, i == c.letGo ? 1 : 0) << c.name << " holder " << i;
            EXPECT_EQ(store.Holds(holders[i]), i != c.letGo) << c.name << " holder " << i;
        }
    }
}

TEST(TextPictureStore, KeepingAgainReweighsForgettingFreesAndAHugePictureStaysAlone)
{
    CTextPictureStore store(kBudget);
    Holder a;
    Holder b;
    store.Keep(a, kPicture);
    store.Keep(a, 2 * kPicture);
    EXPECT_EQ(store.GetBytes(), 2 * kPicture + CTextPictureStore::kEntryOverhead);
    store.Keep(a, 0);
    EXPECT_EQ(store.GetBytes(), 0U);
    EXPECT_EQ(a.letGo, 0) << "a holder that let go itself is not asked";
    store.Keep(a, kPicture);
    store.Keep(b, 10 * kBudget);
    EXPECT_EQ(a.letGo, 1);
    EXPECT_TRUE(store.Holds(b));
    EXPECT_EQ(store.GetCount(), 1U);
    store.Forget(b);
    store.Forget(b);
    store.Touch(b);
    EXPECT_EQ(store.GetCount(), 0U);
    EXPECT_EQ(b.letGo, 0);
}

TEST(TextPictureStore, AReplacedContextLetsEveryPictureGo)
{
    CTextPictureStore store(kBudget);
    Holder a;
    Holder b;
    store.Keep(a, kPicture);
    store.Keep(b, kPicture);
    ForgetGLTextureNames();
    store.Keep(b, kPicture);
    EXPECT_EQ(a.letGo, 1);
    EXPECT_EQ(b.letGo, 0) << "the picture just made belongs to the new context";
    EXPECT_FALSE(store.Holds(a));
    EXPECT_TRUE(store.Holds(b));
}

}  // namespace
