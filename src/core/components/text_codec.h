#pragma once

#include <QByteArray>
#include <QString>

namespace textcodec {

// BOM-marked UTF-8/UTF-16 first, then UTF-8 when the bytes are valid, else Windows-1252.
QString decode(const QByteArray &bytes);

// Any mix of CR LF, lone CR and lone LF becomes CR LF.
QString toCrLf(const QString &text);

} // namespace textcodec
