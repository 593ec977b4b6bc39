#pragma once

#include "data/ItemRec.h"

#include <QByteArray>
#include <QString>
#include <array>
#include <memory>
#include <vector>

class NoticeList;
class QIODevice;
class SettingsFile;

// The 32-byte header of the item file: the signature and the device-side
// operation settings. Bytes other than the named ones are carried unchanged.
struct THeadRec
{
    static constexpr int Size = 32;
    static constexpr int SignatureSize = 9;

    std::array<quint8, Size> Bytes {};

    // Bytes 0..8 up to the first NUL.
    QByteArray Signature() const;
    // Writes "TideMk20" and a NUL into bytes 0..8.
    void SetCurrentSignature();

    quint8 DateDsp() const { return Bytes[9]; }
    void SetDateDsp(quint8 v) { Bytes[9] = v; }
    quint8 InputSbjct() const { return Bytes[10]; }
    void SetInputSbjct(quint8 v) { Bytes[10] = v; }
    quint8 UpdateSbjct() const { return Bytes[11]; }
    void SetUpdateSbjct(quint8 v) { Bytes[11] = v; }
    quint8 TableLines() const { return Bytes[12]; }
    void SetTableLines(quint8 v) { Bytes[12] = v; }
    quint8 DetailLines() const { return Bytes[13]; }
    void SetDetailLines(quint8 v) { Bytes[13] = v; }
    quint8 CursorMode() const { return Bytes[14]; }
    void SetCursorMode(quint8 v) { Bytes[14] = v; }
    quint8 NoSpace() const { return Bytes[16]; }
    void SetNoSpace(quint8 v) { Bytes[16] = v; }
    // Signed: the default before-period of new items.
    qint8 DefBefore() const { return qint8(Bytes[17]); }
    void SetDefBefore(int v) { Bytes[17] = quint8(v); }
    // Signed: -1 (255) and any value with the sign bit set = until marked done.
    qint8 DefAfter() const { return qint8(Bytes[18]); }
    void SetDefAfter(int v) { Bytes[18] = quint8(v); }
    quint8 DetailTitle() const { return Bytes[19]; }
    void SetDetailTitle(quint8 v) { Bytes[19] = v; }
    quint8 IrregCount() const { return Bytes[20]; }
    void SetIrregCount(quint8 v) { Bytes[20] = v; }
    quint8 TableMode() const { return Bytes[21]; }
    void SetTableMode(quint8 v) { Bytes[21] = v; }
    quint8 FirstMode() const { return Bytes[22]; }
    void SetFirstMode(quint8 v) { Bytes[22] = v; }

    friend bool operator==(const THeadRec &, const THeadRec &) = default;
};

// Signatures of the three item file versions, by FileVersion.
extern const char *const FileSignatures[3];
// Record size of each version, by FileVersion.
inline constexpr int ItemRecordSizes[3] = {160, 80, 64};

// The document: the ordered collection of items (it owns them), the item
// file's header, the version of the last loaded item file and the CSV
// settings. Collection order is file order; nothing here limits the number of
// items.
//
// Loads and saves raise AppError with the message the user sees; notices
// about single records are shown through the notifier and loading goes on.
class TData
{
public:
    // Header defaults come from `settings`, which must outlive the collection.
    explicit TData(SettingsFile &settings);
    ~TData();

    TData(const TData &) = delete;
    TData &operator=(const TData &) = delete;

    THeadRec Head;
    quint8 FileVersion = 0;
    bool SpaceQuote = true;
    char QuoteChar = '"';
    char CommaChar = ',';
    QString CRChar = QStringLiteral("\n");

    // The plain list operations. Indexes must be valid.
    int count() const { return int(m_items.size()); }
    bool isEmpty() const { return m_items.empty(); }
    TItemRec *at(int index) const { return m_items[size_t(index)].get(); }
    // -1 when `item` is not in the collection.
    int indexOf(const TItemRec *item) const;
    TItemRec *append(std::unique_ptr<TItemRec> item);
    TItemRec *insert(int index, std::unique_ptr<TItemRec> item);
    // Puts `item` at `index` and frees the item that was there.
    TItemRec *replace(int index, std::unique_ptr<TItemRec> item);
    // Takes the item out of the collection without freeing it.
    std::unique_ptr<TItemRec> take(int index);
    void removeAt(int index);
    // Frees `item` and removes it; the rest keep their order.
    void RemoveItem(TItemRec *item);
    // Frees every item and resets the header to the stored defaults.
    void Clear();

    // Head from the stored defaults, FileVersion 0.
    void ResetHead();
    void LoadHeadDefaults(THeadRec &head) const;
    void SaveHeadDefaults(const THeadRec &head) const;
    static void LoadHeadDefaults(const SettingsFile &settings, THeadRec &head);
    static void SaveHeadDefaults(SettingsFile &settings, const THeadRec &head);

    // CSV when the extension is ".csv" in any letter case, else the item
    // file. A missing file loads as an empty document. A load that fails
    // leaves the collection empty with the default header; a save that fails
    // leaves the previous file as it was. What the user should know about
    // single items (records left out, dates that could not be read, what the
    // item file cannot hold) is told once, after the command, through the
    // notifier.
    void LoadFromFile(const QString &path);
    void SaveToFile(const QString &path);

    // One record of the version in FileVersion, appended unless skipped.
    // Bytes the stream no longer holds read as zero. Returns what the user
    // should be told about the record, empty when nothing.
    QString ReadItemRecord(QIODevice &stream);
    // One record of the current version.
    void WriteItemRecord(QIODevice &stream, const TItemRec &item) const;
    // The 160 bytes WriteItemRecord writes.
    static void EncodeItemRecord(const TItemRec &item, char *record);

    void LoadCsv(const QString &path, NoticeList &notices);
    void SaveCsv(const QString &path) const;
    // The header line for the current CSV settings, in code page 932.
    QByteArray CsvHeaderLine() const;

    static bool IsCsvPath(const QString &path);

private:
    void loadItemFile(const QString &path, NoticeList &notices);
    void saveItemFile(const QString &path);

    SettingsFile &m_settings;
    std::vector<std::unique_ptr<TItemRec>> m_items;
};

// The CSV column titles, and an item's text in each column.
QStringList CsvColumnTitles();
QStringList CsvColumnTexts(const TItemRec &item);

// Copies section "CSVOption" of `settings` into the CSV fields of `data`.
void ApplyCSVOption(TData &data, const SettingsFile &settings);
