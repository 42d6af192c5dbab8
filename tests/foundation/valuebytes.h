#pragma once
// Writing values into bytes and reading them back, for the value tests.

#include <functional>
#include <vector>

#include "platform/archive.h"
#include "platform/memfile.h"

namespace valuetests {

using Bytes = std::vector<BYTE>;

inline Bytes StoreBytes(const std::function<void(CArchive&)>& write)
{
    CMemFile file;
    CArchive ar(&file, CArchive::store);
    write(ar);
    ar.Close();
    return file.Detach();
}

inline void LoadBytes(const Bytes& bytes, const std::function<void(CArchive&)>& read)
{
    CMemFile file(bytes.data(), static_cast<UINT>(bytes.size()));
    CArchive ar(&file, CArchive::load);
    read(ar);
}

} // namespace valuetests
