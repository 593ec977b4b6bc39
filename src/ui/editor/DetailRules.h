#pragma once

#include "data/DateValue.h"
#include "data/ItemRec.h"

#include <QString>

// The item editor's rules that need no widget: the week label, the title
// option's unit, the byte limits of the title and the memo, and the reading
// of a day field.
namespace DetailRules {

// "今週" when the week of `today` has the chosen parity (1 odd, 2 even),
// "来週" when it has the other one, empty for every week (0).
QString BiweeklyCaption(int weekParity, DateValue today);

// Unit shown behind the issue number for a title option index, and whether
// the number applies to that option at all.
QString TitleDiffUnit(int titleOpt);
bool TitleDiffEnabled(int titleOpt);

// The memo as the item holds it (lines joined by CR LF) and as an edit shows
// it (lines joined by LF).
QString MemoToEditor(const QString &memoText);
QString EditorToMemo(const QString &editorText);

// Bytes the edit's text takes in the item: code page 932, a line break
// counted as CR LF.
qsizetype MemoBytes(const QString &editorText);

// True when every character has a code page 932 form and the text fits.
bool FitsTitle(const QString &text);
bool FitsMemo(const QString &editorText);

// A day field's text read as a whole number; no value for anything else
// (pasted letters, a lone sign).
std::optional<int> FieldNumber(const QString &text);

} // namespace DetailRules
