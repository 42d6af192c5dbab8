#include "app/glimracursors.h"

#include <gtest/gtest.h>

#include <QCursor>
#include <QPixmap>
#include <filesystem>

#include "apptestsupport.h"

namespace {

class GlimraCursorsTest : public ::testing::Test
{
protected:
    void SetUp() override { apptest::PrepareApplication(); }

    CGlimraCursors cursors;
};

TEST_F(GlimraCursorsTest, TheTableHoldsFiftyThreeCursorsOfWhichSevenHaveImages)
{
    ASSERT_EQ(GetCursorTable().size(), 53u);
    int withImages = 0;
    for (const CCursorRecord& record : GetCursorTable())
        withImages += record.resourceType == "VPNG" ? 1 : 0;
    EXPECT_EQ(withImages, 7);
    EXPECT_EQ(GetCursorTable().front().name, "cursor_Pencil");
    EXPECT_EQ(GetCursorTable().back().id, 466);
}

TEST_F(GlimraCursorsTest, TheOrbitCursorComesFromItsImageWithItsHotSpotAndIsLoadedOnce)
{
    HCURSOR orbit = cursors.GetCursor(419);
    ASSERT_NE(orbit, nullptr);
    EXPECT_EQ(GetStandardCursorId(orbit), 0);
    EXPECT_EQ(GetQtCursor(orbit).hotSpot(), QPoint(10, 10));
    EXPECT_EQ(GetQtCursor(orbit).pixmap().size(), QSize(32, 32));
    EXPECT_EQ(cursors.GetCursor(419), orbit);
}

TEST_F(GlimraCursorsTest, IdsWithoutImagesStandardIdsAndUnknownIdsResolveAsThePlatformDoes)
{
    const struct
    {
        int id;
        int standard;
    } cases[] = {{632, IDC_ARROW}, {32514, IDC_WAIT}, {12345, IDC_ARROW}, {0, IDC_ARROW}, {32513, IDC_ARROW}};
    for (const auto& c : cases)
        EXPECT_EQ(GetStandardCursorId(cursors.GetCursor(c.id)), c.standard) << c.id;
}

TEST_F(GlimraCursorsTest, CursorsAddedFromFilesTakeIdsAfterFiftyThousand)
{
    const std::filesystem::path image =
        std::filesystem::path(GLIMRA_SOURCE_DIR) / "app/resources/images/vpng-421.png";
    const int id = cursors.AddCursorFromFile(CString(image.string()), 11, 11);
    EXPECT_EQ(id, CBaseCursors::kFirstRuntimeId + 1);
    EXPECT_EQ(GetQtCursor(cursors.GetCursor(id)).hotSpot(), QPoint(11, 11));
    EXPECT_EQ(cursors.AddCursorFromFile(CString("/nonexistent.png"), 0, 0), 0);
    EXPECT_EQ(cursors.GetRuntimeCursors().size(), 1u);
}

}  // namespace
