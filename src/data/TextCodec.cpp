#include "data/TextCodec.h"

#include <QStringDecoder>
#include <QStringEncoder>

#include <array>
#include <memory>

namespace Cp932 {
namespace {

constexpr char16_t EscapeBase = 0xDC00; // U+DC80..U+DCFF hold raw bytes 0x80..0xFF
constexpr char16_t NoChar = 0xFFFF;

bool isTrailByte(unsigned char b)
{
    return b >= 0x40 && b <= 0xFC && b != 0x7F;
}

// Lookup tables built once from the platform's converter: per-character calls
// into the converter would dominate loading large files.
struct Tables
{
    std::array<char16_t, 256> single{};
    // Indexed by (lead << 8 | trail); NoChar where the code is unassigned.
    std::unique_ptr<char16_t[]> dbcs = std::make_unique<char16_t[]>(0x10000);
    // Unicode -> code page 932 bytes (high byte 0 for single bytes); 0 = none.
    std::unique_ptr<quint16[]> reverse = std::make_unique<quint16[]>(0x10000);

    Tables()
    {
        QStringDecoder dec("windows-31j", QStringDecoder::Flag::Stateless);
        QStringEncoder enc("windows-31j", QStringEncoder::Flag::Stateless);
        Q_ASSERT(dec.isValid() && enc.isValid());

        std::fill_n(dbcs.get(), 0x10000, NoChar);
        std::fill_n(reverse.get(), 0x10000, quint16(0));

        for (int b = 0; b < 256; ++b) {
            single[b] = NoChar;
            if (isLeadByte(b))
                continue;
            const char c = char(b);
            const QString s = dec.decode(QByteArrayView(&c, 1));
            if (s.size() == 1 && s.at(0) != QChar::ReplacementCharacter)
                single[b] = s.at(0).unicode();
        }
        single[0] = 0;
        for (int lead = 0x81; lead <= 0xFC; ++lead) {
            if (!isLeadByte(lead))
                continue;
            for (int trail = 0x40; trail <= 0xFC; ++trail) {
                if (!isTrailByte(trail))
                    continue;
                const char pair[2] = {char(lead), char(trail)};
                const QString s = dec.decode(QByteArrayView(pair, 2));
                if (s.size() == 1 && s.at(0) != QChar::ReplacementCharacter)
                    dbcs[lead << 8 | trail] = s.at(0).unicode();
            }
        }
        // The reverse table follows the converter's own choice wherever a
        // character has more than one code.
        auto addReverse = [&](char16_t u) {
            if (reverse[u] != 0 || u == 0)
                return;
            const QChar ch(u);
            const QByteArray b = enc.encode(QStringView(&ch, 1));
            if (enc.hasError()) {
                enc.resetState();
                return;
            }
            if (b.size() == 1)
                reverse[u] = quint8(b[0]);
            else if (b.size() == 2)
                reverse[u] = quint16(quint8(b[0]) << 8 | quint8(b[1]));
        };
        for (int b = 0; b < 256; ++b)
            if (single[b] != NoChar)
                addReverse(single[b]);
        for (int i = 0; i < 0x10000; ++i)
            if (dbcs[i] != NoChar)
                addReverse(dbcs[i]);
        // A single byte that would not come back as itself is kept raw.
        for (int b = 0x80; b < 256; ++b)
            if (single[b] != NoChar && reverse[single[b]] != b)
                single[b] = NoChar;
    }
};

const Tables &tables()
{
    static const Tables t;
    return t;
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
    const Tables &t = tables();
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
            const char16_t u = t.dbcs[b << 8 | p[i + 1]];
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
        const char16_t u = t.single[b];
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
    const Tables &t = tables();
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
        } else if (const quint16 code = t.reverse[u]) {
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
    const Tables &t = tables();
    qsizetype n = 0;
    for (const QChar ch : text) {
        const char16_t u = ch.unicode();
        if (u < 0x80 || isEscape(u))
            n += 1;
        else if (const quint16 code = t.reverse[u])
            n += code > 0xFF ? 2 : 1;
        else
            n += 1;
    }
    return n;
}

bool canEncode(QStringView text)
{
    const Tables &t = tables();
    for (const QChar ch : text) {
        const char16_t u = ch.unicode();
        if (u >= 0x80 && !isEscape(u) && t.reverse[u] == 0)
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
