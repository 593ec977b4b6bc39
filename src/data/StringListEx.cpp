#include "data/StringListEx.h"

#include "data/TextCodec.h"

namespace {

using Cp932::isTrailByte;

// Bytes of the character at `i`: 2 for a lead byte followed by a trail byte.
// A lead byte without a trail byte counts alone, so the byte after it (a
// separator, say) keeps its meaning and such text survives a round trip.
inline qsizetype charLen(const unsigned char *p, qsizetype i, qsizetype n)
{
    return (Cp932::isLeadByte(p[i]) && i + 1 < n && isTrailByte(p[i + 1])) ? 2 : 1;
}

// Appends `text` to `out` with `from` (not empty) replaced by `to`,
// matching only at character boundaries.
void appendReplaced(QByteArray &out, QByteArrayView text, QByteArrayView from, QByteArrayView to)
{
    const auto *p = reinterpret_cast<const unsigned char *>(text.data());
    const qsizetype n = text.size();
    qsizetype seg = 0, i = 0;
    while (i < n) {
        if (text.sliced(i).startsWith(from)) {
            out.append(text.sliced(seg, i - seg));
            out.append(to);
            i += from.size();
            seg = i;
        } else {
            i += charLen(p, i, n);
        }
    }
    out.append(text.sliced(seg, n - seg));
}

QByteArray replaceChars(QByteArrayView text, QByteArrayView from, QByteArrayView to)
{
    QByteArray out;
    appendReplaced(out, text, from, to);
    return out;
}

QByteArrayView encodedCr(const QString &crChar, QByteArray &storage)
{
    if (crChar.size() == 1 && crChar[0] == u'\n')
        return QByteArrayView("\n", 1);
    storage = Cp932::encode(crChar);
    return storage;
}

} // namespace

QString TStringListEx::string(int index) const
{
    return Cp932::decode(Strings.at(index));
}

void TStringListEx::append(const QString &text)
{
    Strings.append(Cp932::encode(text));
}

QByteArray TStringListEx::GetCsvBytes() const
{
    QByteArray storage, out;
    AppendCsvLine(out, Strings, CommaChar, QuoteChar, encodedCr(CRChar, storage), SpaceQuote);
    return out;
}

QString TStringListEx::GetCsvText() const
{
    return Cp932::decode(GetCsvBytes());
}

void TStringListEx::SetCsvBytes(QByteArrayView line)
{
    QByteArray storage;
    SplitCsvLine(Strings, line, CommaChar, QuoteChar, encodedCr(CRChar, storage), SpaceQuote);
    for (QByteArray &s : Strings)
        s.detach(); // own copies: the fields may point into `line`
}

void TStringListEx::SetCsvText(const QString &line)
{
    SetCsvBytes(Cp932::encode(line));
}

void TStringListEx::AppendCsvLine(
    QByteArray &out, const QList<QByteArray> &fields, char comma, char quote, QByteArrayView crChar, bool spaceQuote)
{
    if (fields.size() == 1 && fields[0].isEmpty()) {
        out.append(quote);
        out.append(quote);
        return;
    }
    const auto q = static_cast<unsigned char>(quote);
    const auto sep = static_cast<unsigned char>(comma);
    // Bytes that make a field quoted.
    // A NUL is one of them: unquoted, the reader passes it over as white
    // space.
    auto trigger = [&](unsigned char b) { return b <= 31 || b == q || b == sep || (spaceQuote && b == 32); };
    for (qsizetype f = 0; f < fields.size(); ++f) {
        if (f > 0)
            out.append(comma);
        // A CR is never part of a double-byte character: every CR LF in the
        // bytes is a line break of the text.
        const QByteArray text = replaceChars(fields[f], "\r\n", crChar);
        const auto *p = reinterpret_cast<const unsigned char *>(text.constData());
        const qsizetype n = text.size();
        bool quoted = false;
        for (qsizetype i = 0; i < n && !quoted; i += charLen(p, i, n))
            quoted = trigger(p[i]);
        if (!quoted) {
            out.append(text);
            continue;
        }
        out.append(quote);
        for (qsizetype i = 0; i < n;) {
            const qsizetype len = charLen(p, i, n);
            if (p[i] == q)
                out.append(quote);
            out.append(text.sliced(i, len));
            i += len;
        }
        out.append(quote);
    }
}

void TStringListEx::SplitCsvLine(
    QList<QByteArray> &fields, QByteArrayView line, char comma, char quote, QByteArrayView crChar, bool spaceQuote)
{
    // The list keeps its elements between lines; only the count is new.
    qsizetype count = 0;
    const auto *p = reinterpret_cast<const unsigned char *>(line.data());
    const qsizetype n = line.size();
    const auto q = static_cast<unsigned char>(quote);
    const auto sep = static_cast<unsigned char>(comma);
    // Bytes 0..32 around fields, but never the separator (with a tab as
    // separator a skipped tab would swallow an empty field) nor the
    // quotation character (a space typed as one would lose every opening
    // quote). A NUL counts as white space: it ends an unquoted field.
    auto skip = [&](qsizetype &i) {
        if (!spaceQuote)
            return;
        while (i < n && p[i] <= 32 && p[i] != sep && p[i] != q)
            ++i;
    };
    qsizetype i = 0;
    skip(i);
    while (i < n) {
        QByteArray field;
        if (p[i] == q) {
            ++i;
            qsizetype seg = i;
            bool copied = false; // a doubled quotation character was met
            auto take = [&](qsizetype end) {
                if (copied)
                    field.append(line.sliced(seg, end - seg));
                else
                    field = QByteArray::fromRawData(line.data() + seg, end - seg);
            };
            bool closed = false;
            while (i < n) {
                if (p[i] == q) {
                    if (i + 1 < n && p[i + 1] == q) {
                        field.append(line.sliced(seg, i + 1 - seg));
                        copied = true;
                        i += 2;
                        seg = i;
                        continue;
                    }
                    take(i);
                    ++i;
                    closed = true;
                    break;
                }
                i += charLen(p, i, n);
            }
            if (!closed)
                take(n);
        } else {
            qsizetype j = i;
            while (j < n && p[j] != sep && !(spaceQuote && p[j] <= 32))
                j += charLen(p, j, n);
            if (j == i && j < n && p[j] != sep) {
                // A NUL byte with space skipping on: it would end every field
                // before it and never be passed. Dropped like white space.
                ++i;
                continue;
            }
            field = QByteArray::fromRawData(line.data() + i, j - i);
            i = j;
        }
        if (!crChar.isEmpty() && field.contains(crChar))
            field = replaceChars(field, crChar, "\r\n");
        if (count < fields.size())
            fields[count] = std::move(field);
        else
            fields.append(std::move(field));
        ++count;
        skip(i);
        if (i < n && p[i] == sep) {
            ++i;
            skip(i);
        }
    }
    fields.resize(count);
}
