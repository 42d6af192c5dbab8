#include "platform/archive.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <functional>
#include <memory>
#include <string>
#include <unistd.h>
#include <vector>

#include "platform/file.h"
#include "platform/memfile.h"

namespace {

using Bytes = std::vector<BYTE>;

// A record with a value and a reference to another node.
class CArchiveTestNode : public CObject
{
    DECLARE_SERIAL(CArchiveTestNode)
public:
    void Serialize(CArchive& ar) override
    {
        if (ar.IsStoring()) {
            ar << m_value;
            ar.WriteObject(m_next);
        } else {
            ar >> m_value;
            m_next = static_cast<CArchiveTestNode*>(ar.ReadObject(RUNTIME_CLASS(CArchiveTestNode)));
        }
    }

    std::int32_t m_value = 0;
    CArchiveTestNode* m_next = nullptr;
};
IMPLEMENT_SERIAL(CArchiveTestNode, CObject, 0)

class CArchiveTestSubNode : public CArchiveTestNode
{
    DECLARE_SERIAL(CArchiveTestSubNode)
};
IMPLEMENT_SERIAL(CArchiveTestSubNode, CArchiveTestNode, 0)

// Carries its own version, so any schema word in a file is accepted.
class CArchiveTestLeaf : public CObject
{
    DECLARE_SERIAL(CArchiveTestLeaf)
public:
    void Serialize(CArchive& ar) override
    {
        if (ar.IsStoring()) {
            ar << m_byte;
        } else {
            ar >> m_byte;
        }
    }

    BYTE m_byte = 0;
};
IMPLEMENT_SERIAL(CArchiveTestLeaf, CObject, VERSIONABLE_SCHEMA | 3)

// Known by name but without a factory.
class CArchiveTestAbstract : public CObject
{
    DECLARE_DYNAMIC(CArchiveTestAbstract)
};
IMPLEMENT_DYNAMIC(CArchiveTestAbstract, CObject)

Bytes Store(const std::function<void(CArchive&)>& write, int bufSize = 4096)
{
    CMemFile file;
    CArchive ar(&file, CArchive::store, bufSize);
    write(ar);
    ar.Close();
    return file.Detach();
}

void Load(const Bytes& bytes, const std::function<void(CArchive&)>& read, int bufSize = 4096)
{
    CMemFile file(bytes.data(), static_cast<UINT>(bytes.size()));
    CArchive ar(&file, CArchive::load, bufSize);
    read(ar);
}

// The archive exception the action throws; cause -1 when it throws none.
CArchiveException Thrown(const std::function<void()>& action)
{
    try {
        action();
    } catch (const CArchiveException& e) {
        return e;
    }
    return CArchiveException(-1);
}

int LoadCause(const Bytes& bytes, const std::function<void(CArchive&)>& read)
{
    return Thrown([&] { Load(bytes, read); }).m_cause;
}

Bytes Concat(std::initializer_list<Bytes> parts)
{
    Bytes all;
    for (const Bytes& part : parts) {
        all.insert(all.end(), part.begin(), part.end());
    }
    return all;
}

Bytes Text(const std::string& text)
{
    return Bytes(text.begin(), text.end());
}

Bytes NewClass(WORD schema, const std::string& name)
{
    return Concat({{0xFF, 0xFF, static_cast<BYTE>(schema), static_cast<BYTE>(schema >> 8),
                    static_cast<BYTE>(name.size()), 0x00},
                   Text(name)});
}

Bytes NodeClass()
{
    return NewClass(0, "CArchiveTestNode");
}

// Deletes every object a loading archive made, whether or not reading finished.
void DeleteLoaded(CArchive& ar, UINT firstIndex = 1)
{
    for (UINT i = firstIndex; i <= ar.GetMapCount(); ++i) {
        delete ar.GetLoadedObject(i);
    }
}

// Fills the archive's object map with slots that hold no object, so that the next
// index is count + 1.
void MapEmptySlots(CArchive& ar, int count)
{
    for (int i = 0; i < count; ++i) {
        ar.MapObject(nullptr);
    }
}

}  // namespace

// --- primitives ---------------------------------------------------------------

TEST(ArchivePrimitives, WriteLittleEndianBytesWithoutPadding)
{
    const Bytes bytes = Store([](CArchive& ar) {
        ar << BYTE{0xAB} << WORD{0x1234} << std::int32_t{-2} << std::uint32_t{0x01020304};
        ar << LONGLONG{-1} << ULONGLONG{0x0102030405060708ULL} << 1.0 << 1.0f;
        ArchiveWriteUInt32(ar, 0xDEADBEEF);
        ArchiveWriteBool(ar, true);
        ArchiveWriteBool(ar, false);
    });
    const Bytes expected = {0xAB, 0x34, 0x12, 0xFE, 0xFF, 0xFF, 0xFF, 0x04, 0x03, 0x02, 0x01,
                            0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF,
                            0x08, 0x07, 0x06, 0x05, 0x04, 0x03, 0x02, 0x01,
                            0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0xF0, 0x3F,
                            0x00, 0x00, 0x80, 0x3F,
                            0xEF, 0xBE, 0xAD, 0xDE, 0x01, 0x00};
    EXPECT_EQ(bytes, expected);
}

TEST(ArchivePrimitives, ReadBackWhatWasWrittenAcrossBufferBoundaries)
{
    // A tiny buffer makes every value straddle a refill somewhere.
    const Bytes bytes = Store(
        [](CArchive& ar) {
            for (int i = 0; i < 50; ++i) {
                ar << BYTE(i) << WORD(i * 300) << std::int32_t(-i * 70000) << LONGLONG(LONGLONG(-i) * 1'000'000'000'000LL)
                   << (i * 0.25) << float(i) / 3.0f;
            }
        },
        16);
    Load(
        bytes,
        [](CArchive& ar) {
            for (int i = 0; i < 50; ++i) {
                BYTE b = 0;
                WORD w = 0;
                std::int32_t n = 0;
                LONGLONG l = 0;
                double d = 0;
                float f = 0;
                ar >> b >> w >> n >> l >> d >> f;
                ASSERT_EQ(b, BYTE(i));
                ASSERT_EQ(w, WORD(i * 300));
                ASSERT_EQ(n, -i * 70000);
                ASSERT_EQ(l, LONGLONG(-i) * 1'000'000'000'000LL);
                ASSERT_EQ(d, i * 0.25);
                ASSERT_EQ(f, float(i) / 3.0f);
            }
            EXPECT_TRUE(ar.IsBufferEmpty());
            EXPECT_EQ(ar.GetRemainingBytes(), 0u);
        },
        16);
}

TEST(ArchivePrimitives, BoolReadsAnyNonZeroByteAsTrueAndWritesOne)
{
    Load({0x02, 0x00, 0xFF}, [](CArchive& ar) {
        EXPECT_TRUE(ArchiveReadBool(ar));
        EXPECT_FALSE(ArchiveReadBool(ar));
        EXPECT_TRUE(ArchiveReadBool(ar));
    });
    EXPECT_EQ(Store([](CArchive& ar) { ArchiveWriteBool(ar, true); }), Bytes{0x01});
}

TEST(ArchivePrimitives, RawReadAndWriteMoveBytesLargerThanTheBuffer)
{
    Bytes payload(10000);
    for (std::size_t i = 0; i < payload.size(); ++i) {
        payload[i] = static_cast<BYTE>(i * 7);
    }
    const Bytes bytes = Store([&](CArchive& ar) {
        ar << BYTE{1};
        ar.Write(payload.data(), static_cast<UINT>(payload.size()));
    });
    ASSERT_EQ(bytes.size(), payload.size() + 1);
    Load(bytes, [&](CArchive& ar) {
        BYTE first = 0;
        ar >> first;
        Bytes back(payload.size() + 10);
        EXPECT_EQ(ar.Read(back.data(), static_cast<UINT>(back.size())), payload.size());
        back.resize(payload.size());
        EXPECT_EQ(back, payload);
    });
}

TEST(ArchivePrimitives, EachPrimitiveCutShortThrowsEndOfFile)
{
    const Bytes three = {1, 2, 3};
    EXPECT_EQ(LoadCause({}, [](CArchive& ar) { BYTE v; ar >> v; }), CArchiveException::endOfFile);
    EXPECT_EQ(LoadCause({1}, [](CArchive& ar) { WORD v; ar >> v; }), CArchiveException::endOfFile);
    EXPECT_EQ(LoadCause(three, [](CArchive& ar) { std::int32_t v; ar >> v; }), CArchiveException::endOfFile);
    EXPECT_EQ(LoadCause(three, [](CArchive& ar) { std::uint32_t v; ar >> v; }), CArchiveException::endOfFile);
    EXPECT_EQ(LoadCause(three, [](CArchive& ar) { LONGLONG v; ar >> v; }), CArchiveException::endOfFile);
    EXPECT_EQ(LoadCause(three, [](CArchive& ar) { ULONGLONG v; ar >> v; }), CArchiveException::endOfFile);
    EXPECT_EQ(LoadCause(three, [](CArchive& ar) { double v; ar >> v; }), CArchiveException::endOfFile);
    EXPECT_EQ(LoadCause(three, [](CArchive& ar) { float v; ar >> v; }), CArchiveException::endOfFile);
    EXPECT_EQ(LoadCause({}, [](CArchive& ar) { (void)ArchiveReadBool(ar); }), CArchiveException::endOfFile);
    EXPECT_EQ(LoadCause({}, [](CArchive& ar) { (void)ArchiveReadString(ar); }), CArchiveException::endOfFile);
    EXPECT_EQ(LoadCause({0xFF}, [](CArchive& ar) { (void)ArchiveReadString(ar); }), CArchiveException::endOfFile);
}

TEST(ArchivePrimitives, RemainingBytesGuardCountsBeforeAllocation)
{
    Load({1, 2, 3, 4, 5}, [](CArchive& ar) {
        BYTE b = 0;
        ar >> b;
        EXPECT_EQ(ar.GetRemainingBytes(), 4u);
        EXPECT_NO_THROW(ar.EnsureAvailable(4));
        EXPECT_EQ(Thrown([&] { ar.EnsureAvailable(5); }).m_cause, CArchiveException::endOfFile);
    });
}

// --- strings ------------------------------------------------------------------

TEST(ArchiveStrings, LengthTakesTheSmallestFormThatHoldsIt)
{
    const auto prefix = [](int units) {
        const Bytes bytes = Store([&](CArchive& ar) { ArchiveWriteString(ar, CString(u'x', units)); });
        return Bytes(bytes.begin(), bytes.end() - 2 * units);
    };
    EXPECT_EQ(prefix(0), (Bytes{0xFF, 0xFE, 0xFF, 0x00}));
    EXPECT_EQ(prefix(254), (Bytes{0xFF, 0xFE, 0xFF, 0xFE}));
    EXPECT_EQ(prefix(255), (Bytes{0xFF, 0xFE, 0xFF, 0xFF, 0xFF, 0x00}));
    EXPECT_EQ(prefix(0xFFFD), (Bytes{0xFF, 0xFE, 0xFF, 0xFF, 0xFD, 0xFF}));
    EXPECT_EQ(prefix(0xFFFE), (Bytes{0xFF, 0xFE, 0xFF, 0xFF, 0xFF, 0xFF, 0xFE, 0xFF, 0x00, 0x00}));
}

TEST(ArchiveStrings, CharactersAreUtf16LittleEndianAndRoundTrip)
{
    const CString text(u"A\u00E9\u20AC\U0001F600");
    const Bytes bytes = Store([&](CArchive& ar) { ArchiveWriteString(ar, text); });
    const Bytes expected = {0xFF, 0xFE, 0xFF, 0x05, 0x41, 0x00, 0xE9, 0x00, 0xAC, 0x20, 0x3D, 0xD8, 0x00, 0xDE};
    EXPECT_EQ(bytes, expected);
    for (int units : {0, 254, 255, 0xFFFE, 70000}) {
        const CString long_text(u'q', units);
        Load(Store([&](CArchive& ar) { ArchiveWriteString(ar, long_text); }),
             [&](CArchive& ar) { EXPECT_EQ(ArchiveReadString(ar), long_text) << units; });
    }
}

TEST(ArchiveStrings, EightBitFormIsReadThroughTheWindowsCodePage)
{
    Load({0x03, 'a', 'b', 0x80}, [](CArchive& ar) { EXPECT_EQ(ArchiveReadString(ar), CString(u"ab\u20AC")); });
    Load({0x00}, [](CArchive& ar) { EXPECT_TRUE(ArchiveReadString(ar).IsEmpty()); });

    Bytes wordForm = {0xFF, 0x2C, 0x01};  // 300 characters
    wordForm.insert(wordForm.end(), 300, 0xE9);
    Load(wordForm, [](CArchive& ar) { EXPECT_EQ(ArchiveReadString(ar), CString(u'\u00E9', 300)); });

    const Bytes dwordForm = {0xFF, 0xFF, 0xFF, 0x02, 0x00, 0x00, 0x00, 'o', 'k'};
    Load(dwordForm, [](CArchive& ar) { EXPECT_EQ(ArchiveReadString(ar), CString("ok")); });
}

TEST(ArchiveStrings, UnicodeMarkerIsFollowedByAFreshLengthPrefix)
{
    Bytes wordLength = {0xFF, 0xFE, 0xFF, 0xFF, 0x00, 0x01};  // 256 units
    for (int i = 0; i < 256; ++i) {
        wordLength.insert(wordLength.end(), {0x31, 0x00});
    }
    Load(wordLength, [](CArchive& ar) { EXPECT_EQ(ArchiveReadString(ar), CString(u'1', 256)); });

    const Bytes dwordLength = {0xFF, 0xFE, 0xFF, 0xFF, 0xFF, 0xFF, 0x01, 0x00, 0x00, 0x00, 0x5A, 0x00};
    Load(dwordLength, [](CArchive& ar) { EXPECT_EQ(ArchiveReadString(ar), CString("Z")); });
}

TEST(ArchiveStrings, CharactersEndingEarlyThrowEndOfFileWithoutAFileName)
{
    // The claimed length is far beyond the data; nothing that size may be allocated.
    const Bytes huge = {0xFF, 0xFE, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0x03, 0x41, 0x00};
    const Bytes largest = {0xFF, 0xFE, 0xFF, 0xFF, 0xFF, 0xFF, 0xFE, 0xFF, 0xFF, 0xFF, 0x41, 0x00};
    const Bytes largestAnsi = {0xFF, 0xFF, 0xFF, 0xFE, 0xFF, 0xFF, 0xFF, 'a'};
    const Bytes shortUnicode = {0xFF, 0xFE, 0xFF, 0x03, 0x41, 0x00, 0x42};
    const Bytes shortAnsi = {0x05, 'a', 'b'};
    for (const Bytes& bytes : {huge, largest, largestAnsi, shortUnicode, shortAnsi}) {
        const CArchiveException e = Thrown([&] { Load(bytes, [](CArchive& ar) { (void)ArchiveReadString(ar); }); });
        EXPECT_EQ(e.m_cause, CArchiveException::endOfFile);
        EXPECT_TRUE(e.m_strFileName.IsEmpty());
    }
}

TEST(ArchiveStrings, AStreamWithoutALengthGrowsTheStringOnlyAsBytesArrive)
{
    // Once a pipe's claimed string length was allocated whole before a byte was read.
    class CPipeFile : public CFile
    {
    public:
        explicit CPipeFile(Bytes bytes) : m_bytes(std::move(bytes)) {}
        UINT Read(void* buffer, UINT count) override
        {
            const auto n = static_cast<UINT>(std::min<std::size_t>(count, m_bytes.size() - m_position));
            std::memcpy(buffer, m_bytes.data() + m_position, n);
            m_position += n;
            return n;
        }
        [[nodiscard]] ULONGLONG GetPosition() const override { return m_position; }
        [[nodiscard]] ULONGLONG GetLength() const override { AfxThrowFileException(CFileException::badSeek); }
        [[nodiscard]] bool IsOpen() const override { return true; }

    private:
        Bytes m_bytes;
        std::size_t m_position = 0;
    };
    const auto readThroughPipe = [](const Bytes& bytes) {
        CPipeFile pipe(bytes);
        CArchive ar(&pipe, CArchive::load);
        return ArchiveReadString(ar);
    };
    const Bytes claimsMillions = {0xFF, 0xFE, 0xFF, 0xFF, 0xFF, 0xFF, 0x00, 0x00, 0xC0, 0x03, 0x41, 0x00};
    EXPECT_EQ(Thrown([&] { (void)readThroughPipe(claimsMillions); }).m_cause, CArchiveException::endOfFile);

    const std::u16string text(100000, u'x');
    CMemFile out;
    {
        CArchive ar(&out, CArchive::store);
        ArchiveWriteString(ar, CString(text));
    }
    const std::vector<BYTE> written = out.Detach();
    EXPECT_EQ(readThroughPipe(written).Units(), text);
}

// --- direction checks and file names -------------------------------------------

class ArchiveOnDisk : public testing::Test
{
protected:
    void SetUp() override
    {
        m_path = CString(testing::TempDir() + "archive_test_" + std::to_string(::getpid()) + ".bin");
    }
    void TearDown() override { CFile::Remove(m_path); }

    void WriteFile(const Bytes& bytes)
    {
        CFile file(m_path, CFile::modeCreate | CFile::modeWrite);
        file.Write(bytes.data(), static_cast<UINT>(bytes.size()));
    }

    CString m_path;
};

TEST_F(ArchiveOnDisk, StoringOnALoadingArchiveThrowsReadOnlyWithTheFileName)
{
    WriteFile({1, 2});
    CFile file(m_path, CFile::modeRead | CFile::shareDenyWrite);
    CArchive ar(&file, CArchive::load | CArchive::bNoFlushOnDelete);
    EXPECT_EQ(ar.m_strFileName, m_path);
    for (const auto& store : std::vector<std::function<void()>>{
             [&] { ar << BYTE{1}; }, [&] { ar << 1.0; }, [&] { ArchiveWriteString(ar, "x"); },
             [&] { ar.WriteObject(nullptr); }, [&] { ar.Write("x", 1); }}) {
        const CArchiveException e = Thrown(store);
        EXPECT_EQ(e.m_cause, CArchiveException::readOnly);
        EXPECT_EQ(e.m_strFileName, m_path);
    }
}

TEST_F(ArchiveOnDisk, LoadingOnAStoringArchiveThrowsWriteOnlyWithTheFileName)
{
    CFile file(m_path, CFile::modeCreate | CFile::modeWrite);
    CArchive ar(&file, CArchive::store);
    for (const auto& load : std::vector<std::function<void()>>{
             [&] { BYTE b; ar >> b; }, [&] { (void)ArchiveReadString(ar); }, [&] { (void)ArchiveReadBool(ar); },
             [&] { (void)ar.ReadObject(nullptr); }}) {
        const CArchiveException e = Thrown(load);
        EXPECT_EQ(e.m_cause, CArchiveException::writeOnly);
        EXPECT_EQ(e.m_strFileName, m_path);
    }
    ar.Abort();
}

TEST_F(ArchiveOnDisk, ShortPrimitiveNamesTheFileButShortStringDoesNot)
{
    WriteFile({0x01, 0x02, 0x03, 0x02, 0x41});
    CFile file(m_path, CFile::modeRead);
    CArchive ar(&file, CArchive::load);
    WORD w = 0;
    ar >> w;
    const CArchiveException primitive = Thrown([&] { std::int32_t n; ar >> n; });
    EXPECT_EQ(primitive.m_cause, CArchiveException::endOfFile);
    EXPECT_EQ(primitive.m_strFileName, m_path);
    EXPECT_NE(std::string(primitive.what()).find(m_path.ToUtf8()), std::string::npos);

    CFile again(m_path, CFile::modeRead);
    CArchive ar2(&again, CArchive::load);
    BYTE skip = 0;
    ar2 >> skip >> skip >> skip;
    const CArchiveException text = Thrown([&] { (void)ArchiveReadString(ar2); });
    EXPECT_EQ(text.m_cause, CArchiveException::endOfFile);
    EXPECT_TRUE(text.m_strFileName.IsEmpty());
}

TEST_F(ArchiveOnDisk, DestructorFlushesUnlessAbortedOrToldNotTo)
{
    const auto sizeAfter = [&](UINT extraMode, bool abort) {
        CFile file(m_path, CFile::modeCreate | CFile::modeReadWrite);
        {
            CArchive ar(&file, CArchive::store | extraMode);
            ar << std::int32_t{7};
            if (abort) {
                ar.Abort();
            }
        }
        return file.GetLength();
    };
    EXPECT_EQ(sizeAfter(0, false), 4u);
    EXPECT_EQ(sizeAfter(CArchive::bNoFlushOnDelete, false), 0u);
    EXPECT_EQ(sizeAfter(0, true), 0u);
}

TEST_F(ArchiveOnDisk, RemainingBytesCountBufferAndFile)
{
    WriteFile(Bytes(10000, 0x55));
    CFile file(m_path, CFile::modeRead);
    CArchive ar(&file, CArchive::load);
    EXPECT_EQ(ar.GetRemainingBytes(), 10000u);
    BYTE b = 0;
    ar >> b;
    EXPECT_EQ(ar.GetRemainingBytes(), 9999u);
    EXPECT_EQ(Thrown([&] { ar.EnsureAvailable(10000); }).m_strFileName, m_path);
}

TEST(ArchiveLifetime, ClosedArchiveRefusesFurtherUse)
{
    CMemFile file;
    CArchive ar(&file, CArchive::store);
    ar << BYTE{9};
    ar.Close();
    EXPECT_EQ(file.GetLength(), 1u);
    EXPECT_EQ(Thrown([&] { ar << BYTE{1}; }).m_cause, CArchiveException::genericException);
}

// --- object references ----------------------------------------------------------

TEST(ArchiveObjects, NullReferenceIsTheZeroWord)
{
    EXPECT_EQ(Store([](CArchive& ar) { ar.WriteObject(nullptr); }), (Bytes{0x00, 0x00}));
    Load({0x00, 0x00}, [](CArchive& ar) { EXPECT_EQ(ar.ReadObject(RUNTIME_CLASS(CArchiveTestNode)), nullptr); });
}

TEST(ArchiveObjects, NewClassThenKnownClassThenBackReference)
{
    CArchiveTestLeaf first;
    first.m_byte = 0x42;
    CArchiveTestLeaf second;
    second.m_byte = 0x43;
    const Bytes bytes = Store([&](CArchive& ar) {
        ar.WriteObject(&first);
        ar.WriteObject(&second);
        ar.WriteObject(&first);
        ar.WriteObject(&second);
    });
    // The versionable flag never reaches the file: schema 3 only.
    const Bytes expected = Concat({NewClass(3, "CArchiveTestLeaf"), {0x42}, {0x01, 0x80, 0x43}, {0x02, 0x00},
                                   {0x03, 0x00}});
    EXPECT_EQ(bytes, expected);

    Load(bytes, [](CArchive& ar) {
        auto* a = static_cast<CArchiveTestLeaf*>(ar.ReadObject(RUNTIME_CLASS(CArchiveTestLeaf)));
        EXPECT_EQ(ar.GetObjectSchema(), 3u);
        auto* b = static_cast<CArchiveTestLeaf*>(ar.ReadObject(nullptr));
        EXPECT_EQ(ar.ReadObject(RUNTIME_CLASS(CObject)), a);
        EXPECT_EQ(ar.ReadObject(RUNTIME_CLASS(CArchiveTestLeaf)), b);
        ASSERT_NE(a, nullptr);
        ASSERT_NE(b, nullptr);
        EXPECT_EQ(a->m_byte, 0x42);
        EXPECT_EQ(b->m_byte, 0x43);
        EXPECT_EQ(ar.GetMapCount(), 3u);
        EXPECT_EQ(ar.GetLoadedObject(1), nullptr);  // the class entry
        EXPECT_EQ(ar.GetLoadedObject(2), a);
        DeleteLoaded(ar);
    });
}

TEST(ArchiveObjects, ObjectReferringToItselfResolvesWhileItsRecordIsRead)
{
    CArchiveTestNode node;
    node.m_value = 5;
    node.m_next = &node;
    const Bytes bytes = Store([&](CArchive& ar) { ar.WriteObject(&node); });
    EXPECT_EQ(bytes, Concat({NodeClass(), {0x05, 0x00, 0x00, 0x00}, {0x02, 0x00}}));
    Load(bytes, [](CArchive& ar) {
        auto* read = static_cast<CArchiveTestNode*>(ar.ReadObject(RUNTIME_CLASS(CArchiveTestNode)));
        ASSERT_NE(read, nullptr);
        EXPECT_EQ(read->m_value, 5);
        EXPECT_EQ(read->m_next, read);
        delete read;
    });
}

TEST(ArchiveObjects, DerivedObjectIsAcceptedWhereItsBaseIsAsked)
{
    CArchiveTestSubNode sub;
    CArchiveTestNode head;
    head.m_next = &sub;
    const Bytes bytes = Store([&](CArchive& ar) { ar.WriteObject(&head); });
    Load(bytes, [](CArchive& ar) {
        auto* read = static_cast<CArchiveTestNode*>(ar.ReadObject(RUNTIME_CLASS(CArchiveTestNode)));
        ASSERT_NE(read->m_next, nullptr);
        EXPECT_TRUE(read->m_next->IsKindOf(RUNTIME_CLASS(CArchiveTestSubNode)));
        delete read->m_next;
        delete read;
    });
}

TEST(ArchiveObjects, IndexFromSevenFffOnTakesTheThirtyTwoBitForm)
{
    CArchiveTestLeaf leaf;
    CArchiveTestLeaf other;
    const Bytes bytes = Store([&](CArchive& ar) {
        MapEmptySlots(ar, 0x7FFD);
        ar.WriteObject(&leaf);   // class 0x7FFE, object 0x7FFF
        ar.WriteObject(&leaf);   // back-reference 0x7FFF
        ar.WriteObject(&other);  // class tag 0x8000 | 0x7FFE
        EXPECT_EQ(ar.GetStoredIndex(&other), 0x8000u);
    });
    const Bytes expected = Concat({NewClass(3, "CArchiveTestLeaf"), {0x00}, {0xFF, 0x7F, 0xFF, 0x7F, 0x00, 0x00},
                                   {0xFE, 0xFF, 0x00}});
    EXPECT_EQ(bytes, expected);
    Load(bytes, [](CArchive& ar) {
        MapEmptySlots(ar, 0x7FFD);
        CObject* a = ar.ReadObject(nullptr);
        EXPECT_EQ(ar.ReadObject(nullptr), a);
        CObject* b = ar.ReadObject(nullptr);
        EXPECT_NE(b, a);
        delete a;
        delete b;
    });
}

TEST(ArchiveObjects, ClassIndexFromSevenFffOnTakesTheThirtyTwoBitClassTag)
{
    CArchiveTestLeaf first;
    CArchiveTestLeaf second;
    const Bytes bytes = Store([&](CArchive& ar) {
        MapEmptySlots(ar, 0x7FFF);
        ar.WriteObject(&first);  // class 0x8000
        ar.WriteObject(&second);
    });
    const Bytes expected = Concat({NewClass(3, "CArchiveTestLeaf"), {0x00},
                                   {0xFF, 0x7F, 0x00, 0x80, 0x00, 0x80, 0x00}});
    EXPECT_EQ(bytes, expected);
    Load(bytes, [](CArchive& ar) {
        MapEmptySlots(ar, 0x7FFF);
        CObject* a = ar.ReadObject(nullptr);
        CObject* b = ar.ReadObject(RUNTIME_CLASS(CArchiveTestLeaf));
        EXPECT_NE(b, nullptr);
        EXPECT_NE(b, a);
        delete a;
        delete b;
    });
}

TEST(ArchiveObjects, MappedObjectsShareNumbersOnBothSidesForTheCopier)
{
    CArchiveTestLeaf shared;
    CArchiveTestNode node;
    node.m_value = 1;
    const Bytes bytes = Store([&](CArchive& ar) {
        ar.MapObject(&shared);  // 1
        ar.MapObject(nullptr);  // 2, a slot without an object
        ar.WriteObject(&node);  // class 3, object 4
        ar.WriteObject(&shared);
        EXPECT_EQ(ar.GetMapCount(), 4u);
        EXPECT_EQ(ar.GetStoredIndex(&shared), 1u);
        EXPECT_EQ(ar.GetStoredIndex(&node), 4u);
        EXPECT_EQ(ar.GetStoredIndex(nullptr), 0u);
        EXPECT_EQ(ar.GetStoredObjects().size(), 2u);
    });
    EXPECT_EQ(Bytes(bytes.end() - 2, bytes.end()), (Bytes{0x01, 0x00}));

    CArchiveTestLeaf sharedOnLoad;
    Load(bytes, [&](CArchive& ar) {
        ar.MapObject(&sharedOnLoad);
        ar.MapObject(nullptr);
        CObject* copy = ar.ReadObject(RUNTIME_CLASS(CArchiveTestNode));
        EXPECT_EQ(ar.ReadObject(RUNTIME_CLASS(CArchiveTestLeaf)), &sharedOnLoad);
        EXPECT_EQ(ar.GetLoadedObject(1), &sharedOnLoad);
        EXPECT_EQ(ar.GetLoadedObject(3), nullptr);
        EXPECT_EQ(ar.GetLoadedObject(4), copy);
        EXPECT_EQ(ar.GetLoadedObject(5), nullptr);
        EXPECT_EQ(ar.GetLoadedObject(0), nullptr);
        delete copy;
    });
}

TEST(ArchiveObjects, ReadingStopsBeforeTheStackDoes)
{
    const auto chain = [](int length) {
        std::vector<CArchiveTestNode> nodes(static_cast<std::size_t>(length));
        for (int i = 0; i + 1 < length; ++i) {
            nodes[static_cast<std::size_t>(i)].m_next = &nodes[static_cast<std::size_t>(i) + 1];
        }
        return Store([&](CArchive& ar) { ar.WriteObject(&nodes[0]); });
    };
    // The innermost call reads the last node's null reference, one level below the last node.
    Load(chain(CArchive::kMaxObjectNesting - 1), [](CArchive& ar) {
        EXPECT_NO_THROW((void)ar.ReadObject(nullptr));
        DeleteLoaded(ar);
    });
    Load(chain(CArchive::kMaxObjectNesting), [](CArchive& ar) {
        // Objects made before the failure stay in the table for the caller to dispose of.
        const CArchiveException refused = Thrown([&] { (void)ar.ReadObject(nullptr); });
        EXPECT_EQ(refused.m_cause, CArchiveException::nestedTooDeep);
        // The user is told why in plain words.
        EXPECT_EQ(refused.GetReason(), CString("the model nests too deep"));
        EXPECT_EQ(ar.GetMapCount(), static_cast<UINT>(CArchive::kMaxObjectNesting) + 1);
        DeleteLoaded(ar);
    });
}

TEST(ArchiveObjects, MalformedReferencesThrowTheirCauses)
{
    const auto readNode = [](CArchive& ar) { delete ar.ReadObject(RUNTIME_CLASS(CArchiveTestNode)); };
    const auto readLeaf = [](CArchive& ar) { delete ar.ReadObject(RUNTIME_CLASS(CArchiveTestLeaf)); };
    const Bytes node = Concat({NodeClass(), {0, 0, 0, 0, 0, 0}});

    EXPECT_EQ(LoadCause(NewClass(0, "CNoSuchClass"), readNode), CArchiveException::badClass);
    AfxRegisterClass(RUNTIME_CLASS(CArchiveTestAbstract));
    EXPECT_EQ(LoadCause(NewClass(kNoSchema, "CArchiveTestAbstract"), readNode), CArchiveException::badClass);
    EXPECT_EQ(LoadCause(Concat({NewClass(0, std::string(64, 'C'))}), readNode), CArchiveException::badClass);
    EXPECT_EQ(LoadCause(node, readLeaf), CArchiveException::badClass);
    EXPECT_EQ(LoadCause(Concat({NewClass(1, "CArchiveTestNode")}), readNode), CArchiveException::badSchema);
    EXPECT_EQ(LoadCause({0x05, 0x00}, readNode), CArchiveException::badIndex);
    EXPECT_EQ(LoadCause({0x01, 0x80}, readNode), CArchiveException::badIndex);
    EXPECT_EQ(LoadCause({0x00, 0x80}, readNode), CArchiveException::badIndex);
    EXPECT_EQ(LoadCause({0xFF, 0x7F, 0x09, 0x00, 0x00, 0x80}, readNode), CArchiveException::badIndex);
    EXPECT_EQ(LoadCause(Concat({NewClass(3, "CArchiveTest")}), readNode), CArchiveException::badClass);
    EXPECT_EQ(LoadCause({0xFF, 0xFF, 0x00}, readNode), CArchiveException::endOfFile);

    // After one node: index 1 is its class, index 2 the node itself.
    const auto readTwice = [](const Bytes& tail, const CRuntimeClass* second) {
        return LoadCause(Concat({Concat({NodeClass(), {0, 0, 0, 0, 0, 0}}), tail}), [&](CArchive& ar) {
            CObject* first = ar.ReadObject(nullptr);
            const auto cleanup = std::unique_ptr<CObject>(first);
            delete ar.ReadObject(second);
        });
    };
    EXPECT_EQ(readTwice({0x01, 0x00}, nullptr), CArchiveException::badIndex);  // an object index naming a class
    EXPECT_EQ(readTwice({0x02, 0x80}, nullptr), CArchiveException::badIndex);  // a class index naming an object
    EXPECT_EQ(readTwice({0x02, 0x00}, RUNTIME_CLASS(CArchiveTestLeaf)), CArchiveException::badClass);
    EXPECT_EQ(readTwice({0x01, 0x80}, RUNTIME_CLASS(CArchiveTestLeaf)), CArchiveException::badClass);
}

TEST(ArchiveObjects, VersionableClassAcceptsAnySchemaWord)
{
    Load(Concat({NewClass(9, "CArchiveTestLeaf"), {0x07}}), [](CArchive& ar) {
        auto* leaf = static_cast<CArchiveTestLeaf*>(ar.ReadObject(RUNTIME_CLASS(CArchiveTestLeaf)));
        ASSERT_NE(leaf, nullptr);
        EXPECT_EQ(leaf->m_byte, 7);
        EXPECT_EQ(ar.GetObjectSchema(), 9u);
        delete leaf;
    });
}

TEST(ArchiveObjects, WritingAClassThatCannotBeArchivedIsRefused)
{
    CArchiveTestAbstract dynamicOnly;
    EXPECT_EQ(Thrown([&] { (void)Store([&](CArchive& ar) { ar.WriteObject(&dynamicOnly); }); }).m_cause,
              CArchiveException::badClass);
}
