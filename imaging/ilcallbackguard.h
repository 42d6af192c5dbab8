#pragma once
// The codecs' input and output run inside the callbacks of the C codec libraries,
// through which no exception may pass: the exception is kept instead, for the codec
// to throw once the library has returned.

#include <new>
#include <optional>

#include "imaging/iltextexception.h"

// Answers what the action answers. An ILTextException that it throws, or running out
// of memory (noMemory), is stored in pending and the answer is false.
template <typename Action>
[[nodiscard]] bool ILRunInCallback(std::optional<ILTextException>& pending, Action action)
{
    try {
        return action();
    } catch (const ILTextException& e) {
        pending = e;
    } catch (const std::bad_alloc&) {
        pending = ILTextException(ILTextException::noMemory, "Out of memory.");
    }
    return false;
}
