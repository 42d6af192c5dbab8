#pragma once
// Support for the page and page-list tests: the class versions of a save format as
// the loaded map, the start of every page record, and an observer that writes down
// each "Page Notification" with its page.

#include <cstdint>
#include <string>
#include <vector>

#include "document/tarnwickpage.h"
#include "document/versionmap.h"
#include "foundation/notificationcenter.h"
#include "foundation/versioninfo.h"
#include "tests/document/settingstestsupport.h"

namespace pagetest {

using settingstest::Bytes;
using settingstest::Load;
using settingstest::RecordBuilder;
using settingstest::Store;

// The versions of the save format's own map, with one class overridden when asked,
// as the loaded map for as long as the object lives.
class FormatVersions
{
public:
    explicit FormatVersions(int saveFormat, const char* className = nullptr, int version = 0)
    {
        const CVersionMap* source = saveFormat == kSaveFormat3000   ? GetVersionMapOldest()
                                    : saveFormat == kSaveFormat4000 ? GetVersionMapPrevious()
                                                                    : GetVersionMapCurrent();
        auto* map = new CVersionMap;
        for (const auto& [name, value] : source->GetEntries()) {
            map->SetVersion(name, value);
        }
        if (className != nullptr) {
            map->SetVersion(className, version);
        }
        SetLoadedVersionMap(map);
    }
    ~FormatVersions() { SetLoadedVersionMap(nullptr); }
    FormatVersions(const FormatVersions&) = delete;
    FormatVersions& operator=(const FormatVersions&) = delete;
};

// The page part in the newest format: a null attribute container, name, description.
inline RecordBuilder PageStart(const std::string& name, const std::string& description = "")
{
    RecordBuilder record;
    record.Null().String(name).String(description);
    return record;
}

struct PageEvent
{
    std::int32_t code;
    CTarnwickPage* page;
};

class PageEvents : public IObserver
{
public:
    PageEvents() { GetNotificationCenter().AddObserver(kPageNotification, this); }
    ~PageEvents() override { GetNotificationCenter().RemoveObserver(this); }
    PageEvents(const PageEvents&) = delete;
    PageEvents& operator=(const PageEvents&) = delete;

    void OnNotify(const std::string& /*name*/, void* data) override
    {
        const auto* event = static_cast<const PageNotificationData*>(data);
        events.push_back({event->code, event->page});
    }

    std::vector<PageEvent> events;
};

}  // namespace pagetest
