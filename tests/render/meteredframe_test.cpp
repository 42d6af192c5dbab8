// A frame that passes its budget stops where it stands, keeps what it drew and says why.

#include <GL/gl.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "annotations/polyline3d.h"
#include "foundation/framemeter.h"
#include "tests/render/modelframefixture.h"

namespace {

constexpr int kLines = 8;
constexpr int kPointsPerLine = 1000;

class MeteredFrameTest : public ModelFrameTest
{
protected:
    void SetUp() override
    {
        ModelFrameTest::SetUp();
        Options().SetBackgroundColor(CColor(0, 0, 0, 255));
        Options().SetForegroundColor(CColor(255, 255, 255, 255));
        LookDown(CPoint3d(0, 0, 0), 20.0);
        // Lines across the view from the top down, each of many points: each costs the
        // frame what its points do, drawn in that order.
        for (int line = 0; line < kLines; ++line) {
            std::vector<CPoint3d> points;
            for (int i = 0; i < kPointsPerLine; ++i) {
                points.emplace_back(-10.0 + 20.0 * i / (kPointsPerLine - 1), LineY(line), 0.0);
            }
            Root().Add(new CPolyline3d(std::move(points)));
        }
    }

    static double LineY(int line) { return 8.0 - 2.0 * line; }
    // Whether the line shows in the middle of the frame.
    bool Shows(int line) const
    {
        const int row = static_cast<int>((10.0 - LineY(line)) / 20.0 * kHeight);
        for (int y = std::max(row - 1, 0); y <= std::min(row + 1, kHeight - 1); ++y) {
            if (Pixel(kWidth / 2, y)[0] > 128) {
                return true;
            }
        }
        return false;
    }
    // A frame under a budget for about two and a half lines.
    std::string DrawMetered()
    {
        testing::internal::CaptureStderr();
        {
            const CFrameMeter::CScope meter(kPointsPerLine * 5 / 2, true);
            Draw();
        }
        return testing::internal::GetCapturedStderr();
    }
};

TEST_F(MeteredFrameTest, AFrameOverItsBudgetStopsWithWhatItDrewAndSaysWhyEachTime)
{
    const std::string reason = CFrameMeter::kReason;
    const std::string first = DrawMetered();
    EXPECT_TRUE(Shows(0));
    EXPECT_FALSE(Shows(kLines - 1));
    EXPECT_EQ(m_view.statusText.ToUtf8(), reason);
    EXPECT_NE(first.find(reason), std::string::npos);

    // The next frame stops as well, and standard error does not hear of it again.
    m_view.statusText = CString("another text");
    const std::string second = DrawMetered();
    EXPECT_TRUE(Shows(0));
    EXPECT_FALSE(Shows(kLines - 1));
    EXPECT_EQ(m_view.statusText.ToUtf8(), reason);
    EXPECT_EQ(second.find(reason), std::string::npos);

    // A frame with its whole budget draws everything and takes the reason away.
    Draw();
    for (int line = 0; line < kLines; ++line) {
        EXPECT_TRUE(Shows(line)) << line;
    }
    EXPECT_TRUE(m_view.statusText.IsEmpty());
}

}  // namespace
