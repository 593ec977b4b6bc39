#pragma once

#include <QObject>
#include <QPointer>
#include <QString>
#include <functional>

class QWidget;
class SettingsFile;

// Remembers a top-level window between runs in section "WindowPos" of the
// settings file: placement and state, the docking sizes, the column widths
// of its list views, the sort order of its sortable lists and the active
// page of its tab widgets.
//
// A window attaches one at the end of its constructor:
//
//     auto *pos = new TSaveWindowPos(this);   // keys named after objectName()
//     pos->RestorePlacement();                // optional: else at first show
//
// Restore runs once: explicitly, or at the window's first show. Save runs
// every time the window is hidden by closing it (for a dialog: OK, Cancel,
// Esc or the close box alike); minimizing does not save.
//
// Parts are the window's descendants with an object name (not starting
// with "qt_") that belong to the window itself:
//  - a QTreeView / QTableView: key F.name = all column widths, "w0,w1,...";
//    one that has integer properties "SortMode" and "SortColumn" also
//    F.name.Sort = "mode,column" (restored without sorting);
//  - a QTabWidget: key F.name = index of the current page.
// Other state can be added with addPart().
class TSaveWindowPos : public QObject
{
    Q_OBJECT

public:
    enum TDefaultPosition { dpDesigned, dpScreenCenter, dpMinimized, dpMaximized };
    Q_ENUM(TDefaultPosition)

    // `form` must be a window; it owns the component. `formName` (default:
    // the form's objectName()) is F, the start of every key.
    explicit TSaveWindowPos(QWidget *form, const QString &formName = QString());

    TDefaultPosition DefaultPosition() const { return m_defaultPosition; }
    void setDefaultPosition(TDefaultPosition position) { m_defaultPosition = position; }
    bool ResumeIconic() const { return m_resumeIconic; }
    void setResumeIconic(bool on) { m_resumeIconic = on; }

    // Whether the window keeps its own size when restored (only the position
    // is taken). Default: true for dialogs and frameless windows.
    bool keepsDesignedSize() const { return m_keepSize; }
    void setKeepsDesignedSize(bool on) { m_keepSize = on; }

    QString formName() const;

    // Extra state saved under F + "." + name: `save` returns the value,
    // `restore` receives the stored one (empty when there is none).
    void addPart(const QString &name, std::function<QString()> save, std::function<void(const QString &)> restore);

    void RestorePlacement();
    void SavePlacement();
    bool restored() const { return m_restored; }

    // The docking sizes; nothing docks here, but they are kept in the file.
    int LRDockWidth() const;
    int TBDockHeight() const;
    int UndockWidth() const;
    int UndockHeight() const;

    // Splits a stored value into integers: each field that is not a decimal
    // number takes the matching fallback (or 0 past the fallbacks' end).
    static QList<int> parseFields(const QStringList &fields, const QList<int> &fallbacks);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    struct Part
    {
        QString name;
        std::function<QString()> save;
        std::function<void(const QString &)> restore;
    };

    QList<QWidget *> ownedParts() const;
    void restoreDefault();
    void restoreDock(const SettingsFile &file);

    QPointer<QWidget> m_form;
    QString m_formName;
    TDefaultPosition m_defaultPosition = dpScreenCenter;
    bool m_resumeIconic = false;
    bool m_keepSize = false;
    bool m_restored = false;
    int m_lrDockWidth = 0;
    int m_tbDockHeight = 0;
    int m_undockWidth = 0;
    int m_undockHeight = 0;
    QList<Part> m_parts;
};
