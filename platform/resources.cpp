#include "platform/resources.h"

#include <charconv>
#include <map>
#include <mutex>
#include <string>
#include <utility>

namespace {

struct Registry
{
    std::mutex lock;
    std::map<std::pair<std::string, int>, std::span<const std::uint8_t>, std::less<>> blocks;
    std::map<int, CString> strings;
    // A language file's strings, which stand in front of the built-in ones.
    std::map<int, CString> translations;
};

Registry& TheRegistry()
{
    static Registry registry;
    return registry;
}

std::string Unescape(std::string_view text)
{
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\\' || i + 1 == text.size()) {
            out.push_back(text[i]);
            continue;
        }
        const char next = text[++i];
        if (next == 'n') {
            out.push_back('\n');
        } else if (next == 't') {
            out.push_back('\t');
        } else if (next == '\\') {
            out.push_back('\\');
        } else {
            out.push_back('\\');
            out.push_back(next);
        }
    }
    return out;
}

// One "id text" line; false when it holds no string.
bool ParseStringLine(std::string_view line, int& id, std::string& text)
{
    if (!line.empty() && line.back() == '\r') {
        line.remove_suffix(1);
    }
    if (line.empty() || line.front() == '#') {
        return false;
    }
    const char* first = line.data();
    const char* last = line.data() + line.size();
    const auto [end, error] = std::from_chars(first, last, id);
    if (error != std::errc() || end == last || (*end != ' ' && *end != '\t')) {
        return false;
    }
    text = Unescape(std::string_view(end + 1, static_cast<std::size_t>(last - end - 1)));
    return true;
}

}  // namespace

void RegisterResource(std::string_view type, int id, const std::uint8_t* bytes, std::size_t size)
{
    Registry& registry = TheRegistry();
    const std::lock_guard guard(registry.lock);
    registry.blocks[{std::string(type), id}] = std::span<const std::uint8_t>(bytes, bytes != nullptr ? size : 0);
}

std::optional<std::span<const std::uint8_t>> FindResource(std::string_view type, int id)
{
    Registry& registry = TheRegistry();
    const std::lock_guard guard(registry.lock);
    const auto found = registry.blocks.find(std::pair<std::string, int>(type, id));
    if (found == registry.blocks.end()) {
        return std::nullopt;
    }
    return found->second;
}

void RegisterString(int id, const CString& text)
{
    Registry& registry = TheRegistry();
    const std::lock_guard guard(registry.lock);
    registry.strings[id] = text;
}

namespace {

int AddStringTable(const std::uint8_t* utf8, std::size_t size, std::map<int, CString> Registry::*table)
{
    if (utf8 == nullptr) {
        return 0;
    }
    const std::string_view all(reinterpret_cast<const char*>(utf8), size);
    Registry& registry = TheRegistry();
    const std::lock_guard guard(registry.lock);
    int added = 0;
    std::size_t start = 0;
    while (start < all.size()) {
        std::size_t end = all.find('\n', start);
        if (end == std::string_view::npos) {
            end = all.size();
        }
        int id = 0;
        std::string text;
        if (ParseStringLine(all.substr(start, end - start), id, text)) {
            (registry.*table)[id] = CString::FromUtf8(text);
            ++added;
        }
        start = end + 1;
    }
    return added;
}

std::optional<CString> FindString(const std::map<int, CString>& table, int id)
{
    const auto found = table.find(id);
    if (found == table.end()) {
        return std::nullopt;
    }
    return found->second;
}

}  // namespace

int RegisterStringTable(const std::uint8_t* utf8, std::size_t size)
{
    return AddStringTable(utf8, size, &Registry::strings);
}

int RegisterTranslatedStringTable(const std::uint8_t* utf8, std::size_t size)
{
    return AddStringTable(utf8, size, &Registry::translations);
}

void ClearTranslatedStrings()
{
    Registry& registry = TheRegistry();
    const std::lock_guard guard(registry.lock);
    registry.translations.clear();
}

std::optional<CString> LoadResourceString(int id)
{
    Registry& registry = TheRegistry();
    const std::lock_guard guard(registry.lock);
    if (auto translated = FindString(registry.translations, id)) {
        return translated;
    }
    return FindString(registry.strings, id);
}

std::optional<CString> LoadBuiltInString(int id)
{
    Registry& registry = TheRegistry();
    const std::lock_guard guard(registry.lock);
    return FindString(registry.strings, id);
}
