#pragma once

#include "contracts/base/zun_string.h"

#include <QString>

// Text crosses into Qt only at the widget and file boundary; these two are
// that crossing, so every caller converts the same way (through UTF-8).
inline CZunString toZun(const QString& text)
{
    return CZunString::fromUtf8(text.toStdString());
}

inline QString fromZun(const CZunString& text)
{
    return QString::fromStdString(text.toUtf8());
}
