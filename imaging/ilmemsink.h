#pragma once
// ILMemSink: a sink into a heap block that it owns. The block starts at the capacity
// given to Open and grows when an encoder writes more.

#include <cstdlib>
#include <memory>

#include "imaging/ildatasink.h"

class ILMemSink : public ILDataSink
{
public:
    ILMemSink() = default;
    ~ILMemSink() override;

    // 0 on success, -1 when the block cannot be allocated (the sink stays closed).
    [[nodiscard]] int Open(const char* name, std::size_t maxSize);
    [[nodiscard]] int OpenW(const CString& name, std::size_t maxSize);
    void Close() override;

    // The block; GetDataSize() of its bytes are the encoded data. Throws ILTextException
    // internalError "Open was not called for CMemSink" while closed.
    [[nodiscard]] std::uint8_t* GetBytes() const;

protected:
    bool Grow(std::size_t needed) override;

private:
    struct FreeBlock
    {
        void operator()(std::uint8_t* p) const { std::free(p); }
    };
    std::unique_ptr<std::uint8_t, FreeBlock> m_block;
};
