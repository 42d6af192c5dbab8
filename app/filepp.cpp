#include "app/filepp.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <filesystem>
#include <memory>
#include <system_error>

#include "app/hostservices.h"
#include "app/imagepreview.h"
#include "app/mfcwinbmp.h"
#include "document/componentbehavior.h"
#include "document/tarnwickmodel.h"
#include "foundation/modelid.h"
#include "platform/ui/dialogtemplate.h"
#include "platform/ui/stringtable.h"

namespace {

constexpr int kNeverSavedStringId = 20195;
constexpr int kUnassignedStringId = 20196;
constexpr int kSizeStringId = 21367;

// The file's size as the page shows it; empty when the file cannot be asked.
CString SizeText(const CString& path)
{
    std::error_code error;
    const auto bytes = std::filesystem::file_size(std::filesystem::path(path.ToUtf8()), error);
    if (error)
        return {};
    const auto count = static_cast<long long>(bytes);
    return CString::Formatted(LoadFormatString(kSizeStringId).ToUtf8().c_str(), count / 1024.0, count);
}

}  // namespace

void CFilePP::CreateTemplateControls()
{
    CDialogTemplate t(*this);
    t.Group(CString("General"), 2, 0, 244, 244);
    // The size of a file of megabytes takes two lines, as a long location does.
    const struct
    {
        const char* label;
        int id;
        int y;
        int height;
    } rows[] = {{"Location:", kLocation, 18, 32}, {"Version:", kVersion, 52, 18}, {"Size:", kSize, 72, 32}};
    for (const auto& row : rows)
    {
        t.Static(0, CString(row.label), 10, row.y, 74, 18);
        QLabel* value = t.Static(row.id, CString(), 86, row.y, 154, row.height);
        value->setWordWrap(true);
        // A value of one line stands level with its label.
        value->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    }
    t.Static(0, CString("Description:"), 10, 106, 74, 18);
    t.MultiLineEdit(kDescription, 86, 106, 154, 44, true);
    t.Place(kThumbnail, new CImagePreview, 86, 154, 64, 64);
    QLabel* placeholder = t.Static(kThumbnailPlaceholder, CString("Thumbnail"), 86, 154, 64, 64);
    placeholder->setAlignment(Qt::AlignCenter);
    placeholder->setFrameStyle(QFrame::Box | QFrame::Sunken);
    t.Check(kRedefineThumbnail, CString("Redefine thumbnail on save"), 10, 222, 230, 18);
    t.Static(kIdLabel, CString("id:"), 160, 154, 20, 18)->hide();
    t.Static(kId, CString(), 180, 154, 60, 18)->hide();
    t.Group(CString("Alignment"), 2, 250, 244, 106);
    t.Static(0, CString("Glue to:"), 10, 270, 74, 20);
    t.DropList(kGlueTo, {"None", "Any", "Horizontal", "Vertical", "Sloped"}, 86, 268, 120, 22);
    t.Check(kCutOpening, CString("Cut opening"), 10, 294, 200, 18);
    t.Check(kFacesCamera, CString("Always face camera"), 10, 314, 200, 18);
    t.Check(kShadowsFaceSun, CString("Shadows face sun"), 26, 334, 200, 18);
    SetClientSize(250, 360);
}

void CFilePP::SetModel(CTarnwickModel* model)
{
    SetModelAndPath(model, GetModelPathName(model));
}

void CFilePP::SetModelAndPath(const CTarnwickModel* model, const CString& path)
{
    Fill(model, path);
    if (!HasWindow())
        return;
    SetDlgItemText(kLocation, m_location);
    SetDlgItemText(kVersion, m_version);
    SetDlgItemText(kSize, m_size);
    SetDlgItemText(kDescription, m_description);
    SetDlgItemText(kId, m_id);
    CheckDlgButton(kRedefineThumbnail, m_redefineThumbnail ? 1 : 0);
    SetCurSel(kGlueTo, m_glueTo);
    CheckDlgButton(kCutOpening, m_cutOpening ? 1 : 0);
    CheckDlgButton(kFacesCamera, m_facesCamera ? 1 : 0);
    CheckDlgButton(kShadowsFaceSun, m_shadowsFaceSun ? 1 : 0);
    for (const int id : {kGlueTo, kCutOpening, kRedefineThumbnail, kDescription, kFacesCamera, kShadowsFaceSun})
        EnableDlgItem(id, false);
    Invalidate();
}

void CFilePP::Fill(const CTarnwickModel* model, const CString& path)
{
    m_location = LoadStringResource(kNeverSavedStringId);
    m_size = CString();
    m_version = CString();
    m_description = CString();
    m_id = CString();
    m_redefineThumbnail = true;
    m_glueTo = 0;
    m_cutOpening = m_facesCamera = m_shadowsFaceSun = false;
    auto* preview = static_cast<CImagePreview*>(GetDlgItem(kThumbnail));
    std::unique_ptr<CMfcWinBmp> bitmap;
    if (model != nullptr)
    {
        if (!path.IsEmpty())
        {
            m_size = SizeText(path);
            const int slash = path.ReverseFind(u'/');
            m_location = path.Left(slash + 1);
        }
        m_id = IsNullGuid(model->GetModelId()) ? LoadStringResource(kUnassignedStringId)
                                               : GuidToString(model->GetModelId());
        m_version = model->GetVersionInfo().GetText();
        m_description = model->GetDescription();
        m_redefineThumbnail = model->IsRedefineThumbnailOnSave();
        if (const CComponentBehavior* behavior = model->GetComponentBehavior())
        {
            m_glueTo = behavior->IsGlued() ? behavior->GetGlueTo() + 1 : 0;
            m_cutOpening = behavior->CutsOpening();
            m_facesCamera = behavior->AlwaysFacesCamera();
            m_shadowsFaceSun = behavior->ShadowsFaceSun();
        }
        if (model->GetPreviewImage() != nullptr)
        {
            bitmap = std::make_unique<CMfcWinBmp>();
            if (!bitmap->CreateFromDib(*model->GetPreviewImage()))
                bitmap.reset();
        }
    }
    const bool hasBitmap = bitmap != nullptr;
    if (preview != nullptr)
        preview->SetBitmap(std::move(bitmap));
    ShowThumbnail(hasBitmap);
}

void CFilePP::ShowThumbnail(bool hasBitmap)
{
    if (!HasWindow())
        return;
    ShowDlgItem(kThumbnail, hasBitmap);
    ShowDlgItem(kThumbnailPlaceholder, !hasBitmap);
}
