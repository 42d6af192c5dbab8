#pragma once
// CTarnwickPage: a named page (a scene) of a model, with a description shown as its
// tooltip. A page in a page list listens to its model's undo manager, so that the
// stored state of a view page never keeps an erased entity. Adding, selecting and
// clearing pages, and activating one, are announced with "Page Notification" and
// "Activate Page" unless page notifications are suppressed (the model suppresses them
// while it reads a file).

#include <cstdint>

#include "document/tabinfo.h"
#include "model/dblistener.h"
#include "model/entity.h"

class CPageList;
class CUndoManager;
class IAnimation;
class ITarnisView;

// The data of "Page Notification": the code first, then the page.
struct PageNotificationData
{
    std::int32_t code;
    class CTarnwickPage* page;
};

// Codes of "Page Notification".
enum PageNotificationCode : std::int32_t
{
    kPageAdded = 0,
    kPageSelected = 3,
    kPagesCleared = 5
};

// The data of "PageFrameNotification": two words and a time, in that order.
struct PageFrameData
{
    std::int32_t first;
    std::int32_t second;
    double time;
};

class CTarnwickPage : public CEntity, public CDBListener, public ITabInfo
{
    DECLARE_SERIAL(CTarnwickPage)

public:
    CTarnwickPage();
    CTarnwickPage(const CString& name, const CString& description);
    // Name, description and owner model; the copy does not listen.
    CTarnwickPage(const CTarnwickPage& other);
    // Leaves the undo manager it listens to.
    ~CTarnwickPage() override;

    // The entity part (when the file's entity version is not 0), the name and the
    // description. Throws the archive exception on bad input.
    void Serialize(CArchive& ar) override;
    [[nodiscard]] CEntity* Clone() const override;
    // Exchanges name and description; the other entity must be a page.
    void SwapData(CEntity& other) override;
    int CheckValidity(int mode, CValidityResultMap* results) override;
    [[nodiscard]] int GetTypeId() const override;

    // Posts "Activate Page" with the page.
    virtual void Activate();
    // The animation that moves the view to this page; null when there is none.
    [[nodiscard]] virtual IAnimation* CreateTransition(ITarnisView* view, CTarnwickPage* previous);
    [[nodiscard]] virtual bool IsIncludedInAnimation() const { return true; }
    // Whether the page listens to its model's undo manager once it joins a page list.
    [[nodiscard]] virtual bool IsAttached() const { return false; }

    // The name; classes may decorate it.
    [[nodiscard]] CString GetTabText() const override;
    // The description, or the name when the description is empty.
    [[nodiscard]] CString GetTooltipText() const override;

    [[nodiscard]] const CString& GetName() const { return m_name; }
    void SetName(const CString& name) { m_name = name; }
    [[nodiscard]] const CString& GetDescription() const { return m_description; }
    void SetDescription(const CString& description) { m_description = description; }

    // Stores the owner model; an attached page starts listening to the model's undo
    // manager. Without a model nothing is listened to.
    void SetPageList(CTarnwickModel* model);
    [[nodiscard]] CTarnwickModel* GetOwnerModel() const { return m_ownerModel; }
    [[nodiscard]] bool IsListening() const { return m_listenedManager != nullptr; }
    // The parent when it is a page list, else the owner model's page list.
    [[nodiscard]] CPageList* GetPageList() const;
    // The position in the page list; -1 without one or when the list lacks the page.
    [[nodiscard]] int GetIndex() const;
    // Makes the page the selected page of its page list.
    void Select();

    // The undo manager goes away with its model: nothing is left to leave.
    void OnModelDeleted(CTarnwickModel* model) override;

private:
    void StopListening();

    CString m_name;
    CString m_description;
    CTarnwickModel* m_ownerModel = nullptr;
    CUndoManager* m_listenedManager = nullptr;
};

// Posts "Page Notification" with the code and the page unless notifications are
// suppressed.
void NotifyPage(CTarnwickPage* page, std::int32_t code);
// Sets the switch that keeps "Activate Page" and "Page Notification" from being posted;
// returns its previous value. Used from the UI thread only.
bool SuppressPageNotifications(bool suppress);

// Holds page notifications back while it lives and restores the previous switch after,
// also when an exception passes.
class PageNotificationSuppression
{
public:
    PageNotificationSuppression() : m_previous(SuppressPageNotifications(true)) {}
    ~PageNotificationSuppression() { SuppressPageNotifications(m_previous); }

    PageNotificationSuppression(const PageNotificationSuppression&) = delete;
    PageNotificationSuppression& operator=(const PageNotificationSuppression&) = delete;

private:
    bool m_previous;
};
[[nodiscard]] bool ArePageNotificationsSuppressed();
// Posts "PageFrameNotification"; the page animation calls it for every frame.
void NotifyPageFrame(std::int32_t first, std::int32_t second, double time);

// Reads an object reference that must be a page (null allowed); another class is the
// archive exception badClass.
[[nodiscard]] CTarnwickPage* ReadPageObject(CArchive& ar);
