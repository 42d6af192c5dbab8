#pragma once
// The one broadcaster of named notifications. Observers register under a name and
// are called synchronously, in registration order, with the name and a data pointer
// whose meaning depends on the name. Single-threaded; nothing is locked.

#include <list>
#include <map>
#include <string>
#include <unordered_map>
#include <vector>

class IObserver
{
public:
    virtual ~IObserver() = default;
    virtual void OnNotify(const std::string& name, void* data) = 0;
};

class CNotificationCenter
{
public:
    CNotificationCenter() = default;
    // Observers are neither told nor deleted.
    virtual ~CNotificationCenter() = default;

    CNotificationCenter(const CNotificationCenter&) = delete;
    CNotificationCenter& operator=(const CNotificationCenter&) = delete;

    // Appends without a duplicate check: an observer added twice is called twice.
    void AddObserver(const std::string& name, IObserver* observer);
    // Removes every occurrence under the name at once, also during a delivery.
    void RemoveObserver(const std::string& name, IObserver* observer);
    // During a delivery the removal waits until the post ends; otherwise it removes
    // every occurrence under every name at once. Unknown observers are ignored.
    void RemoveObserver(IObserver* observer);
    void RemoveAllEntries();

    // Calls every observer of the name, including those added to it meanwhile. Does
    // nothing while posting is disabled (pending removals then stay pending).
    void Post(const std::string& name, void* data);

    // The view switches posting off while it draws and picks.
    void SetEnabled(bool enabled) { m_enabled = enabled; }
    [[nodiscard]] bool IsEnabled() const { return m_enabled; }
    [[nodiscard]] bool IsPosting() const { return m_posting; }

    // Whether the name has at least one observer.
    [[nodiscard]] bool HasEntry(const std::string& name) const;
    [[nodiscard]] int GetObserverCount(const std::string& name) const;
    [[nodiscard]] int GetPendingRemovalCount() const { return static_cast<int>(m_pendingRemovals.size()); }

private:
    // A removed slot is cleared rather than unlinked while any list is being walked,
    // so that no walk ever stands on a freed node; the cleared slots are unlinked when
    // the outermost walk ends.
    using ObserverList = std::list<IObserver*>;
    struct Entry
    {
        ObserverList observers;
        int liveCount = 0;
    };
    using EntryMap = std::map<std::string, Entry>;
    // Where one registration sits, so that an observer leaves in time proportional to
    // its own registrations, not to the number of observers.
    struct Registration
    {
        EntryMap::iterator entry;
        ObserverList::iterator slot;
    };

    void RemoveEverywhere(IObserver* observer);
    void Unregister(const Registration& registration);
    void EndPost();
    void Compact();

    EntryMap m_observers;
    std::unordered_map<IObserver*, std::vector<Registration>> m_registrations;
    bool m_posting = false;
    std::vector<IObserver*> m_pendingRemovals;
    bool m_enabled = true;
    int m_walkDepth = 0;
    // Slots cleared during a walk; after RemoveAllEntries every list is swept instead.
    std::vector<Registration> m_clearedSlots;
    bool m_sweepAll = false;
};

// The program's single instance, made on first use.
[[nodiscard]] CNotificationCenter& GetNotificationCenter();

// Notification names, spelled as the observers expect them (misspellings included).
inline constexpr const char* kRenderingOptionsChangeNotification = "Rendering Options Change";
inline constexpr const char* kShadowNotification = "ShadowNotification";
inline constexpr const char* kAnimationNotification = "Animation Notification";
inline constexpr const char* kLayerChangedNotification = "Layer Changed";
inline constexpr const char* kResynchUINotification = "Resynch UI Notification";
inline constexpr const char* kPageNotification = "Page Notification";
inline constexpr const char* kToolNotification = "Tool Notification";
inline constexpr const char* kThumbnailClearedNotification = "Thumbnail Cleared";
inline constexpr const char* kExitNotification = "Exit Notification";
inline constexpr const char* kComponentTypeChangeNotification = "Component Type Change";
inline constexpr const char* kViewRefreshNotification = "ViewRefreshNotification";
inline constexpr const char* kResetOpenGLNotification = "ResetOpenGLNotification";
inline constexpr const char* kPageFrameNotification = "PageFrameNotification";
inline constexpr const char* kModelNameChangedNotification = "Model Name Changed";
inline constexpr const char* kLoadedComponentsChangedNotification = "Loaded Components Changed";
inline constexpr const char* kEndEditingNotification = "EndEditingNotificaiton";
inline constexpr const char* kCancelEditingNotification = "CancelEditingNotificaiton";
inline constexpr const char* kDisplayOverrideRestoreNotification = "DisplayOverrideRestoreNotification";
inline constexpr const char* kDeleteModelNotification = "DeleteModelNotification";
inline constexpr const char* kComponentAddedNotification = "Component Added";
inline constexpr const char* kComponentRemovedNotification = "Component Removed";
inline constexpr const char* kComponentPropertiesNotification = "Component Properties";
inline constexpr const char* kActivatePageNotification = "Activate Page";
