#include "data/TextCodec.h"

#include <algorithm>

namespace Cp932 {
namespace {

constexpr char16_t EscapeBase = 0xDC00; // U+DC80..U+DCFF hold raw bytes 0x80..0xFF
constexpr char16_t NoChar = 0xFFFF;

// SingleTable, DbcsTable and ReverseTable, made at build time from the
// platform's converter (Cp932TableGen.cpp): per-character calls into the
// converter would dominate loading large files, and building the tables at
// start would cost every program start.
#include "Cp932Tables.inc"

constexpr char16_t dbcsAt(unsigned char lead, unsigned char trail)
{
    return DbcsTable[(lead - 0x80) << 8 | trail];
}

inline bool isEscape(char16_t u)
{
    return u >= EscapeBase + 0x80 && u <= EscapeBase + 0xFF;
}

} // namespace

QString decode(QByteArrayView bytes)
{
    QString out;
    decodeAppend(out, bytes);
    return out;
}

void decodeAppend(QString &out, QByteArrayView bytes)
{
    const qsizetype start = out.size();
    out.resize(start + bytes.size());
    char16_t *dst = reinterpret_cast<char16_t *>(out.data()) + start;
    qsizetype n = 0;
    const auto *p = reinterpret_cast<const unsigned char *>(bytes.data());
    const qsizetype size = bytes.size();
    for (qsizetype i = 0; i < size; ++i) {
        const unsigned char b = p[i];
        if (b < 0x80) {
            dst[n++] = b;
            continue;
        }
        if (isLeadByte(b) && i + 1 < size && isTrailByte(p[i + 1])) {
            const char16_t u = dbcsAt(b, p[i + 1]);
            if (u != NoChar) {
                dst[n++] = u;
            } else {
                // An unassigned code keeps both of its bytes together.
                dst[n++] = EscapeBase + b;
                dst[n++] = p[i + 1] >= 0x80 ? char16_t(EscapeBase + p[i + 1]) : char16_t(p[i + 1]);
            }
            ++i;
            continue;
        }
        const char16_t u = SingleTable[b];
        dst[n++] = (u != NoChar && !isLeadByte(b)) ? u : char16_t(EscapeBase + b);
    }
    out.truncate(start + n);
}

QByteArray encode(QStringView text)
{
    QByteArray out;
    encodeAppend(out, text);
    return out;
}

void encodeAppend(QByteArray &out, QStringView text)
{
    const qsizetype start = out.size();
    out.resize(start + text.size() * 2);
    char *dst = out.data() + start;
    char *p = dst;
    for (const QChar ch : text) {
        const char16_t u = ch.unicode();
        if (u < 0x80) {
            *p++ = char(u);
        } else if (isEscape(u)) {
            *p++ = char(u - EscapeBase);
        } else if (const quint16 code = ReverseTable[u]) {
            if (code > 0xFF)
                *p++ = char(code >> 8);
            *p++ = char(code & 0xFF);
        } else {
            *p++ = '?';
        }
    }
    out.truncate(start + (p - dst));
}

qsizetype byteLength(QStringView text)
{
    qsizetype n = 0;
    for (const QChar ch : text) {
        const char16_t u = ch.unicode();
        if (u < 0x80 || isEscape(u))
            n += 1;
        else if (const quint16 code = ReverseTable[u])
            n += code > 0xFF ? 2 : 1;
        else
            n += 1;
    }
    return n;
}

bool isValid(QByteArrayView bytes)
{
    const QString text = decode(bytes);
    return std::none_of(text.cbegin(), text.cend(), [](QChar ch) { return isEscape(ch.unicode()); });
}

bool canEncode(QStringView text)
{
    for (const QChar ch : text) {
        const char16_t u = ch.unicode();
        if (u >= 0x80 && !isEscape(u) && ReverseTable[u] == 0)
            return false;
    }
    return true;
}

QByteArray truncateBytes(QByteArrayView bytes, qsizetype maxBytes)
{
    if (maxBytes <= 0)
        return {};
    if (bytes.size() <= maxBytes)
        return bytes.toByteArray();
    qsizetype i = 0;
    while (i < bytes.size()) {
        const auto b = static_cast<unsigned char>(bytes[i]);
        const qsizetype len = (isLeadByte(b) && i + 1 < bytes.size()) ? 2 : 1;
        if (i + len > maxBytes)
            break;
        i += len;
    }
    return bytes.first(i).toByteArray();
}

QString truncate(const QString &text, qsizetype maxBytes)
{
    qsizetype bytes = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const qsizetype len = byteLength(QStringView(text).mid(i, 1));
        if (bytes + len > maxBytes)
            return text.left(i);
        bytes += len;
    }
    return text;
}

} // namespace Cp932
