#include "platform/settingsstore.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <sstream>

#include <gtest/gtest.h>

#include "platform/profile.h"

namespace fs = std::filesystem;

namespace {

std::string ReadText(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

void WriteText(const fs::path& path, const std::string& text)
{
    std::ofstream(path, std::ios::binary) << text;
}

std::vector<std::string> FolderEntries(const fs::path& folder)
{
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder)) {
        names.push_back(entry.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
}

class SettingsStoreTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        std::string pattern = (fs::temp_directory_path() / "glimra-settings-XXXXXX").string();
        ASSERT_NE(mkdtemp(pattern.data()), nullptr);
        m_folder = pattern;
        m_file = m_folder / "registry.json";
    }

    void TearDown() override
    {
        fs::permissions(m_folder, fs::perms::owner_all, fs::perm_options::add);
        fs::remove_all(m_folder);
    }

    [[nodiscard]] CString FilePath() const { return CString::FromUtf8(m_file.string()); }

    fs::path m_folder;
    fs::path m_file;
};

const CString kPrefs = "Software\\Orvell Software\\Glimra\\Preferences";

}  // namespace

TEST_F(SettingsStoreTest, EveryValueTypeSurvivesAReload)
{
    const CString text = CString(u"Gr\u00fc\u00dfe \U0001F600");
    const std::vector<uint8_t> bytes = {0x00, 0x7F, 0x80, 0xFF};
    {
        CSettingsStore store(FilePath());
        EXPECT_EQ(store.SetDword(kPrefs, "Dword", 0xFFFFFFFFu), SettingsStatus::ok);
        EXPECT_EQ(store.SetQword(kPrefs, "Qword", UINT64_MAX), SettingsStatus::ok);
        EXPECT_EQ(store.SetString(kPrefs, "String", text), SettingsStatus::ok);
        EXPECT_EQ(store.SetString(kPrefs, "Empty", CString()), SettingsStatus::ok);
        EXPECT_EQ(store.SetBinary(kPrefs, "Binary", bytes), SettingsStatus::ok);
        EXPECT_EQ(store.SetBinary(kPrefs, "NoBytes", {}), SettingsStatus::ok);
    }
    const CSettingsStore reloaded(FilePath());
    uint32_t dword = 0;
    uint64_t qword = 0;
    CString string = "unchanged";
    std::vector<uint8_t> binary = {1};
    EXPECT_EQ(reloaded.QueryDword(kPrefs, "Dword", dword), SettingsStatus::ok);
    EXPECT_EQ(dword, 0xFFFFFFFFu);
    EXPECT_EQ(reloaded.QueryQword(kPrefs, "Qword", qword), SettingsStatus::ok);
    EXPECT_EQ(qword, UINT64_MAX);
    EXPECT_EQ(reloaded.QueryString(kPrefs, "String", string), SettingsStatus::ok);
    EXPECT_EQ(string, text);
    EXPECT_EQ(reloaded.QueryString(kPrefs, "Empty", string), SettingsStatus::ok);
    EXPECT_TRUE(string.IsEmpty());
    EXPECT_EQ(reloaded.QueryBinary(kPrefs, "Binary", binary), SettingsStatus::ok);
    EXPECT_EQ(binary, bytes);
    EXPECT_EQ(reloaded.QueryBinary(kPrefs, "NoBytes", binary), SettingsStatus::ok);
    EXPECT_TRUE(binary.empty());
}

TEST_F(SettingsStoreTest, QueriesTellAMissingKeyFromAMissingValueFromAWrongType)
{
    CSettingsStore store(FilePath());
    ASSERT_EQ(store.SetDword(kPrefs, "Count", 7), SettingsStatus::ok);

    uint32_t dword = 42;
    CString text = "kept";
    EXPECT_EQ(store.QueryDword("Software\\Nobody", "Count", dword), SettingsStatus::keyMissing);
    EXPECT_EQ(store.QueryDword(kPrefs, "Other", dword), SettingsStatus::valueMissing);
    EXPECT_EQ(store.QueryString(kPrefs, "Count", text), SettingsStatus::wrongType);
    EXPECT_EQ(dword, 42u);
    EXPECT_EQ(text, CString("kept"));

    // Setting another type replaces the value rather than adding a second one.
    ASSERT_EQ(store.SetString(kPrefs, "Count", "seven"), SettingsStatus::ok);
    EXPECT_EQ(store.QueryDword(kPrefs, "Count", dword), SettingsStatus::wrongType);
    EXPECT_EQ(store.ListValues(kPrefs).size(), 1u);
}

TEST_F(SettingsStoreTest, KeysAndValueNamesIgnoreCaseButKeepTheirFirstSpelling)
{
    {
        CSettingsStore store(FilePath());
        ASSERT_EQ(store.SetDword(kPrefs, "ShowAxes", 1), SettingsStatus::ok);
        ASSERT_EQ(store.SetDword("SOFTWARE\\orvell software\\GLIMRA\\preferences", "SHOWAXES", 2),
                  SettingsStatus::ok);
    }
    const CSettingsStore store(FilePath());
    uint32_t value = 0;
    EXPECT_EQ(store.QueryDword("software\\ORVELL SOFTWARE\\glimra\\PREFERENCES", "showaxes", value),
              SettingsStatus::ok);
    EXPECT_EQ(value, 2u);
    EXPECT_EQ(store.ListSubkeys("Software\\Orvell Software\\Glimra"), std::vector<CString>{"Preferences"});
    EXPECT_EQ(store.ListValues(kPrefs), std::vector<CString>{"ShowAxes"});
}

TEST_F(SettingsStoreTest, AKeyWithoutValuesExistsAndSurvivesAReload)
{
    {
        CSettingsStore store(FilePath());
        EXPECT_FALSE(store.KeyExists("Software\\Orvell Software\\GLConfig5\\Display"));
        ASSERT_EQ(store.CreateKey("Software\\Orvell Software\\GLConfig5\\Display"), SettingsStatus::ok);
    }
    const CSettingsStore store(FilePath());
    EXPECT_TRUE(store.KeyExists("Software\\Orvell Software\\GLConfig5\\Display"));
    EXPECT_TRUE(store.KeyExists("Software\\Orvell Software"));
    EXPECT_TRUE(store.KeyExists(""));
    EXPECT_TRUE(store.ListValues("Software\\Orvell Software\\GLConfig5\\Display").empty());
}

TEST_F(SettingsStoreTest, ListingsComeInOrderRegardlessOfCase)
{
    CSettingsStore store(FilePath());
    for (const char* name : {"beta", "Alpha", "gamma", "Delta"}) {
        ASSERT_EQ(store.CreateKey(CString("Root\\") + name), SettingsStatus::ok);
        ASSERT_EQ(store.SetDword("Root", name, 0), SettingsStatus::ok);
    }
    const std::vector<CString> expected = {"Alpha", "beta", "Delta", "gamma"};
    EXPECT_EQ(store.ListSubkeys("Root"), expected);
    EXPECT_EQ(store.ListValues("Root"), expected);
    EXPECT_TRUE(store.ListSubkeys("Missing").empty());
}

TEST_F(SettingsStoreTest, DeletingAKeyTakesItsSubkeysAndDeletingAValueOnlyThatValue)
{
    CSettingsStore store(FilePath());
    ASSERT_EQ(store.SetDword("Software\\Orvell Software\\GLConfig5\\Display", "PixelFormat", 3), SettingsStatus::ok);
    ASSERT_EQ(store.SetDword("Software\\Orvell Software\\Glimra\\Undo", "Logging", 1), SettingsStatus::ok);
    ASSERT_EQ(store.SetDword("Software\\Orvell Software\\Glimra\\Undo", "StackDepth", 50), SettingsStatus::ok);

    EXPECT_EQ(store.DeleteValue("Software\\Orvell Software\\Glimra\\Undo", "LOGGING"), SettingsStatus::ok);
    EXPECT_EQ(store.DeleteValue("Software\\Orvell Software\\Glimra\\Undo", "Logging"), SettingsStatus::valueMissing);
    EXPECT_EQ(store.DeleteValue("Software\\Nobody", "Logging"), SettingsStatus::keyMissing);
    EXPECT_EQ(store.ListValues("Software\\Orvell Software\\Glimra\\Undo"), std::vector<CString>{"StackDepth"});

    EXPECT_EQ(store.DeleteKey("software\\orvell software\\glconfig5"), SettingsStatus::ok);
    EXPECT_FALSE(store.KeyExists("Software\\Orvell Software\\GLConfig5\\Display"));
    EXPECT_TRUE(store.KeyExists("Software\\Orvell Software\\Glimra\\Undo"));
    EXPECT_EQ(store.DeleteKey("Software\\Orvell Software\\GLConfig5"), SettingsStatus::keyMissing);

    EXPECT_EQ(store.DeleteKey(""), SettingsStatus::ok);
    EXPECT_TRUE(store.ListSubkeys("").empty());
    const CSettingsStore reloaded(FilePath());
    EXPECT_FALSE(reloaded.KeyExists("Software"));
}

TEST_F(SettingsStoreTest, TheFolderIsMadeWhenMissing)
{
    const fs::path nested = m_folder / "a" / "b" / "registry.json";
    CSettingsStore store(CString::FromUtf8(nested.string()));
    EXPECT_EQ(store.SetDword("Key", "Value", 1), SettingsStatus::ok);
    EXPECT_TRUE(fs::is_regular_file(nested));
}

TEST_F(SettingsStoreTest, AFileThatIsNotJsonGivesAnEmptyStoreAndIsKeptAside)
{
    const std::string garbage = "{\"subkeys\": {\"Software\": {";
    WriteText(m_file, garbage);
    CSettingsStore store(FilePath());
    uint32_t value = 5;
    EXPECT_EQ(store.QueryDword(kPrefs, "Anything", value), SettingsStatus::keyMissing);
    EXPECT_TRUE(store.ListSubkeys("").empty());
    EXPECT_EQ(ReadText(m_folder / "registry.json.corrupt"), garbage);

    // The store goes on working and writes a sound file in place of the bad one.
    EXPECT_EQ(store.SetDword(kPrefs, "Anything", 9), SettingsStatus::ok);
    const CSettingsStore reloaded(FilePath());
    EXPECT_EQ(reloaded.QueryDword(kPrefs, "Anything", value), SettingsStatus::ok);
    EXPECT_EQ(value, 9u);
}

TEST_F(SettingsStoreTest, JsonOfTheWrongShapeGivesAnEmptyStoreAndEveryBadFileKeepsItsOwnBackup)
{
    // Once a second damaged file replaced the first backup.
    const std::vector<std::string> texts = {"[1, 2, 3]", "\"text\"", "{\"subkeys\": 5}", "{\"values\": []}", ""};
    for (const std::string& text : texts) {
        SCOPED_TRACE(text);
        WriteText(m_file, text);
        CSettingsStore store(FilePath());
        EXPECT_TRUE(store.ListSubkeys("").empty());
        EXPECT_TRUE(store.ListValues("").empty());
        EXPECT_EQ(store.GetLoadResult(), SettingsLoad::setAside);
        EXPECT_FALSE(fs::exists(m_file));
        // The user is told which backup holds the old settings.
        const size_t n = static_cast<size_t>(&text - texts.data());
        const std::string backup = "registry.json.corrupt" + (n > 0 ? "." + std::to_string(n) : std::string());
        EXPECT_NE(store.TakeLoadReport().Find(CString::FromUtf8("moved aside to \"" + backup + "\" in the same folder")),
                  -1);
    }
    EXPECT_EQ(ReadText(m_folder / "registry.json.corrupt"), texts[0]);
    for (size_t n = 1; n < texts.size(); ++n) {
        EXPECT_EQ(ReadText(m_folder / ("registry.json.corrupt." + std::to_string(n))), texts[n]);
    }
}

TEST_F(SettingsStoreTest, APipeOrAFolderInThePlaceOfTheFileIsMovedAsideWithoutWaiting)
{
    // A pipe once held start-up in open() for ever.
    const std::vector<std::pair<const char*, std::function<void()>>> kinds = {
        {"pipe", [this] { ASSERT_EQ(mkfifo(m_file.c_str(), 0600), 0); }},
        {"folder", [this] { fs::create_directory(m_file); }},
    };
    for (const auto& [name, make] : kinds) {
        SCOPED_TRACE(name);
        make();
        CSettingsStore store(FilePath());
        EXPECT_TRUE(store.ListSubkeys("").empty());
        EXPECT_EQ(store.GetLoadResult(), SettingsLoad::setAside);
        EXPECT_EQ(store.SetDword(kPrefs, "Anything", 3), SettingsStatus::ok);
        EXPECT_TRUE(fs::is_regular_file(m_file));
        fs::remove(m_file);
    }
    EXPECT_TRUE(fs::is_fifo(m_folder / "registry.json.corrupt"));
    EXPECT_TRUE(fs::is_directory(m_folder / "registry.json.corrupt.1"));
}

TEST_F(SettingsStoreTest, AFileThatCannotBeReadIsKeptAndNeverWrittenOver)
{
    // Once any read error counted as damage: the file was moved aside and the user's values lost.
    class CFailingReadStore : public CSettingsStore
    {
    public:
        using CSettingsStore::CSettingsStore;

    protected:
        SettingsRead ReadFileBytes(const std::string&, std::string&) const override
        {
            errno = EIO;
            return SettingsRead::failed;
        }
    };
    const std::string text = R"({"subkeys": {"Kept": {"values": {"v": {"type": "dword", "data": 4}}}}})";
    WriteText(m_file, text);
    {
        CFailingReadStore store(FilePath());
        uint32_t value = 0;
        EXPECT_EQ(store.QueryDword("Kept", "v", value), SettingsStatus::keyMissing);
        EXPECT_EQ(store.GetLoadResult(), SettingsLoad::unreadable);
        // Defaults work in memory, but nothing reaches the file.
        EXPECT_EQ(store.SetDword("Kept", "v", 7), SettingsStatus::saveFailed);
        EXPECT_EQ(store.QueryDword("Kept", "v", value), SettingsStatus::ok);
        EXPECT_EQ(value, 7u);
        EXPECT_EQ(store.Flush(), SettingsStatus::saveFailed);
    }
    EXPECT_EQ(ReadText(m_file), text);
    EXPECT_EQ(FolderEntries(m_folder), std::vector<std::string>{"registry.json"});

}

TEST_F(SettingsStoreTest, BadEntriesInAGoodFileAreSkippedOneByOne)
{
    WriteText(m_file, R"({
      "subkeys": {
        "Good": {
          "values": {
            "dword": {"type": "dword", "data": 17},
            "negative": {"type": "dword", "data": -1},
            "tooBig": {"type": "dword", "data": 4294967296},
            "fraction": {"type": "dword", "data": 1.5},
            "quoted": {"type": "dword", "data": "17"},
            "qword": {"type": "qword", "data": 18446744073709551615},
            "oddHex": {"type": "binary", "data": "abc"},
            "notHex": {"type": "binary", "data": "zz"},
            "binary": {"type": "binary", "data": "00fF"},
            "noData": {"type": "string"},
            "unknown": {"type": "float", "data": 1},
            "bare": 3,
            "text": {"type": "string", "data": "ok"}
          },
          "subkeys": {"Number": 5, "List": [], "BadValues": {"values": 1}, "Child": {}}
        },
        "Skipped": "not a key"
      }
    })");
    const CSettingsStore store(FilePath());
    EXPECT_FALSE(fs::exists(m_folder / "registry.json.corrupt"));
    const std::vector<CString> values = {"binary", "dword", "qword", "text"};
    EXPECT_EQ(store.ListValues("Good"), values);
    EXPECT_EQ(store.ListSubkeys("Good"), std::vector<CString>{"Child"});
    EXPECT_EQ(store.ListSubkeys(""), std::vector<CString>{"Good"});
    std::vector<uint8_t> bytes;
    EXPECT_EQ(store.QueryBinary("Good", "binary", bytes), SettingsStatus::ok);
    EXPECT_EQ(bytes, (std::vector<uint8_t>{0x00, 0xFF}));
}

TEST_F(SettingsStoreTest, DeeplyNestedKeysInTheFileDoNotExhaustTheStack)
{
    constexpr int levels = 100000;
    std::string text;
    for (int i = 0; i < levels; ++i) {
        text += "{\"subkeys\":{\"k\":";
    }
    text += "{}";
    for (int i = 0; i < levels; ++i) {
        text += "}}";
    }
    WriteText(m_file, text);
    const CSettingsStore store(FilePath());
    EXPECT_TRUE(store.KeyExists("k\\k\\k"));
}

TEST_F(SettingsStoreTest, AFailedReplaceLeavesTheOldFileWholeAndNoTemporaryBehind)
{
    // Stands in for a rename the system refuses; it also checks that by then the new
    // content is complete on disk while the old file is still in place.
    class CRefusingStore : public CSettingsStore
    {
    public:
        using CSettingsStore::CSettingsStore;
        bool refuse = false;
        std::string seenTemporary;
        std::string seenTarget;

    protected:
        bool ReplaceFile(const std::string& temporaryPath, const std::string& targetPath) override
        {
            if (!refuse) {
                return CSettingsStore::ReplaceFile(temporaryPath, targetPath);
            }
            seenTemporary = ReadText(temporaryPath);
            seenTarget = ReadText(targetPath);
            return false;
        }
    };

    CRefusingStore store(FilePath());
    ASSERT_EQ(store.SetDword(kPrefs, "Old", 1), SettingsStatus::ok);
    const std::string before = ReadText(m_file);

    store.refuse = true;
    EXPECT_EQ(store.SetDword(kPrefs, "New", 2), SettingsStatus::saveFailed);
    EXPECT_EQ(store.seenTarget, before);
    EXPECT_NE(store.seenTemporary.find("\"New\""), std::string::npos);
    EXPECT_EQ(ReadText(m_file), before);
    EXPECT_EQ(FolderEntries(m_folder), std::vector<std::string>{"registry.json"});

    // The change holds for this run and reaches the file once writing works again.
    uint32_t value = 0;
    EXPECT_EQ(store.QueryDword(kPrefs, "New", value), SettingsStatus::ok);
    store.refuse = false;
    EXPECT_EQ(store.Flush(), SettingsStatus::ok);
    EXPECT_NE(ReadText(m_file).find("\"New\""), std::string::npos);
}

TEST_F(SettingsStoreTest, AReadOnlyFolderFailsTheWriteAndKeepsTheOldFile)
{
    if (geteuid() == 0) {
        GTEST_SKIP() << "the superuser writes into read-only folders";
    }
    CSettingsStore store(FilePath());
    ASSERT_EQ(store.SetDword(kPrefs, "Old", 1), SettingsStatus::ok);
    const std::string before = ReadText(m_file);
    fs::permissions(m_folder, fs::perms::owner_write, fs::perm_options::remove);
    EXPECT_EQ(store.SetDword(kPrefs, "New", 2), SettingsStatus::saveFailed);
    fs::permissions(m_folder, fs::perms::owner_write, fs::perm_options::add);
    EXPECT_EQ(ReadText(m_file), before);
    EXPECT_EQ(FolderEntries(m_folder), std::vector<std::string>{"registry.json"});
}

TEST_F(SettingsStoreTest, ABatchWritesTheFileOnceWhenTheOutermostBatchEnds)
{
    CSettingsStore store(FilePath());
    {
        CSettingsStore::CBatch outer(store);
        {
            CSettingsStore::CBatch inner(store);
            EXPECT_EQ(store.SetDword(kPrefs, "A", 1), SettingsStatus::ok);
            EXPECT_EQ(store.SetDword(kPrefs, "B", 2), SettingsStatus::ok);
            EXPECT_EQ(inner.Commit(), SettingsStatus::ok);
        }
        EXPECT_FALSE(fs::exists(m_file));
        EXPECT_EQ(outer.Commit(), SettingsStatus::ok);
        EXPECT_TRUE(fs::exists(m_file));
    }
    {
        CSettingsStore::CBatch batch(store);
        EXPECT_EQ(store.SetDword(kPrefs, "C", 3), SettingsStatus::ok);
    }
    const CSettingsStore reloaded(FilePath());
    EXPECT_EQ(reloaded.ListValues(kPrefs), (std::vector<CString>{"A", "B", "C"}));
}

TEST_F(SettingsStoreTest, TheUsersStoreLivesInTheConfigFolder)
{
    const char* old = std::getenv("GLIMRA_CONFIG_HOME");
    const std::string saved = old ? old : "";
    setenv("GLIMRA_CONFIG_HOME", m_folder.c_str(), 1);
    {
        CSettingsStore store;
        EXPECT_EQ(store.GetFilePath(), m_file.string());
        EXPECT_EQ(store.SetDword("Key", "Value", 1), SettingsStatus::ok);
    }
    if (old) {
        setenv("GLIMRA_CONFIG_HOME", saved.c_str(), 1);
    } else {
        unsetenv("GLIMRA_CONFIG_HOME");
    }
    EXPECT_TRUE(fs::is_regular_file(m_file));
}

// ----- the application profile on top of the store -----

namespace {

class ProfileTest : public SettingsStoreTest
{
protected:
    void SetUp() override
    {
        SettingsStoreTest::SetUp();
        m_store = std::make_unique<CSettingsStore>(FilePath());
        SetProfileStore(m_store.get());
    }

    void TearDown() override
    {
        SetProfileStore(nullptr);
        SetProfileRoot("Orvell Software", "Glimra");
        m_store.reset();
        SettingsStoreTest::TearDown();
    }

    std::unique_ptr<CSettingsStore> m_store;
};

}  // namespace

TEST_F(ProfileTest, ValuesLiveInSectionsUnderTheProgramsKey)
{
    EXPECT_EQ(GetProfileRoot(), CString("Software\\Orvell Software\\Glimra"));
    EXPECT_TRUE(WriteProfileInt("Undo", "StackDepth", 50));
    uint32_t stored = 0;
    EXPECT_EQ(m_store->QueryDword("Software\\Orvell Software\\Glimra\\Undo", "StackDepth", stored),
              SettingsStatus::ok);
    EXPECT_EQ(stored, 50u);

    SetProfileRoot("Other Maker", "Viewer");
    EXPECT_EQ(GetProfileInt("Undo", "StackDepth", -1), -1);
    EXPECT_TRUE(WriteProfileInt("Undo", "StackDepth", 7));
    EXPECT_TRUE(m_store->KeyExists("Software\\Other Maker\\Viewer\\Undo"));
}

TEST_F(ProfileTest, MissingOrMistypedValuesGiveTheDefault)
{
    EXPECT_EQ(GetProfileInt("Preferences", "Missing", 12), 12);
    EXPECT_EQ(GetProfileString("Preferences", "Missing", "fallback"), CString("fallback"));
    ASSERT_TRUE(WriteProfileString("Preferences", "Text", "hello"));
    ASSERT_TRUE(WriteProfileInt("Preferences", "Number", 3));
    EXPECT_EQ(GetProfileInt("Preferences", "Text", 12), 12);
    EXPECT_EQ(GetProfileString("Preferences", "Number", "fallback"), CString("fallback"));
    EXPECT_EQ(GetProfileString("Preferences", "Text", "fallback"), CString("hello"));
    std::vector<uint8_t> bytes = {9};
    EXPECT_FALSE(GetProfileBinary("Preferences", "Number", bytes));
    EXPECT_EQ(bytes, std::vector<uint8_t>{9});
}

TEST_F(ProfileTest, IntegersBinariesAndBooleansRoundTrip)
{
    ASSERT_TRUE(WriteProfileInt("Preferences", "Negative", -5));
    EXPECT_EQ(GetProfileInt("Preferences", "Negative", 0), -5);

    const std::vector<uint8_t> placement = {1, 2, 3, 0, 255};
    ASSERT_TRUE(WriteProfileBinary("MainFrame", "Placement", placement));
    std::vector<uint8_t> read;
    EXPECT_TRUE(GetProfileBinary("MainFrame", "Placement", read));
    EXPECT_EQ(read, placement);

    ASSERT_TRUE(WriteProfileBool("Undo", "Logging", false));
    EXPECT_FALSE(GetProfileBool("Undo", "Logging", true));
    uint32_t stored = 9;
    EXPECT_EQ(m_store->QueryDword("Software\\Orvell Software\\Glimra\\Undo", "Logging", stored), SettingsStatus::ok);
    EXPECT_EQ(stored, 0u);
    EXPECT_TRUE(GetProfileBool("Undo", "Missing", true));
    EXPECT_FALSE(GetProfileBool("Undo", "Missing", false));
}

TEST_F(ProfileTest, ABooleanIsTrueOnlyForAStoredNumberAboveZero)
{
    ASSERT_TRUE(WriteProfileInt("Preferences", "Minus", -1));
    ASSERT_TRUE(WriteProfileInt("Preferences", "Two", 2));
    EXPECT_FALSE(GetProfileBool("Preferences", "Minus", true));
    EXPECT_TRUE(GetProfileBool("Preferences", "Two", false));
}

TEST_F(ProfileTest, AFailedWriteIsReportedAsFailure)
{
    // A file path under a regular file can never be written, not even by the superuser.
    WriteText(m_folder / "plain", "x");
    CSettingsStore unwritable(CString::FromUtf8((m_folder / "plain" / "registry.json").string()));
    SetProfileStore(&unwritable);
    EXPECT_FALSE(WriteProfileInt("Preferences", "Value", 1));
    EXPECT_FALSE(WriteProfileString("Preferences", "Text", "x"));
    EXPECT_EQ(GetProfileInt("Preferences", "Value", 0), 1);
    SetProfileStore(m_store.get());
}
