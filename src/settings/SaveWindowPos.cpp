#include "settings/SaveWindowPos.h"

#include "settings/AppSettings.h"
#include "settings/SettingKeys.h"
#include "settings/SettingsFile.h"

#include <QApplication>
#include <QDialog>
#include <QEvent>
#include <QHeaderView>
#include <QScreen>
#include <QTabWidget>
#include <QTableView>
#include <QTreeView>
#include <QWidget>

namespace {

const QString kSection = QString::fromLatin1(SettingKeys::WindowPosSection);

QHeaderView *columnHeader(QWidget *w)
{
    if (auto *tree = qobject_cast<QTreeView *>(w))
        return tree->header();
    if (auto *table = qobject_cast<QTableView *>(w))
        return table->horizontalHeader();
    return nullptr;
}

bool hasSortProperties(const QWidget *w)
{
    const QMetaObject *meta = w->metaObject();
    return meta->indexOfProperty("SortMode") >= 0 && meta->indexOfProperty("SortColumn") >= 0;
}

// A window whose every screen overlap is a sliver cannot be reached by the
// user (a monitor that is gone, a resolution that shrank).
bool reachable(const QRect &rect)
{
    for (const QScreen *screen : QGuiApplication::screens()) {
        const QRect overlap = screen->availableGeometry() & rect;
        if (overlap.width() >= qMin(32, rect.width()) && overlap.height() >= qMin(16, rect.height()))
            return true;
    }
    return false;
}

QString joinNumbers(const QList<int> &numbers)
{
    QStringList texts;
    texts.reserve(numbers.size());
    for (int n : numbers)
        texts << QString::number(n);
    return texts.join(u',');
}

} // namespace

TSaveWindowPos::TSaveWindowPos(QWidget *form, const QString &formName)
    : QObject(form)
    , m_form(form)
    , m_formName(formName)
{
    Q_ASSERT(form);
    setObjectName(QStringLiteral("SaveWindowPos1"));
    m_keepSize = qobject_cast<QDialog *>(form) || form->windowFlags().testFlag(Qt::FramelessWindowHint);
    form->installEventFilter(this);
}

QString TSaveWindowPos::formName() const
{
    if (!m_formName.isEmpty() || !m_form)
        return m_formName;
    return m_form->objectName();
}

void TSaveWindowPos::addPart(
    const QString &name, std::function<QString()> save, std::function<void(const QString &)> restore)
{
    m_parts.append({name, std::move(save), std::move(restore)});
}

int TSaveWindowPos::LRDockWidth() const
{
    return m_lrDockWidth > 0 ? m_lrDockWidth : UndockWidth();
}

int TSaveWindowPos::TBDockHeight() const
{
    return m_tbDockHeight > 0 ? m_tbDockHeight : UndockHeight();
}

int TSaveWindowPos::UndockWidth() const
{
    return m_undockWidth > 0 ? m_undockWidth : (m_form ? m_form->width() : 0);
}

int TSaveWindowPos::UndockHeight() const
{
    return m_undockHeight > 0 ? m_undockHeight : (m_form ? m_form->height() : 0);
}

QList<int> TSaveWindowPos::parseFields(const QStringList &fields, const QList<int> &fallbacks)
{
    QList<int> values;
    values.reserve(fields.size());
    for (qsizetype i = 0; i < fields.size(); ++i) {
        bool ok = false;
        const int v = fields.at(i).trimmed().toInt(&ok, 10);
        values << (ok ? v : fallbacks.value(i, 0));
    }
    return values;
}

QList<QWidget *> TSaveWindowPos::ownedParts() const
{
    QList<QWidget *> parts;
    const QList<QWidget *> children = m_form->findChildren<QWidget *>();
    for (QWidget *w : children) {
        const QString name = w->objectName();
        if (name.isEmpty() || name.startsWith(QLatin1String("qt_")) || w->window() != m_form)
            continue;
        if (columnHeader(w) || qobject_cast<QTabWidget *>(w))
            parts << w;
    }
    return parts;
}

void TSaveWindowPos::SavePlacement()
{
    if (!m_form)
        return;
    QWidget *form = m_form;
    const QString f = formName();
    SettingsFile file(Settings().fileName());

    int state = form->windowState().testFlag(Qt::WindowMaximized) ? 2 : 0;
    if (form->isMinimized())
        state = 1;
    QRect normal = form->normalGeometry();
    if (!normal.isValid())
        normal = form->geometry();
    // The minimized and maximized positions have no meaning here; -1 is the
    // platform's "not set".
    file.writeString(kSection, f,
        QStringLiteral("%1,-1,-1,-1,-1,%2,%3,%4,%5")
            .arg(state)
            .arg(normal.left())
            .arg(normal.top())
            .arg(normal.left() + normal.width())
            .arg(normal.top() + normal.height()));

    // Nothing docks, so the dock path is always empty.
    file.writeString(kSection, f + QStringLiteral(".Dock"),
        QStringLiteral(",%1,%2,%3,%4,%5,%6,%7,%8")
            .arg(LRDockWidth())
            .arg(TBDockHeight())
            .arg(UndockWidth())
            .arg(UndockHeight())
            .arg(form->geometry().x())
            .arg(form->geometry().y())
            .arg(form->width())
            .arg(form->height()));

    for (QWidget *w : ownedParts()) {
        const QString key = f + u'.' + w->objectName();
        if (QHeaderView *header = columnHeader(w)) {
            QList<int> widths;
            for (int i = 0; i < header->count(); ++i)
                widths << header->sectionSize(i);
            file.writeString(kSection, key, joinNumbers(widths));
            if (hasSortProperties(w))
                file.writeString(kSection, key + QStringLiteral(".Sort"),
                    QStringLiteral("%1,%2")
                        .arg(w->property("SortMode").toInt())
                        .arg(w->property("SortColumn").toInt()));
        } else if (auto *tabs = qobject_cast<QTabWidget *>(w)) {
            file.writeInteger(kSection, key, tabs->currentIndex());
        }
    }
    for (const Part &part : std::as_const(m_parts))
        if (part.save)
            file.writeString(kSection, f + u'.' + part.name, part.save());
}

void TSaveWindowPos::restoreDefault()
{
    QWidget *form = m_form;
    switch (m_defaultPosition) {
    case dpDesigned:
        break;
    case dpScreenCenter: {
        form->setWindowState(form->windowState() & ~(Qt::WindowMinimized | Qt::WindowMaximized));
        const QScreen *screen = form->screen() ? form->screen() : QGuiApplication::primaryScreen();
        if (!screen)
            break;
        const QRect area = screen->geometry();
        const int left = (area.width() - form->width()) / 2;
        const int top = (area.height() - form->height()) / 2;
        form->setGeometry(area.left() + left, area.top() + top, form->width(), form->height());
        break;
    }
    case dpMinimized:
        form->setWindowState((form->windowState() & ~Qt::WindowMaximized) | Qt::WindowMinimized);
        break;
    case dpMaximized:
        form->setWindowState((form->windowState() & ~Qt::WindowMinimized) | Qt::WindowMaximized);
        break;
    }
}

void TSaveWindowPos::restoreDock(const SettingsFile &file)
{
    const QStringList fields = file.readString(kSection, formName() + QStringLiteral(".Dock"), QString()).split(u',');
    if (fields.size() != 9)
        return;
    const QList<int> values = parseFields(fields, {0, LRDockWidth(), TBDockHeight(), UndockWidth(), UndockHeight()});
    m_lrDockWidth = values.at(1);
    m_tbDockHeight = values.at(2);
    m_undockWidth = values.at(3);
    m_undockHeight = values.at(4);
    // Fields 5 to 8 only matter for a docked window, and field 0 names no
    // dock site in this program, so the window stays where it was placed.
}

void TSaveWindowPos::RestorePlacement()
{
    if (!m_form)
        return;
    m_restored = true;
    QWidget *form = m_form;
    // A window laid out but not yet sized takes its size now, so that it is
    // centred and kept by the size it will show with.
    if (!form->testAttribute(Qt::WA_Resized))
        form->adjustSize();

    SettingsFile file(Settings().fileName());
    const QString f = formName();
    const QString value = file.readString(kSection, f, QString());
    const QStringList fields = value.split(u',');
    if (!value.isEmpty() && fields.size() == 9) {
        QRect current = form->normalGeometry();
        if (!current.isValid())
            current = form->geometry();
        int currentState = 0;
        if (form->windowState().testFlag(Qt::WindowMaximized))
            currentState = 2;
        if (form->windowState().testFlag(Qt::WindowMinimized))
            currentState = 1;
        const QList<int> v = parseFields(fields,
            {currentState, -1, -1, -1, -1, current.left(), current.top(), current.left() + current.width(),
                current.top() + current.height()});
        const int left = v.at(5);
        const int top = v.at(6);
        int width = current.width();
        int height = current.height();
        // In 64 bits: any stored numbers must give a rectangle, never an
        // overflow; one far off every screen is not reachable anyway.
        const qint64 storedWidth = qint64(v.at(7)) - left;
        const qint64 storedHeight = qint64(v.at(8)) - top;
        if (!m_keepSize && storedWidth > 0 && storedHeight > 0 && storedWidth <= QWIDGETSIZE_MAX
            && storedHeight <= QWIDGETSIZE_MAX) {
            width = int(storedWidth);
            height = int(storedHeight);
        }
        const bool inRange = qAbs(qint64(left)) <= QWIDGETSIZE_MAX && qAbs(qint64(top)) <= QWIDGETSIZE_MAX;
        const QRect rect = inRange ? QRect(left, top, width, height) : QRect();
        if (inRange && reachable(rect)) {
            form->setGeometry(rect);
            const int state = v.at(0);
            Qt::WindowStates ws = form->windowState() & ~(Qt::WindowMinimized | Qt::WindowMaximized);
            if (state == 0)
                form->setWindowState(ws);
            else if (state == 2)
                form->setWindowState(ws | Qt::WindowMaximized);
            else if (state == 1 && m_resumeIconic)
                form->setWindowState(ws | Qt::WindowMinimized);
        } else {
            restoreDefault();
        }
    } else {
        restoreDefault();
    }

    restoreDock(file);

    for (QWidget *w : ownedParts()) {
        const QString key = f + u'.' + w->objectName();
        if (QHeaderView *header = columnHeader(w)) {
            const QString widths = file.readString(kSection, key, QString());
            if (!widths.isEmpty()) {
                const QStringList fields = widths.split(u',');
                for (int i = 0; i < fields.size() && i < header->count(); ++i) {
                    bool ok = false;
                    const int width = fields.at(i).trimmed().toInt(&ok, 10);
                    if (ok && width >= 0)
                        header->resizeSection(i, width);
                }
            }
            if (hasSortProperties(w)) {
                const QStringList sort
                    = file.readString(kSection, key + QStringLiteral(".Sort"), QString()).split(u',');
                if (sort.size() == 2) {
                    const QList<int> v
                        = parseFields(sort, {w->property("SortMode").toInt(), w->property("SortColumn").toInt()});
                    w->setProperty("SortMode", v.at(0));
                    w->setProperty("SortColumn", v.at(1));
                }
            }
        } else if (auto *tabs = qobject_cast<QTabWidget *>(w)) {
            const int index = file.readInteger(kSection, key, 0);
            if (index >= 0 && index < tabs->count())
                tabs->setCurrentIndex(index);
        }
    }
    for (const Part &part : std::as_const(m_parts))
        if (part.restore)
            part.restore(file.readString(kSection, f + u'.' + part.name, QString()));
}

bool TSaveWindowPos::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_form) {
        if (event->type() == QEvent::Show && !m_restored)
            RestorePlacement();
        else if (event->type() == QEvent::Hide && !event->spontaneous())
            SavePlacement();
    }
    return QObject::eventFilter(watched, event);
}
