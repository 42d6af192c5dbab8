#include "imaging/iltextexception.h"

ILTextException::ILTextException(int code, const char* text) : ILTextException(code, 0, text) {}

ILTextException::ILTextException(int code, int minorCode, const char* text)
    : m_code(code), m_minorCode(minorCode), m_text(text != nullptr ? text : "")
{
}
