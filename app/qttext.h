#pragma once
// The program's texts (UTF-16 code units) to and from Qt's strings.
#include <QString>

#include "platform/cstring.h"

[[nodiscard]] inline QString ToQt(const CString& text)
{
    return QString::fromStdString(text.ToUtf8());
}

[[nodiscard]] inline CString FromQt(const QString& text)
{
    return CString::FromUtf8(text.toStdString());
}
