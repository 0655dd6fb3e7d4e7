#pragma once

// The text import as its screen tests start it: an installation, the data
// module with the suite and the local database open, the column picker, the
// import form, and a stand-in for the main screen's three boxes whose widths
// long texts are fitted to (at the main screen's design widths and font).
// The suite is checked as another workstation sees it.

#include <QDir>
#include <QFile>
#include <QFontMetrics>
#include <QLabel>
#include <QStringEncoder>
#include <QTemporaryDir>

#include <stdexcept>

#include "dialogs/Fonts.h"
#include "dialogs/Unit6.h"
#include "import/Unit5.h"
#include "suite/Unit2.h"
#include "tests/support/ScreenTesting.h"
#include "tests/support/TestSupport.h"
#include "util/Cp932.h"

namespace testing {

enum class Encoding { Cp932, Utf8Mark, Utf16LeMark };

class ImportProgram
{
public:
    ImportProgram()
    {
        InstallFontSubstitutions();
        dm.FDConnection1.params() = installation.params();
        // The local scratch database, as the main screen's first showing makes it.
        const QString local = installation.localFolder() + u"/VELDRUN.FDB"_qs;
        QDir().mkpath(installation.localFolder());
        dm.FDConnection_L.params() = serverParams(local) << u"CreateDatabase=true"_qs;
        dm.FDConnection_L.connect();
        dm.FDConnection_L.disconnect();
        dm.FDConnection_L.params() = serverParams(local);

        QFont mincho(u"ＭＳ 明朝"_qs);
        mincho.setPixelSize(19);
        screen.setFont(mincho);
        for (const auto& [box, name, width] :
             {std::tuple(&ED_02_1, "ED_02_1", 380), std::tuple(&E_MAILE, "E_MAILE", 935),
              std::tuple(&ED_12, "ED_12", 160)}) {
            *box = new QLineEdit(&screen);
            (*box)->setObjectName(QLatin1String(name));
            (*box)->setFixedWidth(width);
        }
        Form6 = new TForm6(&screen);
        form = new TForm_Txt_Con(dm, &screen);
        form->setWidthReferences(ED_02_1, E_MAILE, ED_12);
    }

    // A file of the test's, written in the given encoding and line ending.
    QString writeFile(const QString& name, const QStringList& lines, Encoding encoding = Encoding::Cp932,
                      const QString& ending = u"\r\n"_qs)
    {
        const QString text = lines.join(ending) + ending;
        QStringEncoder marked(encoding == Encoding::Utf8Mark ? QStringConverter::Utf8
                                                             : QStringConverter::Utf16LE,
                              QStringConverter::Flag::WriteBom);
        const QByteArray bytes = encoding == Encoding::Cp932 ? cp932::encode(text) : QByteArray(marked(text));
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

    // Presses 取　込, answering each message with Enter; returns what they said.
    QStringList run(int messages = 0)
    {
        return answering([&] { QTest::mouseClick(form->BitBtn1, Qt::LeftButton); },
                         QList<Responder>(messages, press(Qt::Key_Return)));
    }

    QVariantMap supplier(int code)
    {
        return suite.rows(u"select * from MAS_SIIRE where T_CD = %1"_qs.arg(code)).value(0);
    }
    QString name(int code) { return supplier(code).value(u"T_NAME01"_qs).toString(); }
    int count() { return suite.value(u"select count(*) from MAS_SIIRE"_qs).toInt(); }
    // The code a supplier registered now would get.
    int nextCode() { return suite.value(u"select GEN_ID(GYOUSYA_ID, 1) from RDB$DATABASE"_qs).toInt(); }

    // The stored text is what is left of full once characters are removed
    // from its end until it fits the box (whole when it fits).
    bool fitted(const QString& stored, const QString& full, const QWidget* box) const
    {
        const QFontMetrics metrics(form->L_MOJI->font());
        return !stored.isEmpty() && full.startsWith(stored) &&
               metrics.horizontalAdvance(stored) <= box->width() &&
               (stored == full || metrics.horizontalAdvance(full.left(stored.size() + 1)) > box->width());
    }

    Installation installation;
    SuiteSql suite{installation.params()};
    TDM2 dm;
    QWidget screen;
    QLineEdit* ED_02_1 = nullptr;
    QLineEdit* E_MAILE = nullptr;
    QLineEdit* ED_12 = nullptr;
    TForm_Txt_Con* form = nullptr;

private:
    QTemporaryDir m_files;
};

} // namespace testing
