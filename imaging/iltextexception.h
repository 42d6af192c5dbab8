#pragma once
// ILTextException: the image library's one exception type, a code number and a
// message. Thrown by value, caught by reference.

#include <exception>
#include <string>

#include "imaging/ilobject.h"

class ILTextException : public ILObject, public std::exception
{
public:
    // The library's code numbers. Data sources return them from their Open operations;
    // everything else throws them.
    enum
    {
        none = 0,              // success
        wrongSignature = 1,    // the data lacks the expected signature
        badFormat = 2,         // damaged data or an unknown variant of the format
        pathNotFound = 3,
        fileNotFound = 4,      // also a resource that is not there, or any other failure to open
        accessDenied = 5,      // also a file that cannot be mapped
        notSupported = 6,      // variant of the format or requested depth not supported
        internalError = 7,     // internal error or misuse
        unknownFileType = 8,
        noMemory = 10,
        endOfData = 11,        // input ended while decoding, or output full while encoding
        notBuilt = 12,         // the format is known but its decoder is not built in
        urlFailed = 13,
        exifFailed = 14
    };

    ILTextException(int code, const char* text);
    ILTextException(int code, int minorCode, const char* text);
    ILTextException(int code, const std::string& text) : ILTextException(code, text.c_str()) {}
    ILTextException(const ILTextException&) = default;
    ILTextException& operator=(const ILTextException&) = default;
    ~ILTextException() override = default;

    [[nodiscard]] virtual int GetCode() const { return m_code; }
    [[nodiscard]] int GetMinorCode() const { return m_minorCode; }
    // Never null; an empty message stays an empty string.
    [[nodiscard]] virtual const char* GetText() const { return m_text.c_str(); }
    [[nodiscard]] const char* what() const noexcept override { return m_text.c_str(); }

private:
    int m_code;
    int m_minorCode;
    std::string m_text;
};
