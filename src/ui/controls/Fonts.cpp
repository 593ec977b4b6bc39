#include "ui/controls/Fonts.h"

#include "settings/SettingKeys.h"
#include "settings/SettingsFile.h"

#include <QFontDatabase>
#include <QStringList>
#include <span>

namespace {

QString firstInstalled(const QStringList &candidates)
{
    const QStringList families = QFontDatabase::families();
    for (const QString &c : candidates)
        if (families.contains(c, Qt::CaseInsensitive))
            return c;
    return candidates.isEmpty() ? QString() : candidates.first();
}

// Windows faces that stored settings and dialogs name, by the installed
// family that stands in for them.
const char16_t *const ProportionalFaces[]
    = {u"ＭＳ Ｐゴシック", u"MS PGothic", u"ＭＳ Ｐ明朝", u"MS PMincho", u"MS UI Gothic", u"MS Sans Serif", u"System"};
const char16_t *const MonospaceFaces[] = {u"ＭＳ ゴシック", u"MS Gothic", u"ＭＳ 明朝", u"MS Mincho"};

bool listed(const QString &face, std::span<const char16_t *const> faces)
{
    for (const char16_t *name : faces)
        if (face.compare(QStringView(name), Qt::CaseInsensitive) == 0)
            return true;
    return false;
}

} // namespace

QString JapaneseUiFamily()
{
    static const QString family = firstInstalled({QStringLiteral("Noto Sans CJK JP"), QStringLiteral("Noto Sans JP"),
        QStringLiteral("IPAPGothic"), QStringLiteral("VL PGothic"), QStringLiteral("Droid Sans Fallback")});
    return family;
}

QString JapaneseFixedFamily()
{
    static const QString family = firstInstalled({QStringLiteral("Noto Sans Mono CJK JP"), QStringLiteral("IPAGothic"),
        QStringLiteral("VL Gothic"), QStringLiteral("Noto Sans CJK JP")});
    return family;
}

void InstallFontSubstitutes()
{
    const QString ui = JapaneseUiFamily();
    const QString fixed = JapaneseFixedFamily();
    for (const char16_t *name : ProportionalFaces)
        QFont::insertSubstitution(QString::fromUtf16(name), ui);
    for (const char16_t *name : MonospaceFaces)
        QFont::insertSubstitution(QString::fromUtf16(name), fixed);
}

QFont WindowsFont(const QString &face, int height)
{
    QFont font(face);
    // Windows heights are pixels; a positive height includes the internal
    // leading, which for these faces is about a fifth of the cell.
    font.setPixelSize(height < 0 ? -height : qMax(1, height * 4 / 5));
    return DisplayFont(font);
}

QFont DisplayFont(QFont font)
{
    const QString face = font.family();
    if (listed(face, ProportionalFaces))
        font.setFamilies({JapaneseUiFamily()});
    else if (listed(face, MonospaceFaces))
        font.setFamilies({JapaneseFixedFamily()});
    return font;
}

void LoadFontSettings(QFont &font, const SettingsFile &settings)
{
    font.setFamily(ReadSetting(settings, SettingKeys::FontName, font.family()));
    const int size = ReadSetting(settings, SettingKeys::FontSize);
    if (size > 0)
        font.setPointSize(size);
    const QString style = ReadSetting(settings, SettingKeys::FontStyle);
    font.setBold(style.contains(QStringLiteral("Bold")));
    font.setItalic(style.contains(QStringLiteral("Italic")));
    font.setUnderline(false);
    font.setStrikeOut(false);
}
