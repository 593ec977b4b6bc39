// Build-time tool: writes the code page 932 lookup tables of TextCodec.cpp as
// C++ source, taken from the platform's "windows-31j" converter. Building them
// at every start cost each program several milliseconds.
//
// Usage: tidemark-cp932-tables OUTPUT
#include "data/TextCodec.h"

#include <QSaveFile>
#include <QStringDecoder>
#include <QStringEncoder>
#include <cstdio>
#include <utility>
#include <vector>

namespace {

constexpr char16_t NoChar = 0xFFFF;

void writeArray(QByteArray &out, const char *decl, const std::vector<quint16> &values)
{
    out += decl;
    out += " = {";
    for (size_t i = 0; i < values.size(); ++i) {
        if (i % 16 == 0)
            out += "\n   ";
        out += ' ';
        out += "0x" + QByteArray::number(values[i], 16) + ',';
    }
    out += "\n};\n\n";
}

} // namespace

int main(int argc, char *argv[])
{
    if (argc != 2) {
        std::fputs("usage: tidemark-cp932-tables OUTPUT\n", stderr);
        return 2;
    }
    QStringDecoder dec("windows-31j", QStringDecoder::Flag::Stateless);
    QStringEncoder enc("windows-31j", QStringEncoder::Flag::Stateless);
    if (!dec.isValid() || !enc.isValid()) {
        std::fputs("tidemark-cp932-tables: no windows-31j converter\n", stderr);
        return 1;
    }

    std::vector<quint16> single(256, NoChar);
    // Indexed by ((lead - 0x80) << 8 | trail).
    std::vector<quint16> dbcs(0x8000, NoChar);
    // Unicode -> code page 932 bytes (high byte 0 for single bytes); 0 = none.
    std::vector<quint16> reverse(0x10000, 0);

    for (int b = 0; b < 256; ++b) {
        if (Cp932::isLeadByte(b))
            continue;
        const char c = char(b);
        const QString s = dec.decode(QByteArrayView(&c, 1));
        if (s.size() == 1 && s.at(0) != QChar::ReplacementCharacter)
            single[b] = s.at(0).unicode();
    }
    single[0] = 0;
    for (int lead = 0x81; lead <= 0xFC; ++lead) {
        if (!Cp932::isLeadByte(lead))
            continue;
        for (int trail = 0x40; trail <= 0xFC; ++trail) {
            if (!Cp932::isTrailByte(trail))
                continue;
            const char pair[2] = {char(lead), char(trail)};
            const QString s = dec.decode(QByteArrayView(pair, 2));
            if (s.size() == 1 && s.at(0) != QChar::ReplacementCharacter)
                dbcs[(lead - 0x80) << 8 | trail] = s.at(0).unicode();
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
    for (quint16 u : dbcs)
        if (u != NoChar)
            addReverse(u);
    // Input methods here type the JIS characters that Windows maps to other
    // code points (the wave dash, the minus sign, ...). Without these they
    // could not be stored at all; they read back as the Windows character,
    // which looks the same.
    const std::pair<char16_t, char16_t> jisVariants[] = {{0x301C, 0xFF5E}, {0x2016, 0x2225}, {0x2212, 0xFF0D},
        {0x00A2, 0xFFE0}, {0x00A3, 0xFFE1}, {0x00AC, 0xFFE2}, {0x2014, 0x2015}};
    for (const auto &[jis, windows] : jisVariants)
        if (reverse[jis] == 0)
            reverse[jis] = reverse[windows];
    // A single byte that would not come back as itself is kept raw.
    for (int b = 0x80; b < 256; ++b)
        if (single[b] != NoChar && reverse[single[b]] != b)
            single[b] = NoChar;

    QByteArray out = "// Generated at build time by tidemark-cp932-tables. Do not edit.\n\n";
    writeArray(out, "constexpr char16_t SingleTable[256]", single);
    writeArray(out, "constexpr char16_t DbcsTable[0x8000]", dbcs);
    writeArray(out, "constexpr quint16 ReverseTable[0x10000]", reverse);

    QSaveFile file(QString::fromLocal8Bit(argv[1]));
    if (!file.open(QIODevice::WriteOnly) || file.write(out) != out.size() || !file.commit()) {
        std::fprintf(stderr, "tidemark-cp932-tables: cannot write %s\n", argv[1]);
        return 1;
    }
    return 0;
}
