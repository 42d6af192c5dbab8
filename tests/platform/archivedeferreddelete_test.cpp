#include "platform/archive.h"

#include <gtest/gtest.h>

#include <vector>

#include "platform/memfile.h"

namespace {

// Counts its destructions, so a test sees exactly when the archive lets go of it.
class CDeferredTestObject : public CObject
{
    DECLARE_SERIAL(CDeferredTestObject)
public:
    ~CDeferredTestObject() override { ++s_destroyed; }

    void Serialize(CArchive& ar) override
    {
        if (ar.IsStoring()) {
            ar << m_value;
        } else {
            ar >> m_value;
        }
    }

    static inline int s_destroyed = 0;
    std::int32_t m_value = 0;
};
IMPLEMENT_SERIAL(CDeferredTestObject, CObject, 0)

class ArchiveDeferredDelete : public ::testing::Test
{
protected:
    void SetUp() override
    {
        CMemFile file;
        {
            CDeferredTestObject object;
            object.m_value = 41;
            CArchive ar(&file, CArchive::store);
            ar.WriteObject(&object);
            ar.WriteObject(&object);  // the back-reference a later record would make
            ar.Close();
        }
        m_bytes = file.Detach();
        CDeferredTestObject::s_destroyed = 0;
    }

    std::vector<BYTE> m_bytes;
};

TEST_F(ArchiveDeferredDelete, ADroppedObjectStaysAliveForALaterBackReferenceAndDiesWithTheArchive)
{
    CMemFile file(m_bytes.data(), static_cast<UINT>(m_bytes.size()));
    {
        CArchive ar(&file, CArchive::load);
        auto* first = static_cast<CDeferredTestObject*>(ar.ReadObject(RUNTIME_CLASS(CDeferredTestObject)));
        ar.DeleteWhenClosed(first);
        auto* again = static_cast<CDeferredTestObject*>(ar.ReadObject(RUNTIME_CLASS(CDeferredTestObject)));
        ASSERT_EQ(again, first);
        EXPECT_EQ(again->m_value, 41);
        EXPECT_EQ(CDeferredTestObject::s_destroyed, 0);
    }
    EXPECT_EQ(CDeferredTestObject::s_destroyed, 1);
}

TEST_F(ArchiveDeferredDelete, TheTableNoLongerHandsOutAnObjectTheArchiveWillDeleteItself)
{
    // Callers free what they read by walking the table; that walk must skip it.
    CMemFile file(m_bytes.data(), static_cast<UINT>(m_bytes.size()));
    {
        CArchive ar(&file, CArchive::load);
        CObject* object = ar.ReadObject(RUNTIME_CLASS(CDeferredTestObject));
        ASSERT_EQ(ar.GetLoadedObject(2), object);
        ar.DeleteWhenClosed(object);
        EXPECT_EQ(ar.GetLoadedObject(2), nullptr);
    }
    EXPECT_EQ(CDeferredTestObject::s_destroyed, 1);
}

TEST_F(ArchiveDeferredDelete, CloseAndAbortDeleteThePendingObjectsOnceEach)
{
    for (const bool abort : {false, true}) {
        CDeferredTestObject::s_destroyed = 0;
        CMemFile file(m_bytes.data(), static_cast<UINT>(m_bytes.size()));
        CArchive ar(&file, CArchive::load);
        CObject* object = ar.ReadObject(RUNTIME_CLASS(CDeferredTestObject));
        ar.DeleteWhenClosed(object);
        ar.DeleteWhenClosed(object);
        ar.DeleteWhenClosed(nullptr);
        if (abort) {
            ar.Abort();
        } else {
            ar.Close();
        }
        EXPECT_EQ(CDeferredTestObject::s_destroyed, 1) << (abort ? "abort" : "close");
    }
    EXPECT_EQ(CDeferredTestObject::s_destroyed, 1);
}

TEST_F(ArchiveDeferredDelete, PendingObjectsAreDeletedWhenReadingFailsPartWay)
{
    std::vector<BYTE> cut(m_bytes.begin(), m_bytes.end() - 1);
    CMemFile file(cut.data(), static_cast<UINT>(cut.size()));
    {
        CArchive ar(&file, CArchive::load);
        ar.DeleteWhenClosed(ar.ReadObject(RUNTIME_CLASS(CDeferredTestObject)));
        EXPECT_THROW((void)ar.ReadObject(RUNTIME_CLASS(CDeferredTestObject)), CArchiveException);
    }
    EXPECT_EQ(CDeferredTestObject::s_destroyed, 1);
}

}  // namespace
