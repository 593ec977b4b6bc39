#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringView>

// Code page 932 (Shift-JIS, "windows-31j") at every file boundary.
//
// Decoding is reversible: a byte that is not valid code page 932 (a lead byte
// cut off at the end of a field, an unassigned double-byte code) becomes one
// character of the range U+DC80..U+DCFF, and encoding turns that character
// back into the same byte. Saving a document therefore keeps the bytes of
// text nobody edited, with one exception: a character with two codes (in
// 0x8790..0x879C, 0xED40..0xEEFC and 0xFA4A..0xFA5B, 398 codes in all)
// comes back as the one code Windows writes for it.
namespace Cp932 {

// Lead byte of a double-byte character.
constexpr bool isLeadByte(unsigned char b)
{
    return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC);
}

// Byte that can follow a lead byte as the second byte of a character.
constexpr bool isTrailByte(unsigned char b)
{
    return b >= 0x40 && b <= 0xFC && b != 0x7F;
}

QString decode(QByteArrayView bytes);
// Appends the decoded `bytes` to `out` (reuses its capacity: bulk import).
void decodeAppend(QString &out, QByteArrayView bytes);
QByteArray encode(QStringView text);
// Appends the encoded `text` to `out` (reuses its capacity: bulk export).
void encodeAppend(QByteArray &out, QStringView text);

// True when `bytes` are code page 932 text throughout: no byte that decode()
// would have to escape.
bool isValid(QByteArrayView bytes);

// Bytes `text` takes in code page 932.
qsizetype byteLength(QStringView text);

// True when every character of `text` has a code page 932 form (escaped bytes
// count as representable).
bool canEncode(QStringView text);

// The longest prefix of `bytes` within `maxBytes` that does not end inside a
// double-byte character.
QByteArray truncateBytes(QByteArrayView bytes, qsizetype maxBytes);

// The longest prefix of `text` whose code page 932 form fits in `maxBytes`.
QString truncate(const QString &text, qsizetype maxBytes);

} // namespace Cp932
