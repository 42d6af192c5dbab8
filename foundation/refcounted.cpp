#include "foundation/refcounted.h"

namespace orvell::utils {

void CRefCountBase::Release()
{
    if (m_refCount > 0) {
        --m_refCount;
    }
    if (m_refCount == 0) {
        delete this;
    }
}

} // namespace orvell::utils
