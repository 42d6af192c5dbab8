#include "platform/settingsstore.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <map>
#include <optional>
#include <utility>

#include <nlohmann/json.hpp>

#include "platform/folders.h"

using nlohmann::json;

namespace {

// Settings are a few kilobytes; anything far larger is not a file this program wrote.
constexpr size_t kMaxFileBytes = 16u * 1024 * 1024;
// Deeper keys are refused, so that a damaged or hostile file cannot nest without end.
constexpr int kMaxDepth = 512;

constexpr const char* kTypeNames[] = {"dword", "qword", "string", "binary"};

std::u16string Fold(const CString& name)
{
    CString folded = name;
    folded.MakeLower();
    return folded.Units();
}

std::vector<CString> SplitPath(const CString& keyPath)
{
    std::vector<CString> pieces;
    const std::u16string& units = keyPath.Units();
    size_t start = 0;
    while (start <= units.size()) {
        size_t end = units.find(u'\\', start);
        if (end == std::u16string::npos) {
            end = units.size();
        }
        if (end > start) {
            pieces.emplace_back(units.substr(start, end - start));
        }
        start = end + 1;
    }
    return pieces;
}

// ----- reading the file -----

using ReadResult = SettingsRead;

// At most this many backups of unusable files are kept beside the settings.
constexpr int kMaxBackups = 100;

ReadResult ReadWholeFile(const std::string& path, std::string& bytes)
{
    // Opening a pipe that nothing writes to would wait for ever: a settings file is a
    // regular file or nothing of ours, and the flag does not change how one reads.
    const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
    if (fd < 0) {
        return errno == ENOENT ? ReadResult::missing : ReadResult::failed;
    }
    struct stat info{};
    if (fstat(fd, &info) != 0) {
        close(fd);
        return ReadResult::failed;
    }
    if (!S_ISREG(info.st_mode)) {
        close(fd);
        return ReadResult::notRegular;
    }
    if (static_cast<uint64_t>(info.st_size) > kMaxFileBytes) {
        close(fd);
        return ReadResult::failed;
    }
    bytes.clear();
    bytes.reserve(static_cast<size_t>(info.st_size));
    char chunk[65536];
    for (;;) {
        const ssize_t got = read(fd, chunk, sizeof(chunk));
        if (got < 0 && errno == EINTR) {
            continue;
        }
        if (got < 0 || bytes.size() + static_cast<size_t>(got) > kMaxFileBytes) {
            close(fd);
            return ReadResult::failed;
        }
        if (got == 0) {
            break;
        }
        bytes.append(chunk, static_cast<size_t>(got));
    }
    close(fd);
    return ReadResult::ok;
}

bool HasKeyShape(const json& j)
{
    if (!j.is_object()) {
        return false;
    }
    const auto subkeys = j.find("subkeys");
    const auto values = j.find("values");
    return (subkeys == j.end() || subkeys->is_object()) && (values == j.end() || values->is_object());
}

int HexDigit(char c)
{
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    if (c >= 'a' && c <= 'f') {
        return c - 'a' + 10;
    }
    if (c >= 'A' && c <= 'F') {
        return c - 'A' + 10;
    }
    return -1;
}

std::optional<std::vector<uint8_t>> DecodeHex(const std::string& text)
{
    if (text.size() % 2 != 0) {
        return std::nullopt;
    }
    std::vector<uint8_t> bytes(text.size() / 2);
    for (size_t i = 0; i < bytes.size(); ++i) {
        const int high = HexDigit(text[2 * i]);
        const int low = HexDigit(text[2 * i + 1]);
        if (high < 0 || low < 0) {
            return std::nullopt;
        }
        bytes[i] = static_cast<uint8_t>(high * 16 + low);
    }
    return bytes;
}

std::string EncodeHex(const std::vector<uint8_t>& bytes)
{
    static constexpr char kDigits[] = "0123456789abcdef";
    std::string text;
    text.reserve(bytes.size() * 2);
    for (uint8_t b : bytes) {
        text.push_back(kDigits[b >> 4]);
        text.push_back(kDigits[b & 0x0F]);
    }
    return text;
}

// nullopt for any value that is not exactly what WriteValue makes.
std::optional<SettingsValue> ReadValue(const json& j)
{
    if (!j.is_object()) {
        return std::nullopt;
    }
    const auto type = j.find("type");
    const auto data = j.find("data");
    if (type == j.end() || data == j.end() || !type->is_string()) {
        return std::nullopt;
    }
    const std::string& typeName = type->get_ref<const std::string&>();
    if (typeName == "dword" && data->is_number_unsigned() && data->get<uint64_t>() <= UINT32_MAX) {
        return SettingsValue(static_cast<uint32_t>(data->get<uint64_t>()));
    }
    if (typeName == "qword" && data->is_number_unsigned()) {
        return SettingsValue(data->get<uint64_t>());
    }
    if (typeName == "string" && data->is_string()) {
        return SettingsValue(CString::FromUtf8(data->get_ref<const std::string&>()));
    }
    if (typeName == "binary" && data->is_string()) {
        if (auto bytes = DecodeHex(data->get_ref<const std::string&>())) {
            return SettingsValue(std::move(*bytes));
        }
    }
    return std::nullopt;
}

json WriteValue(const SettingsValue& value)
{
    json j = json::object();
    j["type"] = kTypeNames[value.index()];
    switch (TypeOf(value)) {
    case SettingsType::dword:
        j["data"] = std::get<uint32_t>(value);
        break;
    case SettingsType::qword:
        j["data"] = std::get<uint64_t>(value);
        break;
    case SettingsType::string:
        j["data"] = std::get<CString>(value).ToUtf8();
        break;
    case SettingsType::binary:
        j["data"] = EncodeHex(std::get<std::vector<uint8_t>>(value));
        break;
    }
    return j;
}

// ----- writing the file -----

bool WriteAll(int fd, const std::string& bytes)
{
    size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t put = write(fd, bytes.data() + done, bytes.size() - done);
        if (put < 0 && errno == EINTR) {
            continue;
        }
        if (put <= 0) {
            return false;
        }
        done += static_cast<size_t>(put);
    }
    return true;
}

// Makes the rename itself durable; a failure here cannot undo the write, so it is not reported.
void SyncFolder(const std::filesystem::path& folder)
{
    const std::string name = folder.empty() ? std::string(".") : folder.string();
    const int fd = open(name.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        fsync(fd);
        close(fd);
    }
}

}  // namespace

struct CSettingsStore::Node
{
    struct Value
    {
        CString name;
        SettingsValue data;
    };

    CString name;
    // Keyed by the folded name, so lookups ignore case and listing comes out in that order.
    std::map<std::u16string, std::unique_ptr<Node>> subkeys;
    std::map<std::u16string, Value> values;

    Node* Child(const CString& childName, bool create)
    {
        const std::u16string folded = Fold(childName);
        auto it = subkeys.find(folded);
        if (it != subkeys.end()) {
            return it->second.get();
        }
        if (!create) {
            return nullptr;
        }
        auto child = std::make_unique<Node>();
        child->name = childName;
        return subkeys.emplace(folded, std::move(child)).first->second.get();
    }

    // Fills the node from a JSON object already known to have the key shape. Subkeys and
    // values of the wrong shape are skipped one by one, so one bad entry does not cost the
    // user the rest. Names that differ only in case merge; the first spelling and value win.
    void Read(const json& j, int depth)
    {
        if (const auto found = j.find("values"); found != j.end()) {
            for (const auto& [valueName, valueJson] : found->items()) {
                auto data = ReadValue(valueJson);
                if (!data) {
                    continue;
                }
                const CString name16 = CString::FromUtf8(valueName);
                values.try_emplace(Fold(name16), Value{name16, std::move(*data)});
            }
        }
        const auto found = j.find("subkeys");
        if (found == j.end() || depth >= kMaxDepth) {
            return;
        }
        for (const auto& [keyName, keyJson] : found->items()) {
            if (keyName.empty() || !HasKeyShape(keyJson)) {
                continue;
            }
            Child(CString::FromUtf8(keyName), true)->Read(keyJson, depth + 1);
        }
    }

    [[nodiscard]] json Write() const
    {
        json j = json::object();
        json& subkeysJson = j["subkeys"] = json::object();
        for (const auto& [folded, child] : subkeys) {
            subkeysJson[child->name.ToUtf8()] = child->Write();
        }
        json& valuesJson = j["values"] = json::object();
        for (const auto& [folded, value] : values) {
            valuesJson[value.name.ToUtf8()] = WriteValue(value.data);
        }
        return j;
    }
};

SettingsType TypeOf(const SettingsValue& value)
{
    return static_cast<SettingsType>(value.index());
}

// ----- CSettingsStore -----

CSettingsStore::CSettingsStore()
{
    const CString folder = GetConfigFolder();
    if (!folder.IsEmpty()) {
        m_filePath = folder.ToUtf8() + "/registry.json";
    }
}

CSettingsStore::CSettingsStore(const CString& filePath) : m_filePath(filePath.ToUtf8()) {}

CSettingsStore::~CSettingsStore()
{
    // One more chance for changes whose write failed earlier or whose batch was never closed.
    if (m_dirty) {
        static_cast<void>(Save());
    }
}

void CSettingsStore::EnsureLoaded() const
{
    if (!m_loaded) {
        m_loaded = true;
        Load();
    }
}

SettingsLoad CSettingsStore::GetLoadResult() const
{
    EnsureLoaded();
    return m_loadResult;
}

CString CSettingsStore::TakeLoadReport()
{
    EnsureLoaded();
    CString report;
    std::swap(report, m_loadReport);
    return report;
}

SettingsRead CSettingsStore::ReadFileBytes(const std::string& path, std::string& bytes) const
{
    return ReadWholeFile(path, bytes);
}

void CSettingsStore::Load() const
{
    m_root = std::make_unique<Node>();
    m_loadResult = SettingsLoad::ok;
    if (m_filePath.empty()) {
        return;
    }
    std::string bytes;
    errno = 0;
    const ReadResult read = ReadFileBytes(m_filePath, bytes);
    const int readError = errno;
    if (read == ReadResult::missing) {
        return;
    }
    if (read == ReadResult::failed) {
        // Not being able to read says nothing about what the file holds.
        m_loadResult = SettingsLoad::unreadable;
        Report("cannot be read", readError);
        return;
    }
    if (read == ReadResult::notRegular) {
        MoveAside("is not a regular file");
        return;
    }
    const json document = json::parse(bytes, nullptr, false);
    if (!document.is_discarded() && HasKeyShape(document)) {
        m_root->Read(document, 0);
        return;
    }
    MoveAside("is damaged");
}

void CSettingsStore::MoveAside(const char* fault) const
{
    if (const std::string aside = SetAside(); !aside.empty()) {
        m_loadResult = SettingsLoad::setAside;
        Report((std::string(fault) + " and was moved aside to \"" + aside + "\" in the same folder").c_str(), 0);
    } else {
        const int error = errno;
        m_loadResult = SettingsLoad::unreadable;
        Report((std::string(fault) + " and could not be moved aside").c_str(), error);
    }
}

std::string CSettingsStore::SetAside() const
{
    // Every backup keeps its own name, so a second damaged file never replaces the first.
    for (int n = 0; n < kMaxBackups; ++n) {
        std::string aside = m_filePath + ".corrupt";
        if (n > 0) {
            aside += '.';
            aside += std::to_string(n);
        }
        std::error_code error;
        if (std::filesystem::symlink_status(aside, error).type() != std::filesystem::file_type::not_found) {
            continue;
        }
        if (std::rename(m_filePath.c_str(), aside.c_str()) != 0) {
            return {};
        }
        return std::filesystem::path(aside).filename().string();
    }
    return {};
}

void CSettingsStore::Report(const char* what, int error) const
{
    const char* reason = error != 0 ? std::strerror(error) : "";
    std::fprintf(stderr, "glimra: the settings file %s %s%s%s; working from the defaults\n", m_filePath.c_str(), what,
                 *reason ? ": " : "", reason);
    m_loadReport = CString("The settings file \"") + CString::FromUtf8(m_filePath) + CString("\" ") + CString::FromUtf8(what) +
                   CString(*reason ? ": " : "") + CString(reason) +
                   CString(".\nThe program works from the default settings.");
}

CSettingsStore::Node* CSettingsStore::Find(const CString& keyPath) const
{
    EnsureLoaded();
    Node* node = m_root.get();
    for (const CString& piece : SplitPath(keyPath)) {
        node = node->Child(piece, false);
        if (!node) {
            return nullptr;
        }
    }
    return node;
}

SettingsStatus CSettingsStore::Changed()
{
    m_dirty = true;
    if (m_batchDepth > 0) {
        return SettingsStatus::ok;
    }
    return Save() ? SettingsStatus::ok : SettingsStatus::saveFailed;
}

bool CSettingsStore::Save()
{
    // A file that could not be read may still hold the user's settings: never replace it.
    if (m_filePath.empty() || !m_root || m_loadResult == SettingsLoad::unreadable) {
        return false;
    }
    const std::string bytes = m_root->Write().dump(2, ' ', false, json::error_handler_t::replace) + "\n";
    if (!WriteAtomically(bytes)) {
        return false;
    }
    m_dirty = false;
    return true;
}

bool CSettingsStore::WriteAtomically(const std::string& bytes)
{
    const std::filesystem::path target(m_filePath);
    std::error_code error;
    std::filesystem::create_directories(target.parent_path(), error);

    // The temporary lives beside the target so the rename never crosses file systems.
    std::string temporary = m_filePath + ".tmp-XXXXXX";
    const int fd = mkostemp(temporary.data(), O_CLOEXEC);
    if (fd < 0) {
        return false;
    }
    bool ok = WriteAll(fd, bytes) && fsync(fd) == 0;
    ok = (close(fd) == 0) && ok;
    ok = ok && ReplaceFile(temporary, m_filePath);
    if (!ok) {
        unlink(temporary.c_str());
        return false;
    }
    SyncFolder(target.parent_path());
    return true;
}

bool CSettingsStore::ReplaceFile(const std::string& temporaryPath, const std::string& targetPath)
{
    return std::rename(temporaryPath.c_str(), targetPath.c_str()) == 0;
}

SettingsStatus CSettingsStore::CreateKey(const CString& keyPath)
{
    EnsureLoaded();
    Node* node = m_root.get();
    bool made = false;
    for (const CString& piece : SplitPath(keyPath)) {
        Node* next = node->Child(piece, false);
        if (!next) {
            next = node->Child(piece, true);
            made = true;
        }
        node = next;
    }
    return made ? Changed() : SettingsStatus::ok;
}

bool CSettingsStore::KeyExists(const CString& keyPath) const
{
    return Find(keyPath) != nullptr;
}

SettingsStatus CSettingsStore::Query(const CString& keyPath, const CString& name, SettingsValue& out) const
{
    const Node* node = Find(keyPath);
    if (!node) {
        return SettingsStatus::keyMissing;
    }
    const auto it = node->values.find(Fold(name));
    if (it == node->values.end()) {
        return SettingsStatus::valueMissing;
    }
    out = it->second.data;
    return SettingsStatus::ok;
}

namespace {

template <typename T>
SettingsStatus QueryAs(const CSettingsStore& store, const CString& keyPath, const CString& name, T& out)
{
    SettingsValue value;
    const SettingsStatus status = store.Query(keyPath, name, value);
    if (status != SettingsStatus::ok) {
        return status;
    }
    T* typed = std::get_if<T>(&value);
    if (!typed) {
        return SettingsStatus::wrongType;
    }
    out = std::move(*typed);
    return SettingsStatus::ok;
}

}  // namespace

SettingsStatus CSettingsStore::QueryDword(const CString& keyPath, const CString& name, uint32_t& out) const
{
    return QueryAs(*this, keyPath, name, out);
}

SettingsStatus CSettingsStore::QueryQword(const CString& keyPath, const CString& name, uint64_t& out) const
{
    return QueryAs(*this, keyPath, name, out);
}

SettingsStatus CSettingsStore::QueryString(const CString& keyPath, const CString& name, CString& out) const
{
    return QueryAs(*this, keyPath, name, out);
}

SettingsStatus CSettingsStore::QueryBinary(const CString& keyPath, const CString& name,
                                           std::vector<uint8_t>& out) const
{
    return QueryAs(*this, keyPath, name, out);
}

SettingsStatus CSettingsStore::Set(const CString& keyPath, const CString& name, SettingsValue value)
{
    EnsureLoaded();
    Node* node = m_root.get();
    for (const CString& piece : SplitPath(keyPath)) {
        node = node->Child(piece, true);
    }
    const std::u16string folded = Fold(name);
    auto it = node->values.find(folded);
    if (it == node->values.end()) {
        node->values.emplace(folded, Node::Value{name, std::move(value)});
    } else {
        it->second.data = std::move(value);
    }
    return Changed();
}

SettingsStatus CSettingsStore::SetDword(const CString& keyPath, const CString& name, uint32_t value)
{
    return Set(keyPath, name, SettingsValue(value));
}

SettingsStatus CSettingsStore::SetQword(const CString& keyPath, const CString& name, uint64_t value)
{
    return Set(keyPath, name, SettingsValue(value));
}

SettingsStatus CSettingsStore::SetString(const CString& keyPath, const CString& name, const CString& value)
{
    return Set(keyPath, name, SettingsValue(value));
}

SettingsStatus CSettingsStore::SetBinary(const CString& keyPath, const CString& name, std::vector<uint8_t> value)
{
    return Set(keyPath, name, SettingsValue(std::move(value)));
}

SettingsStatus CSettingsStore::DeleteValue(const CString& keyPath, const CString& name)
{
    Node* node = Find(keyPath);
    if (!node) {
        return SettingsStatus::keyMissing;
    }
    if (node->values.erase(Fold(name)) == 0) {
        return SettingsStatus::valueMissing;
    }
    return Changed();
}

SettingsStatus CSettingsStore::DeleteKey(const CString& keyPath)
{
    const std::vector<CString> pieces = SplitPath(keyPath);
    if (pieces.empty()) {
        EnsureLoaded();
        m_root->subkeys.clear();
        m_root->values.clear();
        return Changed();
    }
    CString parentPath;
    for (size_t i = 0; i + 1 < pieces.size(); ++i) {
        parentPath += pieces[i];
        parentPath += u'\\';
    }
    Node* parent = Find(parentPath);
    if (!parent || parent->subkeys.erase(Fold(pieces.back())) == 0) {
        return SettingsStatus::keyMissing;
    }
    return Changed();
}

std::vector<CString> CSettingsStore::ListSubkeys(const CString& keyPath) const
{
    std::vector<CString> names;
    if (const Node* node = Find(keyPath)) {
        for (const auto& [folded, child] : node->subkeys) {
            names.push_back(child->name);
        }
    }
    return names;
}

std::vector<CString> CSettingsStore::ListValues(const CString& keyPath) const
{
    std::vector<CString> names;
    if (const Node* node = Find(keyPath)) {
        for (const auto& [folded, value] : node->values) {
            names.push_back(value.name);
        }
    }
    return names;
}

SettingsStatus CSettingsStore::Flush()
{
    if (!m_dirty) {
        return SettingsStatus::ok;
    }
    return Save() ? SettingsStatus::ok : SettingsStatus::saveFailed;
}

// ----- CSettingsStore::CBatch -----

CSettingsStore::CBatch::CBatch(CSettingsStore& store) : m_store(&store)
{
    ++m_store->m_batchDepth;
}

CSettingsStore::CBatch::~CBatch()
{
    if (m_store) {
        static_cast<void>(Commit());
    }
}

SettingsStatus CSettingsStore::CBatch::Commit()
{
    if (!m_store) {
        return SettingsStatus::ok;
    }
    CSettingsStore* store = m_store;
    m_store = nullptr;
    if (--store->m_batchDepth > 0) {
        return SettingsStatus::ok;
    }
    return store->Flush();
}
