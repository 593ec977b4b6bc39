#pragma once

class TData;
class TItemRec;
class TSortListItem;
class TSortListView;

// The collection's edit operations that need the item editor or a prompt.
// They live beside the editor so that the collection itself draws nothing.
//
// Each runs its dialog modally (parented to the list's window when a list is
// given) and changes the collection only when the dialog ends with OK or the
// prompt with Yes. A list or row given is kept in step with the collection;
// without one only the collection changes.

// Editor "自動ToDoの追加" with the display period preset from the header;
// on OK the item is appended with a new row. True when an item was added.
bool AddItem(TData &data, TSortListView *rows = nullptr);

// Editor "自動ToDoの複写して追加" loaded with `source`, which stays as it
// was; on OK a new item is appended at the end with its row.
bool CopyAddItem(TData &data, const TItemRec &source, TSortListView *rows = nullptr);

// Editor "自動ToDoの修正" on `item`. On OK the item is rewritten, even when
// nothing differs; when the kind changed it is replaced, at the same
// position, by an item of the new kind, and `row` is rewired to it.
bool UpdateItem(TData &data, TItemRec *item, TSortListItem *row = nullptr);

// Asks "<title>を削除します。よろしいですか？" (Yes/No); on Yes frees the
// item and deletes its row.
bool DeleteItem(TData &data, TItemRec *item, TSortListItem *row = nullptr);
