#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QList>
#include <QString>

// A string list that joins its strings into one CSV line and splits one CSV
// line into strings. Both work on code page 932 bytes, stepping over a
// double-byte character (a lead byte followed by a valid trail byte) as a
// whole, so a trail byte is never taken for a separator or quotation mark.
// The strings are held as code page 932 bytes; string()/append() convert.
class TStringListEx
{
public:
    char CommaChar = ',';
    char QuoteChar = '"';
    // Stands for a memo line break (CR LF) inside a field.
    QString CRChar = QStringLiteral("\n");
    // Writing: a field with a space is quoted too. Reading: bytes 1..32
    // around fields are skipped and end unquoted fields (the separator
    // itself is never skipped, so a tab-separated empty field survives).
    bool SpaceQuote = true;

    int count() const { return int(Strings.size()); }
    void clear() { Strings.clear(); }
    QString string(int index) const;
    void append(const QString &text);

    QByteArray GetCsvBytes() const;
    QString GetCsvText() const;
    void SetCsvBytes(QByteArrayView line);
    void SetCsvText(const QString &line);

    // Appends one joined line to `out` (the same bytes GetCsvBytes gives);
    // `crChar` is CRChar in code page 932.
    static void AppendCsvLine(QByteArray &out, const QList<QByteArray> &fields, char comma, char quote,
        QByteArrayView crChar, bool spaceQuote);
    // Splits `line` into `fields` (cleared first). Fields may refer to the
    // bytes of `line` without copying them: use them while `line` lives.
    static void SplitCsvLine(
        QList<QByteArray> &fields, QByteArrayView line, char comma, char quote, QByteArrayView crChar, bool spaceQuote);

    QList<QByteArray> Strings;
};
