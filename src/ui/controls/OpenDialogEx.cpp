#include "ui/controls/OpenDialogEx.h"

#include "ui/controls/HelpWindow.h"

#include <QCoreApplication>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLibraryInfo>
#include <QPushButton>
#include <QTranslator>

namespace {

// "*.*" means every file here, as it does on Windows, not only names with
// a dot.
QString qtPattern(const QString &pattern)
{
    return pattern == u"*.*" ? QStringLiteral("*") : pattern;
}

} // namespace

TOpenDialogEx::TOpenDialogEx(QWidget *parent)
    : QFileDialog(parent)
{
    // Only Qt's own dialog lets a button be placed among its controls.
    setOption(QFileDialog::DontUseNativeDialog, true);
    setOption(QFileDialog::DontConfirmOverwrite, true);
    setOption(QFileDialog::HideNameFilterDetails, true);
    setFileMode(QFileDialog::AnyFile);
    setAcceptMode(QFileDialog::AcceptOpen);

    Panel = new QWidget(this);
    Panel->setObjectName(QStringLiteral("Panel"));
    auto *panelLayout = new QHBoxLayout(Panel);
    panelLayout->setContentsMargins(0, 0, 0, 0);
    OptButton = new QPushButton(Panel);
    OptButton->setObjectName(QStringLiteral("OptButton"));
    // Enter keeps confirming the file name.
    OptButton->setAutoDefault(false);
    OptButton->setMinimumSize(88, 23);
    panelLayout->addWidget(OptButton);
    connect(OptButton, &QPushButton::clicked, this, [this] { DoButtonClick(); });

    // Below the standard controls, at their right edge (under OK / Cancel).
    if (auto *grid = qobject_cast<QGridLayout *>(layout()))
        grid->addWidget(Panel, grid->rowCount(), 0, 1, grid->columnCount(), Qt::AlignRight);
    else if (layout())
        layout()->addWidget(Panel);
}

TOpenDialogEx::~TOpenDialogEx() = default;

QString TOpenDialogEx::ButtonCaption() const
{
    return OptButton->text();
}

void TOpenDialogEx::setButtonCaption(const QString &caption)
{
    OptButton->setText(caption);
}

QStringList TOpenDialogEx::convertFilter(const QString &filter)
{
    // Qt matches the patterns in the last parentheses and, with the details
    // hidden, shows what stands before them: the description as given.
    QStringList result;
    const QStringList parts = filter.split(u'|');
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        QStringList patterns = parts.at(i + 1).split(u';', Qt::SkipEmptyParts);
        for (QString &p : patterns)
            p = qtPattern(p.trimmed());
        result << QStringLiteral("%1 (%2)").arg(parts.at(i).trimmed(), patterns.join(u' '));
    }
    return result;
}

void TOpenDialogEx::setFilter(const QString &filter)
{
    setNameFilters(convertFilter(filter));
}

int TOpenDialogEx::FilterIndex() const
{
    const QString selected = selectedNameFilter();
    const QStringList filters = nameFilters();
    for (qsizetype i = 0; i < filters.size(); ++i) {
        const QString &f = filters.at(i);
        // With the details hidden, Qt names the filter by its description.
        if (f == selected || f.left(f.lastIndexOf(u'(')).simplified() == selected)
            return int(i) + 1;
    }
    return 0;
}

void TOpenDialogEx::setFilterIndex(int index)
{
    const QStringList filters = nameFilters();
    if (index >= 1 && index <= filters.size())
        selectNameFilter(filters.at(index - 1));
}

QString TOpenDialogEx::FileName() const
{
    return m_fileName;
}

void TOpenDialogEx::setFileName(const QString &name)
{
    m_fileName = name;
    if (name.contains(u'*') || name.contains(u'?')) {
        // A pattern preset picks the filter that has it.
        const QString pattern = qtPattern(name);
        const QStringList filters = nameFilters();
        for (const QString &f : filters) {
            const qsizetype open = f.lastIndexOf(u'(');
            if (open >= 0 && f.endsWith(u')')
                && f.sliced(open + 1, f.size() - open - 2).split(u' ').contains(pattern)) {
                selectNameFilter(f);
                break;
            }
        }
        return;
    }
    if (!name.isEmpty())
        selectFile(name);
}

void TOpenDialogEx::setHelpContext(int context)
{
    SetHelpContext(this, context);
}

bool TOpenDialogEx::Execute()
{
    if (exec() != QDialog::Accepted)
        return false;
    const QStringList files = selectedFiles();
    if (files.isEmpty() || files.constFirst().isEmpty())
        return false;
    m_fileName = files.constFirst();
    return true;
}

void TOpenDialogEx::DoButtonClick()
{
    Q_EMIT OnButtonClick(this);
}

TSaveDialogEx::TSaveDialogEx(QWidget *parent)
    : TOpenDialogEx(parent)
{
    setAcceptMode(QFileDialog::AcceptSave);
}

void InstallQtTranslations()
{
    static QTranslator *translator = nullptr;
    if (translator)
        return;
    translator = new QTranslator(QCoreApplication::instance());
    if (translator->load(QStringLiteral("qtbase_ja"), QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QCoreApplication::installTranslator(translator);
}
