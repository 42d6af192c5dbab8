#pragma once
// CFileStats: the "Statistics" page of the model info window: either the list of entity
// counts of the whole model or the text of the components placed and how often, with or
// without what nested components hold. While it is shown it listens to the model's
// changes and counts again.
#include "app/stackedpage.h"
#include "document/componentstatistics.h"
#include "model/dblistener.h"

class CCompStatsCtrl;
class CUndoManager;

class CFileStats : public CStackedPage, public CDBListener
{
public:
    static constexpr UINT kTemplateId = 364;

    static constexpr int kView = 1304;
    static constexpr int kShowNested = 1307;
    static constexpr int kComponentText = 2533;
    static constexpr int kList = 2219;
    static constexpr int kPurge = 2592;
    static constexpr int kFixProblems = 1305;

    CFileStats();
    ~CFileStats() override;

    void CreateTemplateControls() override;
    bool OnInitDialog() override;
    void SetModel(CTarnwickModel* model) override;
    void OnPageActivate() override;
    void OnPageDeactivate() override;

    // "Entire model" shows the list, "Only components" the text.
    void ShowStatisticsList();
    void ShowComponentText();
    [[nodiscard]] bool IsShowingGeometry() const { return m_showGeometry; }
    [[nodiscard]] CCompStatsCtrl* GetList() const;

    // Settings of the section "FileStats".
    [[nodiscard]] static bool ReadShowGeometry();
    static void WriteShowGeometry(bool show);
    [[nodiscard]] static bool ReadShowNested();
    static void WriteShowNested(bool show);

    // CDBListener: a change of the model marks the counts stale; the operation that made
    // it counts again once it is committed, when every change is in place.
    void OnOperationCommitted(int code, int nameId, int flags) override;
    void OnEntityCreated(CEntity* entity) override;
    void OnEntityModified(CEntity* entity) override;
    void OnEntityErased(CEntity* entity) override;
    void OnEntityAdded(CEntity* entity, IEntityContainer* container) override;
    void OnEntityRemoved(CEntity* entity, IEntityContainer* container) override;
    void OnModelDeleted(CTarnwickModel* model) override;

private:
    void OnViewChanged(int item);
    void OnShowNested();
    void FillComponentText();
    void Refill();
    void Listen(bool listen);
    void Recount();

    bool m_showGeometry;
    bool m_showNested;
    CComponentStatistics m_statistics;
    CUndoManager* m_listenedManager = nullptr;
    bool m_stale = false;
};
