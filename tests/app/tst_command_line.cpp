// The rules of the command line: which job the arguments ask for, what is
// refused, the summary line, the progress lines and the heading match the
// supplier import runs with. The jobs themselves: tst_jobs.

#include <QTest>

#include <tuple>

#include "app/CommandLine.h"
#include "import/TextImport.h"

using namespace cli;

class TestCommandLine : public QObject
{
    Q_OBJECT

private slots:
    // Which job the arguments ask for: file|append|first|replace|name|address|trade, or
    // "!" and the start of the error.
    void arguments()
    {
        for (const auto& [arguments, job, expected] :
             {std::tuple(QStringList(), Job::None, u"||||||0"_qs),
              std::tuple(QStringList{u"--import-postal"_qs, u"KEN_ALL.CSV"_qs}, Job::ImportPostal,
                         u"KEN_ALL.CSV||||||0"_qs),
              std::tuple(
                  QStringList{u"--first-line-is-data"_qs, u"--import-suppliers=a b.csv"_qs, u"--append"_qs},
                  Job::ImportSuppliers, u"a b.csv|1|1||||0"_qs),
              std::tuple(QStringList{u"--export-suppliers"_qs, u"out.csv"_qs, u"--name"_qs, u"O'Hara"_qs,
                                     u"--address=鳥取県"_qs, u"--trade"_qs, u"101"_qs,
                                     u"--replace-unmappable"_qs},
                         Job::ExportSuppliers, u"out.csv|||1|O'Hara|鳥取県|101"_qs),
              std::tuple(QStringList{u"--bogus"_qs}, Job::None, u"!unknown option --bogus"_qs),
              std::tuple(QStringList{u"--check"_qs, u"--import-postal"_qs, u"x"_qs}, Job::Check,
                         u"!one job at a time"_qs),
              std::tuple(QStringList{u"--export-suppliers"_qs, u"x"_qs, u"--append"_qs}, Job::ExportSuppliers,
                         u"!--append is an option of --import-suppliers"_qs),
              std::tuple(QStringList{u"--print-list-pdf"_qs, u"x"_qs, u"--trade"_qs, u"abc"_qs},
                         Job::PrintListPdf, u"!--trade needs a trade-type code"_qs)}) {
            const Options o = ParseArguments(arguments);
            const QString said = arguments.join(u' ');
            QVERIFY2(o.job == job && AsksForJob(arguments) == (job != Job::None), qPrintable(said));
            if (expected.startsWith(u'!')) {
                QVERIFY2(o.error.startsWith(expected.mid(1)), qPrintable(said + u": "_qs + o.error));
                continue;
            }
            const auto flag = [](bool on) {
                return on ? u"1"_qs : QString();
            };
            const QString got =
                QStringList({o.file, flag(o.append), flag(o.firstLineIsData), flag(o.replaceUnmappable),
                             o.name, o.address, QString::number(o.tradeType)})
                    .join(u'|');
            QVERIFY2(o.error.isEmpty() && got == expected, qPrintable(said + u": "_qs + o.error + got));
        }
    }

    void helpListsEveryOption()
    {
        QVERIFY(ParseArguments({u"-h"_qs}).help);
        for (const char* option : {"--first-line-is-data", "--replace-unmappable", "--quit-after-start"})
            QVERIFY2(Usage().contains(QLatin1String(option)), option);
    }

    void summaryLine()
    {
        QCOMPARE(SummaryLine({124617, 124617, 0, 12.345, {{u"lines"_qs, u"124825"_qs}}}),
                 u"read=124617 stored=124617 skipped=0 seconds=12.35 lines=124825"_qs);
    }

    void progressOffATerminalIsALinePerTenth()
    {
        QStringList written;
        Progress p(u"import-postal"_qs, false, [&](const QString& s) { written << s; });
        for (int done = 0; done <= 1000; done += 7)
            p.update(done, 1000);
        p.update(1000, 1000);
        p.update(500, 1000); // a step back writes nothing
        p.finish();
        QCOMPARE(written.size(), 11);
        QCOMPARE(written[3], u"import-postal: 30% (301/1000)\n"_qs);
    }

    void headingMatchOfTheSupplierImport()
    {
        using textimport::Mapping;
        const auto columns = [](const QList<Mapping>& mapping) {
            QStringList c;
            for (const Mapping& m : mapping)
                c << QString::number(m.position) + u':' + m.column;
            return c.join(u' ');
        };
        // In field-code order whatever the file's order; unknown headings are left out.
        const QList<Mapping> m =
            textimport::MatchHeadings({u"住所１"_qs, u"メモ"_qs, u"仕入先CD"_qs, u"仕入先名１"_qs});
        QCOMPARE(columns(m), u"3:T_CD 4:T_NAME01 1:T_ADD_1"_qs);
        QVERIFY(textimport::CheckMapping(m).isEmpty());
        // A half-width 1 is another heading; two columns for one field are refused.
        QVERIFY(!textimport::CheckMapping(textimport::MatchHeadings({u"仕入先名1"_qs})).isEmpty());
        const QList<Mapping> twice =
            textimport::MatchHeadings({u"仕入先名１"_qs, u"TEL"_qs, u"仕入先名１"_qs});
        QCOMPARE(columns(twice), u"1:T_NAME01 3:T_NAME01 2:T_TEL"_qs);
        QVERIFY(textimport::CheckMapping(twice).contains(u"仕入先名１"_qs));
    }
};

QTEST_GUILESS_MAIN(TestCommandLine)
#include "tst_command_line.moc"
