#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QTest>

// The manual pages say what the programs' own usage says: every command,
// argument and option that --help lists has its entry in the page. Both sides
// are read as they are now, so a command added to the usage without a page
// entry fails here.
class TestManPages : public QObject
{
    Q_OBJECT

    static QString helpOf(const QString &program)
    {
        QProcess p;
        p.start(qEnvironmentVariable("TIDEMARK_BIN_DIR") + u'/' + program, {QStringLiteral("--help")});
        if (!p.waitForFinished(30000) || p.exitCode() != 0)
            return {};
        return QString::fromUtf8(p.readAllStandardOutput());
    }

    // The page's source with scdoc's markup taken out: bold, underline and
    // escapes, but not the underscores inside names.
    static QStringList manLines(const QString &page)
    {
        QFile file(qEnvironmentVariable("TIDEMARK_SOURCE_DIR") + QStringLiteral("/share/man/") + page
            + QStringLiteral(".scd"));
        if (!file.open(QIODevice::ReadOnly))
            return {};
        QString text = QString::fromUtf8(file.readAll());
        text.remove(u'*');
        text.replace(QRegularExpression(QStringLiteral("\\\\(.)")), QStringLiteral("\\1"));
        text.remove(QRegularExpression(QStringLiteral("(?<![A-Za-z0-9])_|_(?![A-Za-z0-9])")));
        return text.split(u'\n');
    }

    // The term line of the entry for `word`: an entry is a term line followed
    // by its indented description; the term may list several forms, as in
    // "-h, --help".
    static QString termOf(const QStringList &lines, const QString &word)
    {
        for (qsizetype i = 0; i + 1 < lines.size(); ++i) {
            const QString &line = lines[i];
            if (line.isEmpty() || line.front().isSpace() || !lines[i + 1].startsWith(u'\t'))
                continue;
            for (const QString &form : line.split(QStringLiteral(", "))) {
                if (form.section(u' ', 0, 0).section(u'=', 0, 0) == word)
                    return line;
            }
        }
        return {};
    }

    static QStringList tokens(const QString &synopsis)
    {
        static const QRegularExpression separators(QStringLiteral("[\\s\\[\\]|<>,=]+"));
        return synopsis.split(separators, Qt::SkipEmptyParts);
    }

    // The lines of one "Heading:" block of a usage text.
    static QStringList block(const QString &help, const QString &heading)
    {
        QStringList out;
        bool inside = false;
        for (const QString &line : help.split(u'\n')) {
            if (!line.startsWith(u' ')) {
                inside = line == heading;
                continue;
            }
            if (inside)
                out.append(line);
        }
        return out;
    }

    // tidemark-cli's commands: the synopsis lines, indented by two spaces
    // (their descriptions by more).
    static QStringList cliSynopses()
    {
        QStringList out;
        for (const QString &line : block(helpOf(QStringLiteral("tidemark-cli")), QStringLiteral("Commands:"))) {
            if (line.startsWith(QLatin1String("  ")) && !line.at(2).isSpace())
                out.append(line.trimmed());
        }
        return out;
    }

    // The option columns of an "Options:" block: "-h, --help", "--port <DEVICE>".
    static QStringList optionColumns(const QString &program)
    {
        QStringList out;
        for (const QString &line : block(helpOf(program), QStringLiteral("Options:"))) {
            const QString trimmed = line.trimmed();
            if (trimmed.startsWith(u'-'))
                out.append(trimmed.section(QRegularExpression(QStringLiteral("\\s{2,}")), 0, 0));
        }
        return out;
    }

    static void addOptionRows(const QString &program)
    {
        QTest::addColumn<QString>("page");
        QTest::addColumn<QString>("option");
        QTest::addColumn<QStringList>("arguments");
        for (const QString &column : optionColumns(program)) {
            const QStringList words = tokens(column);
            for (const QString &word : words) {
                if (word.startsWith(u'-'))
                    QTest::newRow(qPrintable(program + u' ' + word)) << program
                            + QStringLiteral(".1") << word << words.filter(QRegularExpression(QStringLiteral("^[^-]")));
            }
        }
    }

private Q_SLOTS:
    // Guards the row generators below: a usage they cannot read would leave
    // them without rows and the checks without a case.
    void usageIsRead()
    {
        const QStringList commands = cliSynopses();
        QVERIFY2(commands.size() >= 4, qPrintable(commands.join(u'\n')));
        QVERIFY(commands.first().startsWith(QLatin1String("convert ")));
        QVERIFY(optionColumns(QStringLiteral("tidemark-cli")).contains(QStringLiteral("--help")));
        QVERIFY(optionColumns(QStringLiteral("tidemark-device")).contains(QStringLiteral("--port <DEVICE>")));
        QVERIFY(manLines(QStringLiteral("tidemark-cli.1")).size() > 50);
    }

    void cliCommand_data()
    {
        QTest::addColumn<QString>("synopsis");
        for (const QString &synopsis : cliSynopses())
            QTest::newRow(qPrintable(synopsis.section(u' ', 0, 0))) << synopsis;
    }

    // The page's synopsis of a command holds every word of the usage's, in
    // the same order; the page may know options that this build lacks.
    void cliCommand()
    {
        QFETCH(QString, synopsis);
        const QStringList lines = manLines(QStringLiteral("tidemark-cli.1"));
        const QStringList usage = tokens(synopsis);
        const QString term = termOf(lines, usage.first());
        QVERIFY2(!term.isEmpty(), qPrintable(QStringLiteral("no entry for ") + usage.first()));
        const QStringList page = tokens(term);
        qsizetype at = 0;
        for (const QString &word : usage) {
            at = page.indexOf(word, at);
            QVERIFY2(at >= 0, qPrintable(QStringLiteral("'%1' missing or out of order in: %2").arg(word, term)));
            ++at;
        }
        for (const QString &word : usage) {
            if (word.startsWith(u'-'))
                QVERIFY2(!termOf(lines, word).isEmpty(), qPrintable(QStringLiteral("option not described: ") + word));
        }
    }

    void cliOption_data() { addOptionRows(QStringLiteral("tidemark-cli")); }
    void deviceOption_data() { addOptionRows(QStringLiteral("tidemark-device")); }
    void cliOption() { optionHasEntry(); }
    void deviceOption() { optionHasEntry(); }

private:
    void optionHasEntry()
    {
        QFETCH(QString, page);
        QFETCH(QString, option);
        QFETCH(QStringList, arguments);
        const QString term = termOf(manLines(page), option);
        QVERIFY2(!term.isEmpty(), qPrintable(QStringLiteral("no entry for ") + option));
        const QStringList words = tokens(term);
        for (const QString &argument : arguments)
            QVERIFY2(words.contains(argument), qPrintable(argument + QStringLiteral(" missing in: ") + term));
    }
};

QTEST_GUILESS_MAIN(TestManPages)
#include "tst_manpages.moc"
