#pragma once

#include <QDialog>
#include <QObject>

class QFrame;
class QLabel;
class QPushButton;

// The About box: "ﾊﾞｰｼﾞｮﾝ情報", the program icon, product name, version,
// author line and comments.
class TAboutBox : public QDialog
{
    Q_OBJECT

public:
    explicit TAboutBox(QWidget *parent = nullptr);

    QFrame *Panel1;
    QLabel *ProgramIcon;
    QLabel *ProductName;
    QLabel *Version;
    QLabel *AuthorLine;
    QLabel *Comments;
    QPushButton *OKButton;
};

// Shows TAboutBox filled from its properties.
//
//     TAboutBoxDlg about;
//     about.setProductName("Tidemark");
//     about.setVersion("Version 2.10");
//     about.setAuthorLine(TidemarkAuthorLine());
//     about.Execute();
class TAboutBoxDlg : public QObject
{
    Q_OBJECT
    Q_PROPERTY(QString ProductName READ ProductName WRITE setProductName)
    Q_PROPERTY(QString Version READ Version WRITE setVersion)
    Q_PROPERTY(QString AuthorLine READ AuthorLine WRITE setAuthorLine)
    Q_PROPERTY(QString Comments READ Comments WRITE setComments)

public:
    explicit TAboutBoxDlg(QObject *parent = nullptr);

    QString ProductName() const { return m_productName; }
    void setProductName(const QString &text) { m_productName = text; }
    QString Version() const { return m_version; }
    void setVersion(const QString &text) { m_version = text; }
    QString AuthorLine() const { return m_authorLine; }
    void setAuthorLine(const QString &text) { m_authorLine = text; }
    QString Comments() const { return m_comments; }
    void setComments(const QString &text) { m_comments = text; }

    // Shows the box modally over the active window; true when closed with
    // OK. An empty ProductName shows the application's title.
    bool Execute();

Q_SIGNALS:
    // The box is filled and about to be shown (tests close it from here).
    void shown(TAboutBox *box);

private:
    QString m_productName;
    QString m_version;
    QString m_authorLine;
    QString m_comments;
};

// The author line of this program's About box.
QString TidemarkAuthorLine();
