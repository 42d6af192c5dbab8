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
    void Serialize(CArchive& /*ar*/) override {}

    static inline int s_destroyed = 0;
};
IMPLEMENT_SERIAL(CDeferredTestObject, CObject, 0)

// One object written, then a back-reference to it, as a later record would make.
std::vector<BYTE> ObjectAndBackReference()
{
    CMemFile file;
    CDeferredTestObject object;
    CArchive ar(&file, CArchive::store);
    ar.WriteObject(&object);
    ar.WriteObject(&object);
    ar.Close();
    return file.Detach();
}

TEST(ArchiveDeferredDelete, ADroppedObjectLivesUntilTheArchiveClosesAndNoLaterReferenceTakesIt)
{
    const std::vector<BYTE> bytes = ObjectAndBackReference();
    CDeferredTestObject::s_destroyed = 0;
    CMemFile file(bytes.data(), static_cast<UINT>(bytes.size()));
    {
        CArchive ar(&file, CArchive::load);
        CObject* first = ar.ReadObject(RUNTIME_CLASS(CDeferredTestObject));
        ar.DeleteWhenClosed(first);
        ar.DeleteWhenClosed(first);
        // Whoever read it now would hold it past the archive's close.
        EXPECT_EQ(ar.ReadObject(RUNTIME_CLASS(CDeferredTestObject)), nullptr);
        // Callers free what they read by walking the table; that walk must skip it.
        EXPECT_EQ(ar.GetLoadedObject(2), nullptr);
        EXPECT_EQ(CDeferredTestObject::s_destroyed, 0);
    }
    EXPECT_EQ(CDeferredTestObject::s_destroyed, 1);
}

TEST(ArchiveDeferredDelete, CloseAbortAndAFailedReadEachDeleteThePendingObjectOnce)
{
    const std::vector<BYTE> bytes = ObjectAndBackReference();
    const std::vector<BYTE> cut(bytes.begin(), bytes.end() - 1);
    for (int way = 0; way < 3; ++way) {
        CDeferredTestObject::s_destroyed = 0;
        const std::vector<BYTE>& input = way == 2 ? cut : bytes;
        CMemFile file(input.data(), static_cast<UINT>(input.size()));
        {
            CArchive ar(&file, CArchive::load);
            ar.DeleteWhenClosed(ar.ReadObject(RUNTIME_CLASS(CDeferredTestObject)));
            if (way == 0) {
                ar.Close();
            } else if (way == 1) {
                ar.Abort();
            } else {
                EXPECT_THROW((void)ar.ReadObject(RUNTIME_CLASS(CDeferredTestObject)), CArchiveException);
            }
        }
        EXPECT_EQ(CDeferredTestObject::s_destroyed, 1) << "way " << way;
    }
}

}  // namespace
