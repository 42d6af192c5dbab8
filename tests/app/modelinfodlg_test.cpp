#include "app/modelinfodlg.h"

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QHeaderView>
#include <QLabel>
#include <QListWidget>
#include <algorithm>
#include <memory>
#include <vector>

#include "annotations/constructionpoint.h"
#include "app/compstatsctrl.h"
#include "app/filepp.h"
#include "app/filestats.h"
#include "app/imagepreview.h"
#include "apptestsupport.h"
#include "document/dib.h"
#include "document/imageadapter/imageapp.h"
#include "document/tarnwickmodel.h"
#include "model/undomanager.h"
#include "platform/profile.h"
#include "samplefiles.h"
#include "samplegen/housemodel.h"

namespace {

class ModelInfoDlgTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        apptest::PrepareApplication();
        BuildHouseModel(*m_model);
        m_previous = SetCurrentModel(m_model);
    }
    void TearDown() override
    {
        dialog.reset();
        SetCurrentModel(m_previous);
        m_model->Release();
    }

    CModelInfoDlg& Open()
    {
        dialog = std::make_unique<CModelInfoDlg>();
        EXPECT_TRUE(dialog->Create(nullptr));
        dialog->ShowTool(true);
        return *dialog;
    }
    void ChoosePage(int row) { static_cast<QListWidget*>(dialog->GetDlgItem(CModelInfoDlg::kPageList))->setCurrentRow(row); }
    CFileStats& Statistics()
    {
        ChoosePage(1);
        return *static_cast<CFileStats*>(dialog->GetPage(CModelInfoDlg::kStatisticsSlot));
    }
    CFilePP& File() { return *static_cast<CFilePP*>(dialog->GetPage(CModelInfoDlg::kFileSlot)); }

    // The list's rows as label and count, top first.
    static std::vector<std::pair<QString, long long>> Rows(const CCompStatsCtrl& list)
    {
        std::vector<std::pair<QString, long long>> rows;
        for (int i = 0; i < list.topLevelItemCount(); ++i)
            rows.emplace_back(list.topLevelItem(i)->text(0), list.topLevelItem(i)->text(1).toLongLong());
        return rows;
    }

    CTarnwickModel& Model() { return *m_model; }

    apptest::MemorySettings settings;
    std::unique_ptr<CModelInfoDlg> dialog;

private:
    CTarnwickModel* m_model = new CTarnwickModel;
    CTarnwickModel* m_previous = nullptr;
};

TEST_F(ModelInfoDlgTest, TheStatisticsListHasItsFourteenRowsWithNestedCountsAddedWhenAsked)
{
    Open();
    CCompStatsCtrl& list = *Statistics().GetList();
    CComponentStatistics expected;
    expected.Update(Model().GetRootComponent(), true);
    for (const bool nested : {false, true})
    {
        if (nested)
            static_cast<QCheckBox*>(Statistics().GetDlgItem(CFileStats::kShowNested))->click();
        const auto rows = Rows(list);
        ASSERT_EQ(rows.size(), 14u);
        const char* labels[] = {"Edges",          "Faces",      "Component Instances",   "Construction Lines",
                                "Construction Points", "Groups", "Images",               "3d Polylines",
                                "Section Planes", "Dimensions", "Text", "Component Definitions", "Layers", "Materials"};
        for (int row = 0; row < 14; ++row)
        {
            EXPECT_EQ(rows[static_cast<size_t>(row)].first, QString::fromUtf8(labels[row]));
            EXPECT_EQ(rows[static_cast<size_t>(row)].second, expected.GetRowValue(row, nested)) << labels[row];
        }
    }
    EXPECT_GT(expected.GetRowValue(CComponentStatistics::kFaces, true),
              expected.GetRowValue(CComponentStatistics::kFaces, false));
    EXPECT_EQ(GetProfileInt(CString("FileStats"), CString("ShowSubComps"), 0), 1);
}

TEST_F(ModelInfoDlgTest, AHeaderClickSortsTheRowsAscendingByThatColumnEveryTime)
{
    Open();
    CCompStatsCtrl& list = *Statistics().GetList();
    for (const int column : {1, 1, 0, 0})
    {
        emit list.header()->sectionClicked(column);
        const auto rows = Rows(list);
        ASSERT_EQ(rows.size(), 14u);
        EXPECT_TRUE(std::is_sorted(rows.begin(), rows.end(), [column](const auto& a, const auto& b) {
            return column == 0 ? a.first < b.first : a.second < b.second;
        })) << column;
    }
    EXPECT_EQ(Rows(list).front().first, QStringLiteral("3d Polylines"));
}

TEST_F(ModelInfoDlgTest, OnlyComponentsListsEveryPlacedDefinitionWithItsCount)
{
    Open();
    CFileStats& page = Statistics();
    auto* view = static_cast<QComboBox*>(page.GetDlgItem(CFileStats::kView));
    view->setCurrentIndex(1);
    emit view->activated(1);
    EXPECT_FALSE(page.GetDlgItem(CFileStats::kList)->isVisibleTo(page.GetWindow()));
    EXPECT_EQ(GetProfileInt(CString("FileStats"), CString("ShowGeometry"), 1), 0);
    // The house's trees stand in a group: placed only inside it.
    EXPECT_EQ(page.GetDlgItemText(CFileStats::kComponentText), CString());
    static_cast<QCheckBox*>(page.GetDlgItem(CFileStats::kShowNested))->click();
    EXPECT_EQ(page.GetDlgItemText(CFileStats::kComponentText), CString("Tree\t3\r\n"));

    // A model that places no component shows nothing.
    CTarnwickModel* empty = new CTarnwickModel;
    page.SetModel(empty);
    EXPECT_EQ(page.GetDlgItemText(CFileStats::kComponentText), CString());
    empty->Release();
}

TEST_F(ModelInfoDlgTest, TheStatisticsFollowChangesToTheModelWhileThePageIsShown)
{
    Open();
    CCompStatsCtrl& list = *Statistics().GetList();
    const long long before = Rows(list)[CComponentStatistics::kConstructionPoints].second;
    CUndoManager* undo = Model().GetUndoManager();
    undo->Start(1);
    Model().AddEntity(new CConstructionPoint(CPoint3d(1, 2, 3)));
    undo->Commit(3);
    EXPECT_EQ(Rows(list)[CComponentStatistics::kConstructionPoints].second, before + 1);
}

TEST_F(ModelInfoDlgTest, TheFilePageShowsWhereTheFileLiesItsVersionAndSize)
{
    Open();
    const std::string house = apptest::Samples().Path("house-5000.twk");
    const std::string folder = house.substr(0, house.rfind('/') + 1);
    const auto bytes = static_cast<long long>(std::filesystem::file_size(house));
    const struct
    {
        std::string path;
        CString location;
        CString size;
    } cases[] = {{"", CString("(Never saved)"), CString()},
                 {house, CString::FromUtf8(folder), CString::Formatted("%.2lfKB (%lld Bytes)", bytes / 1024.0, bytes)},
                 {folder + "gone.twk", CString::FromUtf8(folder), CString()}};
    for (const auto& c : cases)
    {
        File().SetModelAndPath(&Model(), CString::FromUtf8(c.path));
        EXPECT_EQ(File().GetDlgItemText(CFilePP::kLocation), c.location) << c.path;
        EXPECT_EQ(File().GetDlgItemText(CFilePP::kSize), c.size) << c.path;
        EXPECT_EQ(File().GetDlgItemText(CFilePP::kVersion), Model().GetVersionInfo().GetText());
        EXPECT_FALSE(File().GetDlgItem(CFilePP::kRedefineThumbnail)->isEnabled());
    }
    // The size of a file of a hundred megabytes is shown whole.
    File().SetDlgItemText(CFilePP::kSize, CString("160069.00KB (163910652 Bytes)"));
    const auto* size = static_cast<const QLabel*>(File().GetDlgItem(CFilePP::kSize));
    EXPECT_LE(size->heightForWidth(size->width()), size->height());
}

TEST_F(ModelInfoDlgTest, TheThumbnailShowsTheModelsPreviewAndThePlaceholderWithoutOne)
{
    Open();
    auto* preview = static_cast<CImagePreview*>(File().GetDlgItem(CFilePP::kThumbnail));
    QWidget* page = File().GetWindow();
    Model().SetPreviewImage(nullptr);
    File().SetModel(&Model());
    EXPECT_EQ(preview->GetBitmap(), nullptr);
    EXPECT_TRUE(File().GetDlgItem(CFilePP::kThumbnailPlaceholder)->isVisibleTo(page));

    const std::vector<std::uint8_t> pixels(16 * 16 * 4, 0x80);
    Model().SetPreviewImage(GetImageLibApp()->MakeDib(16, 16, 32, pixels.data()));
    File().SetModel(&Model());
    ASSERT_NE(preview->GetBitmap(), nullptr);
    EXPECT_TRUE(preview->isVisibleTo(page));
    EXPECT_FALSE(File().GetDlgItem(CFilePP::kThumbnailPlaceholder)->isVisibleTo(page));
}

TEST_F(ModelInfoDlgTest, TheFilePageOpensFirstAndTheChosenPageIsRememberedWithTheModelsName)
{
    Open();
    EXPECT_EQ(dialog->GetCurrentPage(), &File());
    EXPECT_EQ(dialog->GetWindowText(), CString("Model Info"));
    ChoosePage(1);
    dialog.reset();
    EXPECT_EQ(GetProfileInt(CString("ModelInfoDlg"), CString("curPage"), -1), 1);
    Open();
    EXPECT_EQ(dialog->GetCurrentPage(), dialog->GetPage(CModelInfoDlg::kStatisticsSlot));
    EXPECT_TRUE(dialog->SelectPageByName(CModelInfoDlg::kFileStringId));
    EXPECT_EQ(dialog->GetCurrentPage(), &File());
    EXPECT_FALSE(dialog->SelectPageByName(10102));
}

}  // namespace
