#include "data/Data.h"

#include "data/AppError.h"
#include "data/DocumentSaveFile.h"
#include "data/ItemFile.h"
#include "data/Notifier.h"
#include "settings/AppSettings.h"
#include "settings/SettingKeys.h"
#include "settings/SettingsFile.h"

#include <QFile>
#include <QFileInfo>
#include <algorithm>
#include <cstring>
#include <new>

// --- THeadRec ---

QByteArray THeadRec::Signature() const
{
    const auto *c = reinterpret_cast<const char *>(Bytes.data());
    return QByteArray(c, qsizetype(qstrnlen(c, SignatureSize)));
}

void THeadRec::SetCurrentSignature()
{
    std::fill_n(Bytes.begin(), SignatureSize, quint8(0));
    std::memcpy(Bytes.data(), FileSignatures[0], std::strlen(FileSignatures[0]));
}

// --- collection ---

TData::TData(SettingsFile &settings)
    : m_settings(settings)
{
    ResetHead();
}

TData::~TData() = default;

int TData::indexOf(const TItemRec *item) const
{
    for (size_t i = 0; i < m_items.size(); ++i)
        if (m_items[i].get() == item)
            return int(i);
    return -1;
}

TItemRec *TData::append(std::unique_ptr<TItemRec> item)
{
    m_items.push_back(std::move(item));
    return m_items.back().get();
}

TItemRec *TData::insert(int index, std::unique_ptr<TItemRec> item)
{
    auto it = m_items.insert(m_items.begin() + index, std::move(item));
    return it->get();
}

TItemRec *TData::replace(int index, std::unique_ptr<TItemRec> item)
{
    m_items[size_t(index)] = std::move(item);
    return m_items[size_t(index)].get();
}

std::unique_ptr<TItemRec> TData::take(int index)
{
    std::unique_ptr<TItemRec> item = std::move(m_items[size_t(index)]);
    m_items.erase(m_items.begin() + index);
    return item;
}

void TData::removeAt(int index)
{
    m_items.erase(m_items.begin() + index);
}

void TData::RemoveItem(TItemRec *item)
{
    const int index = indexOf(item);
    if (index >= 0)
        removeAt(index);
}

void TData::Clear()
{
    ResetHead();
    m_items.clear();
}

// --- header ---

void TData::ResetHead()
{
    LoadHeadDefaults(Head);
    FileVersion = 0;
}

void TData::LoadHeadDefaults(THeadRec &head) const
{
    LoadHeadDefaults(m_settings, head);
}

void TData::SaveHeadDefaults(const THeadRec &head) const
{
    SaveHeadDefaults(m_settings, head);
}

void TData::LoadHeadDefaults(const SettingsFile &settings, THeadRec &head)
{
    THeadRec read;
    const QString hex = ReadSetting(settings, SettingKeys::Head);
    const qsizetype pairs = std::min<qsizetype>(THeadRec::Size, hex.size() / 2);
    for (qsizetype i = 0; i < pairs; ++i) {
        bool ok = false;
        const QStringView pair = QStringView(hex).mid(2 * i, 2);
        // Only two plain hex digits count; a sign or a space makes the pair 0.
        const bool digits = std::all_of(pair.begin(), pair.end(),
            [](QChar c) { return (c >= u'0' && c <= u'9') || (c >= u'A' && c <= u'F') || (c >= u'a' && c <= u'f'); });
        const uint v = digits ? pair.toUInt(&ok, 16) : 0;
        read.Bytes[size_t(i)] = ok ? quint8(v) : 0;
    }
    read.SetCurrentSignature();
    head = read;
}

void TData::SaveHeadDefaults(SettingsFile &settings, const THeadRec &head)
{
    const QByteArray bytes(reinterpret_cast<const char *>(head.Bytes.data()), THeadRec::Size);
    WriteSetting(settings, SettingKeys::Head, QString::fromLatin1(bytes.toHex().toUpper()));
}

// --- load and save ---

bool TData::IsCsvPath(const QString &path)
{
    return QFileInfo(path).suffix().compare(QLatin1String("csv"), Qt::CaseInsensitive) == 0;
}

void TData::LoadFromFile(const QString &path)
{
    Clear();
    if (!QFileInfo::exists(path))
        return;
    // Items read before an error must not stay behind: a later save would
    // write items the user never saw.
    NoticeList notices;
    try {
        if (IsCsvPath(path))
            LoadCsv(path, notices);
        else
            loadItemFile(path, notices);
    } catch (const std::bad_alloc &) {
        Clear();
        throw AppError(QStringLiteral("メモリが足りません"));
    } catch (...) {
        Clear();
        throw;
    }
    Notifier::instance().showNotices(notices);
}

void TData::SaveToFile(const QString &path)
{
    if (IsCsvPath(path))
        SaveCsv(path);
    else
        saveItemFile(path);
}

void TData::loadItemFile(const QString &path, NoticeList &notices)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw AppError(FileErrorMessage(FileAction::Open, path));
    ItemFile::Read(*this, file, path, [&notices](const QString &notice) { notices.add(notice); });
}

void TData::saveItemFile(const QString &path)
{
    DocumentSaveFile file(path);
    file.open();
    if (FileVersion != 0)
        Head.SetCurrentSignature();
    ItemFile::Write(*this, file.device(), path);
    file.commit();
    Notifier::instance().showNotices(ItemFile::SaveChanges(*this));
}

// --- CSV settings ---

void ApplyCSVOption(TData &data, const SettingsFile &settings)
{
    data.CommaChar = char(ReadSetting(settings, SettingKeys::CommaChar) & 0xFF);
    data.QuoteChar = char(ReadSetting(settings, SettingKeys::QuoteChar) & 0xFF);
    // One character cannot both separate and quote: what was written would
    // read back as something else.
    if (data.QuoteChar == data.CommaChar) {
        data.CommaChar = char(SettingKeys::CommaChar.defaultValue);
        data.QuoteChar = char(SettingKeys::QuoteChar.defaultValue);
    }
    const QString cr = ReadSetting(settings, SettingKeys::CRChar);
    // An empty text would write every memo as one line, its breaks lost.
    data.CRChar = cr == u"LF" || cr.isEmpty() ? QStringLiteral("\n") : cr;
    data.SpaceQuote = ReadSetting(settings, SettingKeys::SpaceQuote);
}
