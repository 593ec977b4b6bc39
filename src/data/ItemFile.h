#pragma once

#include <QString>
#include <functional>

class NoticeList;
class QIODevice;
class TData;

// The binary item file: a 32-byte header, then fixed-size records of the
// version its signature names. Only this module knows the byte layout.
namespace ItemFile {

// Receives what the user should be told about single records; loading goes
// on after each.
using NoticeSink = std::function<void(const QString &notice)>;

// Reads the header and every record from `device` into `data`, which the
// caller has cleared. Raises AppError; `name` is the file named in messages.
void Read(TData &data, QIODevice &device, const QString &name, const NoticeSink &notice);

// Writes the header and every item as a current-version record. Raises
// AppError naming `name`.
void Write(const TData &data, QIODevice &device, const QString &name);

// What the records Write makes differ from the items as the user sees them
// (years outside 1980..2099, titles and memos longer than their fields, values
// beyond a byte): one notice per item, naming each column that changes.
NoticeList SaveChanges(const TData &data);

} // namespace ItemFile
