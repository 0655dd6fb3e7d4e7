#pragma once

// The text import as its screen tests start it: an installation, the data
// module with the suite and the local database open, the column picker, the
// import form, and a stand-in for the main screen's three boxes whose widths
// long texts are fitted to (at the main screen's design widths and font).
// The suite is checked through a connection of its own, as another
// workstation sees it.

#include "db/Connection.h"
#include "db/Query.h"
#include "dialogs/Fonts.h"
#include "dialogs/MESSAGE_FROM.h"
#include "dialogs/Modal.h"
#include "dialogs/Unit6.h"
#include "import/Unit5.h"
#include "suite/Unit2.h"
#include "tests/support/TestSupport.h"
#include "util/Cp932.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

#include <memory>
#include <stdexcept>

namespace testing {

enum class Encoding { Cp932, Utf8Mark, Utf16LeMark };

// Answers a plain message box with Enter, keeping its text.
inline modal::Script::Responder ok(QStringList* said)
{
    return [said](QDialog& d) {
        if (auto* box = qobject_cast<QMessageBox*>(&d))
            *said << box->text();
        else if (auto* message = qobject_cast<TMASSAGE_FORM*>(&d))
            *said << message->LABEL->text();
        QTest::keyClick(QApplication::focusWidget() ? QApplication::focusWidget() : &d, Qt::Key_Return);
    };
}

class ImportProgram
{
public:
    ImportProgram()
    {
        InstallFontSubstitutions();
        dm.FDConnection1.params() = installation.params();
        // The local scratch database, as the main screen's first showing makes it.
        const QString local = installation.localFolder() + QStringLiteral("/VELDRUN.FDB");
        QDir().mkpath(installation.localFolder());
        dm.FDConnection_L.params() = serverParams(local) << QStringLiteral("CreateDatabase=true");
        dm.FDConnection_L.connect();
        dm.FDConnection_L.disconnect();
        dm.FDConnection_L.params() = serverParams(local);
        m_check.params() = installation.params();

        QFont mincho(QStringLiteral("ＭＳ 明朝"));
        mincho.setPixelSize(19);
        screen.setFont(mincho);
        ED_02_1 = box("ED_02_1", 380);
        E_MAILE = box("E_MAILE", 935);
        ED_12 = box("ED_12", 160);
        Form6 = new TForm6(&screen);
        form = new TForm_Txt_Con(dm, &screen);
        form->setWidthReferences(ED_02_1, E_MAILE, ED_12);
    }

    // A file of the test's, written in the given encoding and line ending.
    QString writeFile(const QString& name, const QStringList& lines, Encoding encoding = Encoding::Cp932,
                      const QString& ending = QStringLiteral("\r\n"))
    {
        const QString text = lines.join(ending) + ending;
        QByteArray bytes;
        switch (encoding) {
        case Encoding::Cp932:
            bytes = cp932::encode(text);
            break;
        case Encoding::Utf8Mark:
            bytes = QByteArray("\xEF\xBB\xBF") + text.toUtf8();
            break;
        case Encoding::Utf16LeMark:
            bytes = QByteArray("\xFF\xFE");
            for (const QChar c : text) {
                bytes += char(c.unicode() & 0xFF);
                bytes += char(c.unicode() >> 8);
            }
            break;
        }
        const QString path = m_files.filePath(name);
        QFile f(path);
        if (!f.open(QIODevice::WriteOnly) || f.write(bytes) != bytes.size())
            throw std::runtime_error("cannot write the test file");
        return path;
    }

    // Shows the form for a file as the import command does (not modally,
    // so that the test can work it); true once it is on screen.
    bool show(const QString& path)
    {
        form->hide();
        form->Edit1->setText(path);
        form->show();
        return QTest::qWaitForWindowExposed(form);
    }

    void execute(const QString& sql)
    {
        db::Query q(m_check);
        q.setSql(sql);
        q.execute();
    }

    // Rows of a select on the suite, each a map of column to value.
    QList<QVariantMap> rows(const QString& sql) { return rowsOf(m_check, sql); }
    QVariantMap supplier(int code)
    {
        return rows(QStringLiteral("select * from MAS_SIIRE where T_CD = %1").arg(code)).value(0);
    }
    int count() { return rows(QStringLiteral("select count(*) as N from MAS_SIIRE")).value(0).value(QStringLiteral("N")).toInt(); }
    // The code a supplier registered now would get.
    int nextCode()
    {
        return rows(QStringLiteral("select GEN_ID(GYOUSYA_ID, 1) as N from RDB$DATABASE")).value(0).value(QStringLiteral("N")).toInt();
    }
    // The file's columns as the mapping stands: "CD NAME01 CD2 RETU_NAME RETU_NAME2 TYPE".
    QStringList columns()
    {
        QStringList lines;
        for (const QVariantMap& r : rowsOf(dm.FDConnection_L, QStringLiteral("select * from SIIRE_CON2 order by CD"))) {
            QStringList values;
            for (const char* c : {"CD", "NAME01", "CD2", "RETU_NAME", "RETU_NAME2", "TYPE"})
                values << (r.value(QLatin1String(c)).isNull() ? QStringLiteral("-") : r.value(QLatin1String(c)).toString());
            lines << values.join(u' ');
        }
        return lines;
    }

    db::Connection& check() { return m_check; }

    Installation installation;
    TDM2 dm;
    QWidget screen;
    QLineEdit* ED_02_1;
    QLineEdit* E_MAILE;
    QLineEdit* ED_12;
    TForm_Txt_Con* form;

private:
    QLineEdit* box(const char* name, int width)
    {
        auto* edit = new QLineEdit(&screen);
        edit->setObjectName(QLatin1String(name));
        edit->setFixedWidth(width);
        return edit;
    }

    static QList<QVariantMap> rowsOf(db::Connection& connection, const QString& sql)
    {
        db::Query q(connection);
        q.setSql(sql);
        q.open();
        QList<QVariantMap> result;
        for (; !q.eof(); q.next()) {
            QVariantMap r;
            for (int i = 0; i < q.fieldCount(); ++i)
                r.insert(q.fieldName(i), q.field(i).value());
            result << r;
        }
        return result;
    }

    db::Connection m_check;
    QTemporaryDir m_files;
};

} // namespace testing
