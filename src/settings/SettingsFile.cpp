#include "settings/SettingsFile.h"

#include "data/TextCodec.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QSaveFile>
#include <QStringDecoder>
#include <algorithm>
#include <optional>
#include <unordered_map>

#ifdef Q_OS_UNIX
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace {

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

bool isAscii(QByteArrayView bytes)
{
    return std::all_of(bytes.begin(), bytes.end(), [](char c) { return uchar(c) < 0x80; });
}

// ASCII key names, compared without regard to case where they stand in the
// file: no copy of each name, which counts on a file of millions of keys.
struct AsciiNoCase
{
    size_t operator()(QByteArrayView name) const
    {
        size_t h = 14695981039346656037ull;
        for (char c : name)
            h = (h ^ uchar(c >= 'A' && c <= 'Z' ? c + 32 : c)) * 1099511628211ull;
        return h;
    }
    bool operator()(QByteArrayView a, QByteArrayView b) const
    {
        return a.size() == b.size() && qstrnicmp(a.data(), a.size(), b.data(), b.size()) == 0;
    }
};

// Splits a "key=value" line: an ASCII key name as it stands, any other one
// case-folded in UTF-8 in `folded`. False for comments and lines without "=".
bool keyLine(QByteArrayView line, QByteArrayView &ascii, QByteArray &folded, QByteArrayView &value)
{
    const QByteArrayView t = line.trimmed();
    if (t.isEmpty() || t.front() == ';' || t.front() == '[')
        return false;
    const qsizetype eq = t.indexOf('=');
    if (eq <= 0)
        return false;
    const QByteArrayView raw = t.first(eq).trimmed();
    if (isAscii(raw)) {
        ascii = raw;
        folded.clear();
    } else {
        const QString name = decodeText(raw).trimmed();
        if (name.isEmpty())
            return false;
        ascii = {};
        folded = name.toCaseFolded().toUtf8();
    }
    value = t.sliced(eq + 1).trimmed();
    return true;
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

// What tells an unchanged file: size, modification and change times, inode.
struct Stamp
{
    qint64 size = -1;
    qint64 mtimeNs = 0;
    qint64 ctimeNs = 0;
    quint64 inode = 0;
    quint64 device = 0;
    bool operator==(const Stamp &) const = default;
};

enum class Access { Missing, Regular, Unusable };

#ifdef Q_OS_UNIX
Stamp stampOf(const struct stat &st)
{
    Stamp s;
    s.size = st.st_size;
    s.mtimeNs = qint64(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec;
    s.ctimeNs = qint64(st.st_ctim.tv_sec) * 1000000000 + st.st_ctim.tv_nsec;
    s.inode = st.st_ino;
    s.device = st.st_dev;
    return s;
}

Access statFile(const QByteArray &path, Stamp &stamp)
{
    struct stat st
    {
    };
    if (::stat(path.constData(), &st) != 0)
        return errno == ENOENT ? Access::Missing : Access::Unusable;
    if (!S_ISREG(st.st_mode))
        return Access::Unusable;
    stamp = stampOf(st);
    return Access::Regular;
}

// Reads the whole file, deciding by the open itself: being root (who may
// read a mode 0200 file) or not, a file that does not open is not ours.
Access readFile(const QByteArray &path, QByteArray &content, Stamp &stamp)
{
    Stamp before;
    const Access access = statFile(path, before);
    if (access != Access::Regular)
        return access;
    // Non-blocking, so that a FIFO put there after the check cannot hang us.
    const int fd = ::open(path.constData(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0)
        return errno == ENOENT ? Access::Missing : Access::Unusable;
    struct stat st
    {
    };
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        return Access::Unusable;
    }
    stamp = stampOf(st);
    content.clear();
    content.reserve(qsizetype(st.st_size));
    char buffer[1 << 16];
    for (;;) {
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0) {
            ::close(fd);
            return Access::Unusable;
        }
        if (n == 0)
            break;
        content.append(buffer, qsizetype(n));
    }
    ::close(fd);
    return Access::Regular;
}
#else
Access statFile(const QByteArray &path, Stamp &stamp)
{
    const QFileInfo info(QFile::decodeName(path));
    if (!info.exists())
        return Access::Missing;
    if (!info.isFile())
        return Access::Unusable;
    stamp.size = info.size();
    stamp.mtimeNs = info.lastModified().toMSecsSinceEpoch() * 1000000;
    stamp.ctimeNs = info.metadataChangeTime().toMSecsSinceEpoch() * 1000000;
    return Access::Regular;
}

Access readFile(const QByteArray &path, QByteArray &content, Stamp &stamp)
{
    const Access access = statFile(path, stamp);
    if (access != Access::Regular)
        return access;
    QFile f(QFile::decodeName(path));
    if (!f.open(QIODevice::ReadOnly))
        return Access::Unusable;
    content = f.readAll();
    return f.error() == QFile::NoError ? Access::Regular : Access::Unusable;
}
#endif

qint64 nowNs()
{
    return QDateTime::currentMSecsSinceEpoch() * 1000000;
}

// File times come from a clock that may lag the real one by a tick. A file
// modified this close to our read could change again without a new time,
// so its stamp alone cannot vouch for it.
constexpr qint64 RacyNs = 100 * qint64(1000000);

// True when the file's times are older than that, also the change time,
// which a write that sets the modification time back still moves.
bool settled(const Stamp &stamp, qint64 readStartNs)
{
    return qMax(stamp.mtimeNs, stamp.ctimeNs) < readStartNs - RacyNs;
}

} // namespace

struct SettingsFile::Snapshot
{
    struct Line
    {
        qsizetype begin = 0; // offset of the line in the content
        qsizetype end = 0; // offset past the line's text (before its line break)
        qsizetype next = 0; // offset of the following line
    };
    struct KeyLine
    {
        Line line;
        QByteArrayView value;
    };
    struct Keys
    {
        // The first line of a name counts.
        std::unordered_map<QByteArrayView, KeyLine, AsciiNoCase, AsciiNoCase> byAsciiName;
        QHash<QByteArray, KeyLine> byFoldedName; // names with other characters
        Line lastLine; // last non-blank line of the section, the header at least
    };
    struct Section
    {
        Line header;
        qsizetype end = 0; // start of the next section's header, or the content's end
        mutable std::optional<Keys> keys; // built at the first look inside
        mutable std::optional<QStringList> names; // key names in file order, when asked for
    };

    QByteArray content;
    Stamp stamp;
    bool exists = false;
    bool trusted = false; // the stamp alone tells whether the file changed
    QList<Section> sections; // every header, in file order
    QHash<QString, qsizetype> first; // case-folded name -> first section of that name

    Snapshot(QByteArray bytes, Stamp fileStamp, bool fileExists, qint64 readStartNs)
        : content(std::move(bytes))
        , stamp(fileStamp)
        , exists(fileExists)
        , trusted(fileExists && settled(stamp, readStartNs))
    {
        parse();
    }

    QByteArrayView text(const Line &l) const { return QByteArrayView(content).sliced(l.begin, l.end - l.begin); }

    Line lineAt(qsizetype pos) const
    {
        Line line;
        line.begin = pos;
        const qsizetype nl = content.indexOf('\n', pos);
        if (nl < 0) {
            line.end = line.next = content.size();
        } else {
            line.end = (nl > pos && content[nl - 1] == '\r') ? nl - 1 : nl;
            line.next = nl + 1;
        }
        return line;
    }

    // One pass for the section headers only; the keys of a section are
    // looked at when it is first asked for.
    void parse()
    {
        for (qsizetype pos = 0; pos < content.size();) {
            const Line line = lineAt(pos);
            pos = line.next;
            const QByteArrayView t = text(line).trimmed();
            if (t.isEmpty() || t.front() != '[')
                continue;
            const QString name = sectionName(t);
            if (name.isNull())
                continue;
            if (!sections.isEmpty())
                sections.back().end = line.begin;
            Section section;
            section.header = line;
            section.end = content.size();
            const QString folded = name.toCaseFolded();
            if (!first.contains(folded)) // only the first section of a name counts
                first.insert(folded, sections.size());
            sections.append(section);
        }
    }

    const Section *section(const QString &name) const
    {
        const auto it = first.constFind(name.toCaseFolded());
        return it == first.constEnd() ? nullptr : &sections[*it];
    }

    const Keys &keysOf(const Section &s) const
    {
        if (!s.keys) {
            Keys keys;
            keys.lastLine = s.header;
            for (qsizetype pos = s.header.next; pos < s.end;) {
                const Line line = lineAt(pos);
                pos = line.next;
                const QByteArrayView t = text(line);
                if (t.trimmed().isEmpty())
                    continue;
                keys.lastLine = line;
                QByteArrayView ascii;
                QByteArray folded;
                QByteArrayView v;
                if (!keyLine(t, ascii, folded, v))
                    continue;
                if (folded.isEmpty())
                    keys.byAsciiName.try_emplace(ascii, KeyLine {line, v});
                else if (!keys.byFoldedName.contains(folded))
                    keys.byFoldedName.insert(folded, KeyLine {line, v});
            }
            s.keys = std::move(keys);
        }
        return *s.keys;
    }

    const QStringList &namesOf(const Section &s) const
    {
        if (!s.names) {
            QStringList names;
            for (qsizetype pos = s.header.next; pos < s.end;) {
                const Line line = lineAt(pos);
                pos = line.next;
                QString k;
                QByteArrayView v;
                if (keyValue(text(line), k, v))
                    names.append(k);
            }
            s.names = std::move(names);
        }
        return *s.names;
    }

    const KeyLine *key(const QString &sectionName, const QString &keyName) const
    {
        const Section *s = section(sectionName);
        if (!s)
            return nullptr;
        const Keys &keys = keysOf(*s);
        const QByteArray folded = keyName.toCaseFolded().toUtf8();
        const auto other = keys.byFoldedName.constFind(folded);
        const KeyLine *found = other == keys.byFoldedName.constEnd() ? nullptr : &*other;
        if (isAscii(folded)) {
            // A name like "ſpeed" folds to an ASCII one: the earlier line counts.
            const auto it = keys.byAsciiName.find(QByteArrayView(folded));
            if (it != keys.byAsciiName.end() && (!found || it->second.line.begin < found->line.begin))
                found = &it->second;
        }
        return found;
    }
};

SettingsFile::SettingsFile(QString fileName)
    : m_fileName(std::move(fileName))
{ }

std::shared_ptr<const SettingsFile::Snapshot> SettingsFile::current() const
{
    const QByteArray path = QFile::encodeName(m_fileName);
    Stamp stamp;
    const Access now = statFile(path, stamp);
    if (now == Access::Unusable)
        return nullptr;
    if (now == Access::Missing) {
        if (!m_cache || m_cache->exists)
            m_cache = std::make_shared<const Snapshot>(QByteArray(), Stamp(), false, 0);
        return m_cache;
    }
    if (m_cache && m_cache->exists && m_cache->trusted && m_cache->stamp == stamp)
        return m_cache;

    const qint64 readStart = nowNs();
    QByteArray content;
    const Access read = readFile(path, content, stamp);
    if (read == Access::Unusable)
        return nullptr;
    if (read == Access::Missing)
        content.clear();
    if (m_cache && m_cache->exists == (read == Access::Regular) && m_cache->stamp == stamp
        && m_cache->content == content && !m_cache->trusted) {
        // Same bytes as last time: keep what was parsed of them.
        auto same = std::make_shared<Snapshot>(*m_cache);
        same->trusted = settled(stamp, readStart);
        m_cache = std::move(same);
        return m_cache;
    }
    m_cache = std::make_shared<const Snapshot>(std::move(content), stamp, read == Access::Regular, readStart);
    return m_cache;
}

bool SettingsFile::store(const QByteArray &content)
{
    const QFileInfo info(m_fileName);
    QDir().mkpath(info.absolutePath());
    QSaveFile f(m_fileName);
    if (!f.open(QIODevice::WriteOnly))
        return false;
    const qint64 writeStart = nowNs();
    if (f.write(content) != content.size()) {
        f.cancelWriting();
        return false;
    }
    if (!f.commit()) {
        m_cache.reset();
        return false;
    }
    // What we wrote is what a read would find: no need to read it back.
    Stamp stamp;
    if (statFile(QFile::encodeName(m_fileName), stamp) == Access::Regular && stamp.size == content.size())
        m_cache = std::make_shared<const Snapshot>(content, stamp, true, writeStart);
    else
        m_cache.reset();
    return true;
}

QString SettingsFile::readString(const QString &section, const QString &key, const QString &defaultValue) const
{
    const auto file = current();
    const Snapshot::KeyLine *found = file ? file->key(section, key) : nullptr;
    if (!found)
        return defaultValue;
    QByteArrayView v = found->value;
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
    const auto file = current();
    return file && file->key(section, key);
}

bool SettingsFile::sectionExists(const QString &section) const
{
    const auto file = current();
    return file && file->section(section);
}

QStringList SettingsFile::readSection(const QString &section) const
{
    const auto file = current();
    const Snapshot::Section *s = file ? file->section(section) : nullptr;
    return s ? file->namesOf(*s) : QStringList();
}

bool SettingsFile::replaceKey(const QString &section, const QString &key, const QString *value)
{
    const auto file = current();
    if (!file)
        return false;
    QByteArray content = file->content;
    const QByteArray br = lineBreakOf(content);
    const QByteArray newLine = value ? key.toUtf8() + '=' + value->toUtf8() : QByteArray();

    if (const Snapshot::KeyLine *found = file->key(section, key)) {
        const Snapshot::Line &l = found->line;
        // Rewriting a value as it stands would only cost a synced write:
        // windows store their unchanged places at every close.
        if (value && file->text(l) == newLine)
            return true;
        if (value)
            content.replace(l.begin, l.end - l.begin, newLine);
        else
            content.remove(l.begin, l.next - l.begin);
        return store(content);
    }
    if (!value)
        return true;
    if (const Snapshot::Section *s = file->section(section)) {
        const Snapshot::Line &l = file->keysOf(*s).lastLine;
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
    const auto file = current();
    if (!file)
        return false;
    const Snapshot::Section *s = file->section(section);
    if (!s)
        return true;
    QByteArray content = file->content;
    content.remove(s->header.begin, s->end - s->header.begin);
    return store(content);
}
