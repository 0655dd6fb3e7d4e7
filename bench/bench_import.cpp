// The text import of the 20,000-line supplier file (the corporations of
// Tottori prefecture) in append mode, end to end as the clerk runs it from
// the import form: the file read, every value converted and fitted, the lines
// stored a block at a time, the dates stamped, the generator set, committed.
// Against it, on the same server, database and file, a run that does what the
// original did: a literal delete and a literal insert per line, each prepared
// anew (in one transaction, which only flatters it). Each run replaces the
// suppliers the previous one stored.

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QProcess>
#include <QProgressBar>

#include <cstdio>

#include "bench/BenchSupport.h"
#include "db/Connection.h"
#include "db/Error.h"
#include "db/Query.h"
#include "dialogs/Fonts.h"
#include "dialogs/Modal.h"
#include "dialogs/Unit6.h"
#include "import/TextImport.h"
#include "import/Unit5.h"
#include "suite/Unit2.h"
#include "tests/import/TottoriFile.h"
#include "util/DateFields.h"

namespace {

QString literal(const QVariant& v)
{
    if (!v.isValid() || v.isNull())
        return QStringLiteral("NULL");
    if (v.typeId() == QMetaType::QString)
        return u'\'' + v.toString().replace(QLatin1String("'"), QLatin1String("''")) + u'\'';
    return v.toString();
}

void execute(db::Query& q, const QString& sql)
{
    q.close();
    q.clearSql();
    q.addSql(sql);
    q.execute();
    q.close();
}

// The original's run: one literal statement after another, line by line.
void literalRun(TDM2& dm, TForm_Txt_Con& form)
{
    const QList<textimport::Mapping> mapping = form.Mapping();
    const textimport::Fitting fitting = form.Fitting();
    const QStringList lines = textimport::ReadLines(form.Edit1->text());
    QStringList columns;
    for (const textimport::Mapping& m : mapping)
        columns << m.column;
    db::Connection& suite = dm.FDConnection1;
    db::TransactionGuard transaction(suite);
    form.ProgressBar1->setMaximum(int(lines.size()));
    for (int i = 1; i < lines.size(); ++i) {
        form.ProgressBar1->setValue(i);
        const QStringList values = textimport::SplitValues(lines[i]);
        QStringList literals;
        for (const textimport::Mapping& m : mapping) {
            const QVariant v = textimport::ConvertValue(m, values.value(m.position - 1), fitting);
            if (m.column == QLatin1String("T_CD"))
                execute(dm.FDQ_VORNALIX2,
                        QStringLiteral("delete from MAS_SIIRE where T_CD=%1").arg(v.toInt()));
            literals << literal(v);
        }
        execute(dm.FDQ_VORNALIX, QStringLiteral("Insert into MAS_SIIRE (%1) values (%2)")
                                     .arg(columns.join(u','), literals.join(u',')));
    }
    const QString today = DateToSqlText(QDateTime::currentDateTime(), true);
    execute(dm.FDQ_VORNALIX,
            QStringLiteral("UPDATE MAS_SIIRE set e_date01=%1,e_date02=%1 where e_date01 is null").arg(today));
    db::Query& q = dm.FDQ_VORNALIX;
    q.close();
    q.setSql(QStringLiteral("SELECT MAX(T_CD) AS T_CD from MAS_SIIRE"));
    q.open();
    const int highest = q.field(QStringLiteral("T_CD")).asInteger();
    execute(q, QStringLiteral("SET GENERATOR GYOUSYA_ID TO %1").arg(highest));
    transaction.commit();
}

int suppliers(db::Connection& connection)
{
    db::Query q(connection);
    q.setSql(QStringLiteral("select count(*) as N from MAS_SIIRE"));
    q.open();
    return q.field(QStringLiteral("N")).asInteger();
}

} // namespace

int main(int argc, char* argv[])
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    InstallFontSubstitutions();
    const QString root = QStringLiteral(VELDRUN_BENCH_DIR "/import");
    try {
        QDir(root).removeRecursively();
        QDir().mkpath(root + QStringLiteral("/LOCAL"));
        const QString suitePath = root + QStringLiteral("/VORNALIX.FDB");
        if (QProcess::execute(QStringLiteral(VELDRUN_SUITE_DB_SCRIPT), {suitePath}) != 0) {
            std::fprintf(stderr, "bench_import: cannot make the suite database\n");
            return 1;
        }
        const QString file = root + QStringLiteral("/suppliers.csv");
        const int companies =
            int(testing::WriteTottoriSuppliers(
                    QStringLiteral(VELDRUN_DATA_DIR "/companies/31_tottori_all_20260731.csv"), file)
                    .size());
        if (companies < 20000) {
            std::fprintf(stderr, "bench_import: cannot write the supplier file\n");
            return 1;
        }

        TDM2 dm;
        dm.FDConnection1.params() = bench::suiteParams(suitePath);
        const QString localPath = root + QStringLiteral("/LOCAL/VELDRUN.FDB");
        dm.FDConnection_L.params() = bench::suiteParams(localPath) << QStringLiteral("CreateDatabase=true");
        dm.FDConnection_L.connect();
        dm.FDConnection_L.disconnect();
        dm.FDConnection_L.params() = bench::suiteParams(localPath);

        // The main screen's boxes that long texts are fitted to, at their design widths.
        QWidget screen;
        QFont mincho(QStringLiteral("ＭＳ 明朝"));
        mincho.setPixelSize(19);
        screen.setFont(mincho);
        QLineEdit name(&screen), mail(&screen), mobile(&screen);
        name.setFixedWidth(380);
        mail.setFixedWidth(935);
        mobile.setFixedWidth(160);
        Form6 = new TForm6(&screen);
        auto* form = new TForm_Txt_Con(dm, &screen);
        form->setWidthReferences(&name, &mail, &mobile);
        form->Edit1->setText(file);

        modal::Script noDialogs; // a line reported or an error would show one
        auto importOnce = [&] {
            form->show(); // the mapping, from the file's headings
            QElapsedTimer timer;
            timer.start();
            form->BitBtn1Click();
            return double(timer.nsecsElapsed()) / 1e9;
        };
        importOnce(); // the suppliers are there: every line of the runs below replaces one
        const double blocks = importOnce();
        const bool blocksStored = suppliers(dm.FDConnection1) == companies;

        form->show();
        QElapsedTimer timer;
        timer.start();
        literalRun(dm, *form);
        const double literal = double(timer.nsecsElapsed()) / 1e9;
        const bool literalStored = suppliers(dm.FDConnection1) == companies;
        form->hide();

        if (!blocksStored || !literalStored || noDialogs.shownCount() > 0) {
            std::fprintf(stderr, "bench_import: the runs did not store the file as expected\n");
            return 1;
        }
        std::printf("text_import_20000_lines: %.3f s\n", blocks);
        std::printf("text_import_literal_per_line: %.3f s\n", literal);
        std::printf("text_import_speedup: %.1f x\n", literal / blocks);
        dm.FDConnection1.disconnect();
        dm.FDConnection_L.disconnect();
        QDir(root).removeRecursively();
        return 0;
    } catch (const std::exception& e) {
        std::fprintf(stderr, "bench_import: %s\n", e.what());
        return 1;
    }
}
