#pragma once
// CFilePP: the "File" page of the model info window: where the model's file lies, the
// version it was written with, its size, description, thumbnail and identifier, and the
// model's component behaviour. Everything shows read-only.
#include "app/stackedpage.h"

class CFilePP : public CStackedPage
{
public:
    static constexpr UINT kTemplateId = 244;

    static constexpr int kLocation = 2220;
    static constexpr int kVersion = 2122;
    static constexpr int kSize = 2221;
    static constexpr int kDescription = 2127;
    static constexpr int kThumbnail = 1299;
    static constexpr int kThumbnailPlaceholder = 1300;
    static constexpr int kRedefineThumbnail = 2344;
    static constexpr int kIdLabel = 2257;
    static constexpr int kId = 2121;
    static constexpr int kGlueTo = 2128;
    static constexpr int kCutOpening = 2134;
    static constexpr int kFacesCamera = 1308;
    static constexpr int kShadowsFaceSun = 1328;

    CFilePP() : CStackedPage(kTemplateId) {}

    void CreateTemplateControls() override;
    // The model and the file it came from (the program's document's).
    void SetModel(CTarnwickModel* model) override;
    void SetModelAndPath(const CTarnwickModel* model, const CString& path);

private:
    void Fill(const CTarnwickModel* model, const CString& path);
    void ShowThumbnail(bool hasBitmap);

    CString m_location;
    CString m_version;
    CString m_size;
    CString m_description;
    CString m_id;
    bool m_redefineThumbnail = true;
    int m_glueTo = 0;
    bool m_cutOpening = false;
    bool m_facesCamera = false;
    bool m_shadowsFaceSun = false;
};
