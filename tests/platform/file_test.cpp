#include "platform/file.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

#include "platform/exceptions.h"
#include "platform/memfile.h"
#include "platform/stdiofile.h"

namespace {

class FileTest : public testing::Test
{
protected:
    void SetUp() override
    {
        m_dir = std::filesystem::path(testing::TempDir()) / ("file_test_" + std::to_string(::getpid()));
        std::filesystem::create_directories(m_dir);
    }
    void TearDown() override { std::filesystem::remove_all(m_dir); }

    [[nodiscard]] CString PathOf(const std::string& name) const { return CString((m_dir / name).string()); }

    std::filesystem::path m_dir;
};

int FileCause(const std::function<void()>& action)
{
    try {
        action();
    } catch (const CFileException& e) {
        return e.m_cause;
    }
    return -1;
}

}  // namespace

// --- CFile ------------------------------------------------------------------------

TEST_F(FileTest, WrittenBytesReadBackWithPositionAndLength)
{
    const CString path = PathOf("data.bin");
    {
        CFile file(path, CFile::modeCreate | CFile::modeReadWrite | CFile::typeBinary);
        file.Write("abcdef", 6);
        EXPECT_EQ(file.GetPosition(), 6u);
        EXPECT_EQ(file.GetLength(), 6u);
        EXPECT_EQ(file.Seek(-2, CFile::end), 4u);
        file.Write("XY", 2);
        file.SetLength(7);
        EXPECT_EQ(file.GetLength(), 7u);
        file.Close();
        EXPECT_FALSE(file.IsOpen());
    }
    CFile file(path, CFile::modeRead | CFile::shareDenyWrite);
    EXPECT_EQ(file.GetFilePath(), path);
    EXPECT_EQ(file.GetFileName(), CString("data.bin"));
    char buffer[16] = {};
    EXPECT_EQ(file.Read(buffer, sizeof buffer), 7u);
    EXPECT_EQ(std::string(buffer, 7), std::string("abcdXY\0", 7));
    EXPECT_EQ(file.Read(buffer, sizeof buffer), 0u);
    file.SeekToBegin();
    EXPECT_EQ(file.Seek(1, CFile::current), 1u);
    EXPECT_EQ(file.Read(buffer, 2), 2u);
    EXPECT_EQ(std::string(buffer, 2), "bc");
}

TEST_F(FileTest, CreateTruncatesUnlessToldNotTo)
{
    const CString path = PathOf("keep.bin");
    CFile(path, CFile::modeCreate | CFile::modeWrite).Write("12345", 5);
    EXPECT_EQ(CFile(path, CFile::modeCreate | CFile::modeNoTruncate | CFile::modeWrite).GetLength(), 5u);
    EXPECT_EQ(CFile(path, CFile::modeCreate | CFile::modeWrite).GetLength(), 0u);
}

// In a shared folder whatever another user planted at a name must never be written
// through nor over.
TEST_F(FileTest, PrivateFilesAreWrittenOnlyWhereNothingButAFileOfOurOwnStands)
{
    const std::filesystem::path target = m_dir / "target";
    const std::filesystem::path name = m_dir / "name";
    const struct
    {
        const char* standing;
        std::function<bool()> plant;  // false: cannot be planted here
        bool written;
    } cases[] = {
        {"nothing", [] { return true; }, true},
        {"a file of our own", [&] { return static_cast<bool>(std::ofstream(name) << "old bytes, longer"); }, true},
        {"a link to a file", [&] { std::filesystem::create_symlink(target, name); return true; }, false},
        {"a link to nothing", [&] { std::filesystem::create_symlink(m_dir / "absent", name); return true; }, false},
        {"a second name of a file", [&] { std::filesystem::create_hard_link(target, name); return true; }, false},
        {"a pipe", [&] { return ::mkfifo(name.c_str(), 0600) == 0; }, false},
        {"a folder", [&] { return std::filesystem::create_directory(name); }, false},
        {"someone else's file",
         [&] {
             std::ofstream(name) << "theirs";
             return ::chown(name.c_str(), ::geteuid() + 1, static_cast<gid_t>(-1)) == 0;
         },
         false},
    };
    for (const auto& c : cases) {
        std::ofstream(target) << "target";
        if (!c.plant()) {
            std::filesystem::remove_all(name);
            continue;  // only the superuser can give a file away
        }
        const auto before = std::filesystem::symlink_status(name).type();
        CFile fresh;
        EXPECT_EQ(fresh.OpenPrivateNew(CString(name.string())), c.standing == std::string("nothing")) << c.standing;
        fresh.Abort();
        if (c.standing == std::string("nothing")) {
            std::filesystem::remove(name);
        }
        EXPECT_EQ(CFile::WritePrivate(CString(name.string()), "new", 3), c.written) << c.standing;
        if (c.written) {
            EXPECT_EQ(std::filesystem::file_size(name), 3U) << c.standing;
            EXPECT_EQ(std::filesystem::status(name).permissions() & std::filesystem::perms::all,
                      std::filesystem::perms::owner_read | std::filesystem::perms::owner_write)
                << c.standing;
        } else {
            EXPECT_EQ(std::filesystem::symlink_status(name).type(), before) << c.standing;
            EXPECT_FALSE(std::filesystem::exists(m_dir / "absent")) << c.standing;
        }
        EXPECT_EQ(std::filesystem::file_size(target), 6U) << c.standing;
        std::filesystem::remove_all(name);
    }
}

TEST_F(FileTest, OpenReportsFailuresWithoutThrowingAndTheConstructorThrows)
{
    CFile file;
    CFileException error;
    EXPECT_FALSE(file.Open(PathOf("missing.bin"), CFile::modeRead, &error));
    EXPECT_EQ(error.m_cause, CFileException::fileNotFound);
    EXPECT_EQ(error.m_strFileName, PathOf("missing.bin"));
    EXPECT_FALSE(file.IsOpen());

    EXPECT_FALSE(file.Open(CString((m_dir).string()), CFile::modeRead, &error));
    EXPECT_EQ(error.m_cause, CFileException::accessDenied);
    EXPECT_FALSE(file.Open(PathOf("no/such/dir.bin"), CFile::modeCreate | CFile::modeWrite, &error));
    EXPECT_EQ(error.m_cause, CFileException::fileNotFound);
    EXPECT_FALSE(file.Open(CString(), CFile::modeRead));

    EXPECT_EQ(FileCause([&] { CFile thrown(PathOf("missing.bin"), CFile::modeRead); }), CFileException::fileNotFound);
}

// Opening a pipe that nothing wrote to used to wait for ever (a path typed into the open dialog).
TEST_F(FileTest, APipeWithoutAWriterOpensAtOnceAndReadsAsEmpty)
{
    const std::string path = (m_dir / "pipe").string();
    ASSERT_EQ(::mkfifo(path.c_str(), 0600), 0);
    CFile file;
    ASSERT_TRUE(file.Open(CString(path), CFile::modeRead));
    char byte = 0;
    EXPECT_EQ(file.Read(&byte, 1), 0U);
}

TEST_F(FileTest, OperationsOnAClosedFileThrowInvalidFile)
{
    CFile file;
    char byte = 0;
    EXPECT_EQ(FileCause([&] { (void)file.Read(&byte, 1); }), CFileException::invalidFile);
    EXPECT_EQ(FileCause([&] { file.Write(&byte, 1); }), CFileException::invalidFile);
    EXPECT_EQ(FileCause([&] { (void)file.GetLength(); }), CFileException::invalidFile);
    EXPECT_NO_THROW(file.Close());
    EXPECT_NO_THROW(file.Abort());
}

TEST_F(FileTest, WritingAFileOpenedForReadingAndSeekingBeforeTheStartFail)
{
    const CString path = PathOf("ro.bin");
    CFile(path, CFile::modeCreate | CFile::modeWrite).Write("x", 1);
    CFile file(path, CFile::modeRead);
    EXPECT_EQ(FileCause([&] { file.Write("y", 1); }), CFileException::invalidFile);
    EXPECT_EQ(FileCause([&] { file.Seek(-5, CFile::begin); }), CFileException::badSeek);
}

TEST_F(FileTest, RemoveAndRenameAnswerWhetherTheyWorked)
{
    const CString from = PathOf("a.bin");
    const CString to = PathOf("b.bin");
    CFile(from, CFile::modeCreate | CFile::modeWrite).Close();
    EXPECT_TRUE(CFile::Rename(from, to));
    EXPECT_FALSE(CFile::Rename(from, to));
    EXPECT_TRUE(CFile::Remove(to));
    EXPECT_FALSE(CFile::Remove(to));
}

TEST_F(FileTest, NonAsciiPathsAreUtf8OnDisk)
{
    const CString path = PathOf("mod\u00E8le \u20AC.twk");
    CFile(path, CFile::modeCreate | CFile::modeWrite).Write("1", 1);
    EXPECT_TRUE(std::filesystem::exists(m_dir / "mod\u00E8le \u20AC.twk"));
}

// --- CMemFile -----------------------------------------------------------------------

TEST(MemFile, GrowsAsItIsWrittenAndFillsGapsWithZeros)
{
    CMemFile file(4);
    std::string big(5000, 'z');
    file.Write(big.data(), static_cast<UINT>(big.size()));
    EXPECT_EQ(file.GetLength(), 5000u);
    file.Seek(10, CFile::end);
    file.Write("!", 1);
    EXPECT_EQ(file.GetLength(), 5011u);
    file.SeekToBegin();
    std::vector<char> back(6000);
    EXPECT_EQ(file.Read(back.data(), 6000), 5011u);
    EXPECT_EQ(back[5000], '\0');
    EXPECT_EQ(back[5010], '!');
    EXPECT_EQ(file.Read(back.data(), 1), 0u);

    const std::vector<BYTE> contents = file.Detach();
    EXPECT_EQ(contents.size(), 5011u);
    EXPECT_EQ(file.GetLength(), 0u);
}

TEST(MemFile, AttachedBytesAreReadInPlaceAndCannotBeWritten)
{
    const BYTE data[] = {1, 2, 3};
    CMemFile file(data, sizeof data);
    BYTE out[3] = {};
    EXPECT_EQ(file.Read(out, 3), 3u);
    EXPECT_EQ(out[2], 3);
    EXPECT_EQ(FileCause([&] { file.Write(out, 1); }), CFileException::accessDenied);
    EXPECT_EQ(FileCause([&] { file.SetLength(0); }), CFileException::accessDenied);
    EXPECT_EQ(file.Detach(), (std::vector<BYTE>{1, 2, 3}));
    file.Write(out, 1);  // detached: an ordinary growable file again
    EXPECT_EQ(file.GetLength(), 1u);
}

TEST(MemFile, SeekingBeforeTheStartThrowsBadSeek)
{
    CMemFile file;
    file.Write("abc", 3);
    EXPECT_EQ(FileCause([&] { file.Seek(-4, CFile::current); }), CFileException::badSeek);
    EXPECT_EQ(file.GetPosition(), 3u);
    EXPECT_EQ(file.Seek(-3, CFile::current), 0u);
    EXPECT_FALSE(file.Open("x", CFile::modeRead));
}

TEST(MemFile, SetLengthTruncatesAndPullsThePositionIn)
{
    CMemFile file;
    file.Write("abcdef", 6);
    file.SetLength(2);
    EXPECT_EQ(file.GetPosition(), 2u);
    file.Write("Z", 1);
    EXPECT_EQ(file.Detach(), (std::vector<BYTE>{'a', 'b', 'Z'}));
}

// --- CStdioFile ----------------------------------------------------------------------

TEST_F(FileTest, TextLinesRoundTripAsUtf8)
{
    const CString path = PathOf("log.txt");
    {
        CStdioFile file(path, CFile::modeCreate | CFile::modeWrite | CFile::typeText);
        file.WriteString(CString(u"first \u00E9\n"));
        file.WriteString("\n");
        file.WriteString("last without end");
    }
    {
        CFile raw(path, CFile::modeRead);
        char bytes[64] = {};
        const UINT n = raw.Read(bytes, sizeof bytes);
        EXPECT_EQ(std::string(bytes, n), "first \xC3\xA9\n\nlast without end");
    }
    CStdioFile file(path, CFile::modeRead | CFile::typeText);
    CString line;
    ASSERT_TRUE(file.ReadString(line));
    EXPECT_EQ(line, CString(u"first \u00E9"));
    ASSERT_TRUE(file.ReadString(line));
    EXPECT_TRUE(line.IsEmpty());
    ASSERT_TRUE(file.ReadString(line));
    EXPECT_EQ(line, CString("last without end"));
    EXPECT_FALSE(file.ReadString(line));
    EXPECT_TRUE(line.IsEmpty());
}

TEST_F(FileTest, TextReaderDropsCarriageReturnsAndHandlesLongLines)
{
    const CString path = PathOf("crlf.txt");
    const std::string longLine(10000, 'k');
    {
        CFile raw(path, CFile::modeCreate | CFile::modeWrite);
        const std::string text = "a\r\n" + longLine + "\r\nb";
        raw.Write(text.data(), static_cast<UINT>(text.size()));
    }
    CStdioFile file(path, CFile::modeRead);
    CString line;
    ASSERT_TRUE(file.ReadString(line));
    EXPECT_EQ(line, CString("a"));
    EXPECT_EQ(file.GetPosition(), 3u);
    ASSERT_TRUE(file.ReadString(line));
    EXPECT_EQ(line.GetLength(), 10000);
    char rest = 0;
    EXPECT_EQ(file.Read(&rest, 1), 1u);
    EXPECT_EQ(rest, 'b');
    EXPECT_FALSE(file.ReadString(line));
}

TEST_F(FileTest, WritingAfterReadingAppendsWhereTheReaderStopped)
{
    const CString path = PathOf("mixed.txt");
    CStdioFile(path, CFile::modeCreate | CFile::modeWrite).WriteString("one\ntwo\n");
    CStdioFile file(path, CFile::modeReadWrite);
    CString line;
    ASSERT_TRUE(file.ReadString(line));
    file.WriteString("TWO\n");
    file.SeekToBegin();
    ASSERT_TRUE(file.ReadString(line));
    ASSERT_TRUE(file.ReadString(line));
    EXPECT_EQ(line, CString("TWO"));
}
