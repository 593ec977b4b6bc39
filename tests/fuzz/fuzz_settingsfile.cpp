// The settings-file reader on any file: reads never fail, and a written key
// reads back as written while every other key keeps its value.
#include "FuzzSupport.h"
#include "settings/SettingsFile.h"

#include <algorithm>

namespace {

const QString Sections[] = {QStringLiteral("Option"), QStringLiteral("CSVOption"), QStringLiteral("Ports"),
    QStringLiteral("WindowPos"), QStringLiteral("Default"), QStringLiteral("")};

QList<QPair<QString, QString>> everything(const SettingsFile &f)
{
    QList<QPair<QString, QString>> values;
    for (const QString &section : Sections) {
        for (const QString &key : f.readSection(section))
            values.append({section + u'/' + key, f.readString(section, key, QStringLiteral("<none>"))});
    }
    return values;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QString file = fuzz::path("in.ini");
    const QByteArrayView bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    if (!fuzz::writeFile(file, bytes))
        fuzz::fail("cannot write the input");
    SettingsFile f(file);
    const int choice = bytes.isEmpty() ? 0 : quint8(bytes.back());
    const QString section = Sections[choice % 5];
    const QString key = (choice & 0x80) ? QStringLiteral("Speed") : QStringLiteral("NewKey");
    f.readInteger(section, key, 0);
    f.readBool(section, QStringLiteral("RupAutoOpen"), true);
    f.valueExists(section, key);
    f.sectionExists(section);
    const auto before = everything(f);

    const QString value = QStringLiteral("v%1").arg(size);
    if (!f.writeString(section, key, value))
        fuzz::fail("a write to a plain file failed");
    if (f.readString(section, key, QString()) != value)
        fuzz::fail("a written value does not read back", fuzz::readFile(file));
    SettingsFile fresh(file);
    if (fresh.readString(section, key, QString()) != value)
        fuzz::fail("a written value is not in the file", fuzz::readFile(file));
    auto after = everything(fresh);
    after.removeIf([&](const auto &v) { return v.first.compare(section + u'/' + key, Qt::CaseInsensitive) == 0; });
    auto expected = before;
    expected.removeIf([&](const auto &v) { return v.first.compare(section + u'/' + key, Qt::CaseInsensitive) == 0; });
    if (after != expected)
        fuzz::fail("a write changed other keys", bytes.toByteArray(), fuzz::readFile(file));

    // Of keys that appear twice in a section the first counts; a delete
    // takes that one away.
    const auto count = [&] {
        const QStringList names = f.readSection(section);
        return std::count_if(names.cbegin(), names.cend(),
            [&](const QString &name) { return name.compare(key, Qt::CaseInsensitive) == 0; });
    };
    const auto keys = count();
    if (!f.deleteKey(section, key) || count() != keys - 1)
        fuzz::fail("a delete did not take exactly one key away", fuzz::readFile(file));
    return 0;
}
