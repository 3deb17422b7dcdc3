#pragma once

#include <QByteArrayView>
#include <QChar>
#include <QString>

namespace textcodec {

// BOM-marked UTF-8/UTF-16 first, then UTF-8 when the bytes are valid, else Windows-1252.
QString decode(QByteArrayView bytes);

// The character a byte stands for in Windows-1252 (bytes it leaves unassigned as in Latin-1).
QChar windows1252(unsigned char byte);

// Any mix of CR LF, lone CR and lone LF becomes CR LF.
QString toCrLf(const QString &text);

} // namespace textcodec
