#include "settings/SettingsFile.h"

#include "data/TextCodec.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStringDecoder>

#include <optional>

namespace {

struct Line
{
    qsizetype begin = 0; // offset of the line in the content
    qsizetype end = 0;   // offset past the line's text (before its line break)
    qsizetype next = 0;  // offset of the following line
};

QList<Line> splitLines(const QByteArray &content)
{
    QList<Line> lines;
    qsizetype pos = 0;
    while (pos < content.size()) {
        Line line;
        line.begin = pos;
        qsizetype nl = content.indexOf('\n', pos);
        if (nl < 0) {
            line.end = content.size();
            line.next = content.size();
        } else {
            line.end = (nl > pos && content[nl - 1] == '\r') ? nl - 1 : nl;
            line.next = nl + 1;
        }
        lines.append(line);
        pos = line.next;
    }
    return lines;
}

QString decodeText(QByteArrayView bytes)
{
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text = utf8.decode(bytes);
    if (!utf8.hasError())
        return text;
    return Cp932::decode(bytes);
}

// Section name of a "[name]" line, or a null string.
QString sectionName(QByteArrayView line)
{
    const QByteArrayView t = line.trimmed();
    if (t.size() < 2 || t.front() != '[')
        return {};
    const qsizetype close = t.indexOf(']');
    if (close < 0)
        return {};
    return decodeText(t.sliced(1, close - 1)).trimmed();
}

// Splits "key=value"; false for comments and lines without "=".
bool keyValue(QByteArrayView line, QString &key, QByteArrayView &value)
{
    const QByteArrayView t = line.trimmed();
    if (t.isEmpty() || t.front() == ';' || t.front() == '[')
        return false;
    const qsizetype eq = t.indexOf('=');
    if (eq <= 0)
        return false;
    key = decodeText(t.first(eq)).trimmed();
    value = t.sliced(eq + 1).trimmed();
    return !key.isEmpty();
}

bool sameName(const QString &a, const QString &b)
{
    return a.compare(b, Qt::CaseInsensitive) == 0;
}

struct Found
{
    bool section = false;
    qsizetype sectionLine = -1;
    qsizetype lastLineOfSection = -1; // last non-blank line of the section
    qsizetype keyLine = -1;
    QByteArrayView value;
};

Found find(const QByteArray &content, const QList<Line> &lines, const QString &section, const QString &key)
{
    Found f;
    bool inSection = false;
    for (qsizetype i = 0; i < lines.size(); ++i) {
        const QByteArrayView text(content.constData() + lines[i].begin, lines[i].end - lines[i].begin);
        const QString name = sectionName(text);
        if (!name.isNull()) {
            if (inSection)
                break; // only the first section of that name counts
            inSection = sameName(name, section);
            if (inSection) {
                f.section = true;
                f.sectionLine = i;
                f.lastLineOfSection = i;
            }
            continue;
        }
        if (!inSection)
            continue;
        if (!text.trimmed().isEmpty())
            f.lastLineOfSection = i;
        QString k;
        QByteArrayView v;
        if (f.keyLine < 0 && !key.isEmpty() && keyValue(text, k, v) && sameName(k, key)) {
            f.keyLine = i;
            f.value = v;
        }
    }
    return f;
}

QByteArray lineBreakOf(const QByteArray &content)
{
    const qsizetype nl = content.indexOf('\n');
    return (nl > 0 && content[nl - 1] == '\r') ? QByteArrayLiteral("\r\n") : QByteArrayLiteral("\n");
}

std::optional<int> parseInteger(const QString &text)
{
    const QString t = text.trimmed();
    bool ok = false;
    int v = 0;
    if (t.startsWith(u'$'))
        v = t.mid(1).toInt(&ok, 16);
    else if (t.startsWith(QLatin1String("0x"), Qt::CaseInsensitive))
        v = t.mid(2).toInt(&ok, 16);
    else
        v = t.toInt(&ok, 10);
    if (!ok)
        return std::nullopt;
    return v;
}

} // namespace

SettingsFile::SettingsFile(QString fileName)
    : m_fileName(std::move(fileName))
{
}

QByteArray SettingsFile::load() const
{
    QFile f(m_fileName);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    return f.readAll();
}

bool SettingsFile::store(const QByteArray &content) const
{
    const QFileInfo info(m_fileName);
    QDir().mkpath(info.absolutePath());
    QSaveFile f(m_fileName);
    if (!f.open(QIODevice::WriteOnly))
        return false;
    if (f.write(content) != content.size()) {
        f.cancelWriting();
        return false;
    }
    return f.commit();
}

QString SettingsFile::readString(const QString &section, const QString &key, const QString &defaultValue) const
{
    const QByteArray content = load();
    const Found f = find(content, splitLines(content), section, key);
    if (f.keyLine < 0)
        return defaultValue;
    QByteArrayView v = f.value;
    // A value in matching quotes is read without them.
    if (v.size() >= 2 && ((v.front() == '"' && v.back() == '"') || (v.front() == '\'' && v.back() == '\'')))
        v = v.sliced(1, v.size() - 2);
    return decodeText(v);
}

int SettingsFile::readInteger(const QString &section, const QString &key, int defaultValue) const
{
    const QString text = readString(section, key, QString());
    return parseInteger(text).value_or(defaultValue);
}

bool SettingsFile::readBool(const QString &section, const QString &key, bool defaultValue) const
{
    return readInteger(section, key, defaultValue ? 1 : 0) != 0;
}

bool SettingsFile::valueExists(const QString &section, const QString &key) const
{
    const QByteArray content = load();
    return find(content, splitLines(content), section, key).keyLine >= 0;
}

bool SettingsFile::sectionExists(const QString &section) const
{
    const QByteArray content = load();
    return find(content, splitLines(content), section, QString()).section;
}

QStringList SettingsFile::readSection(const QString &section) const
{
    const QByteArray content = load();
    const QList<Line> lines = splitLines(content);
    QStringList keys;
    bool inSection = false;
    for (const Line &line : lines) {
        const QByteArrayView text(content.constData() + line.begin, line.end - line.begin);
        const QString name = sectionName(text);
        if (!name.isNull()) {
            if (inSection)
                break;
            inSection = sameName(name, section);
            continue;
        }
        QString k;
        QByteArrayView v;
        if (inSection && keyValue(text, k, v))
            keys.append(k);
    }
    return keys;
}

bool SettingsFile::replaceKey(const QString &section, const QString &key, const QString *value)
{
    QByteArray content = load();
    const QList<Line> lines = splitLines(content);
    const Found f = find(content, lines, section, key);
    const QByteArray br = lineBreakOf(content);
    const QByteArray newLine = value ? key.toUtf8() + '=' + value->toUtf8() : QByteArray();

    if (f.keyLine >= 0) {
        const Line &l = lines[f.keyLine];
        // Rewriting a value as it stands would only cost a synced write:
        // windows store their unchanged places at every close.
        if (value && QByteArrayView(content).sliced(l.begin, l.end - l.begin) == newLine)
            return true;
        if (value)
            content.replace(l.begin, l.end - l.begin, newLine);
        else
            content.remove(l.begin, l.next - l.begin);
        return store(content);
    }
    if (!value)
        return true;
    if (f.section) {
        const Line &l = lines[f.lastLineOfSection];
        if (l.next == l.end) // last line of the file without a line break
            content.insert(l.end, br + newLine + br);
        else
            content.insert(l.next, newLine + br);
        return store(content);
    }
    if (!content.isEmpty()) {
        if (!content.endsWith('\n'))
            content.append(br);
        content.append(br);
    }
    content.append('[' + section.toUtf8() + ']' + br + newLine + br);
    return store(content);
}

bool SettingsFile::writeString(const QString &section, const QString &key, const QString &value)
{
    // One key is one line: a line break in a typed value would otherwise
    // start keys or sections of its own.
    const auto breaks = [](QStringView text) { return text.contains(u'\n') || text.contains(u'\r'); };
    if (breaks(section) || breaks(key) || key.contains(u'=') || section.contains(u']'))
        return false;
    if (!breaks(value))
        return replaceKey(section, key, &value);
    QString oneLine = value;
    oneLine.replace(u'\r', u' ').replace(u'\n', u' ');
    return replaceKey(section, key, &oneLine);
}

bool SettingsFile::writeInteger(const QString &section, const QString &key, int value)
{
    return writeString(section, key, QString::number(value));
}

bool SettingsFile::writeBool(const QString &section, const QString &key, bool value)
{
    return writeString(section, key, value ? QStringLiteral("1") : QStringLiteral("0"));
}

bool SettingsFile::deleteKey(const QString &section, const QString &key)
{
    return replaceKey(section, key, nullptr);
}

bool SettingsFile::eraseSection(const QString &section)
{
    QByteArray content = load();
    const QList<Line> lines = splitLines(content);
    qsizetype from = -1, to = -1;
    for (qsizetype i = 0; i < lines.size(); ++i) {
        const QByteArrayView text(content.constData() + lines[i].begin, lines[i].end - lines[i].begin);
        const QString name = sectionName(text);
        if (name.isNull())
            continue;
        if (from >= 0) {
            to = lines[i].begin;
            break;
        }
        if (sameName(name, section))
            from = lines[i].begin;
    }
    if (from < 0)
        return true;
    content.remove(from, (to < 0 ? content.size() : to) - from);
    return store(content);
}
