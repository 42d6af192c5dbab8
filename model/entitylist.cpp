#include "model/entitylist.h"

#include "platform/exceptions.h"

namespace {

// The smallest object reference on the wire: a null tag.
constexpr ULONGLONG kMinReferenceBytes = 2;

}  // namespace

std::int32_t ReadReferenceCount(CArchive& ar)
{
    std::int32_t count = 0;
    ar >> count;
    if (count < 0) {
        AfxThrowArchiveException(CArchiveException::badIndex, ar.m_strFileName);
    }
    ar.EnsureAvailable(static_cast<ULONGLONG>(count) * kMinReferenceBytes);
    return count;
}
