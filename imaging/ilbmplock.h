#pragma once
// ILBmpLock: holds a bitmap's lock for one scope, so that a codec that throws while it
// reads or writes the rows still leaves the lock count paired.

#include "imaging/ilbmp.h"

class ILBmpLock
{
public:
    ILBmpLock(ILBmp& bmp, bool readable, bool writable) : m_bmp(bmp) { m_bmp.Lock(readable, writable); }
    ~ILBmpLock() { m_bmp.Unlock(); }
    ILBmpLock(const ILBmpLock&) = delete;
    ILBmpLock& operator=(const ILBmpLock&) = delete;

private:
    ILBmp& m_bmp;
};
