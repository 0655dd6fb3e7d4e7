#include <QtTest>

#include <tuple>

#include "postal/PostalFile.h"

// The national postal file as the import reads it, without a database.
class TestPostalFile : public QObject
{
    Q_OBJECT

private slots:
    void cleanFields_data()
    {
        QTest::addColumn<QString>("line");
        QTest::addColumn<QStringList>("fields");
        QTest::newRow("quoted and padded")
            << u"01101,\"060  \",\"0600000\""_qs << QStringList{u"01101"_qs, u"060"_qs, u"0600000"_qs};
        QTest::newRow("a tab separates like a comma")
            << u"13101\t\"100  \",\"東京都\""_qs << QStringList{u"13101"_qs, u"100"_qs, u"東京都"_qs};
        QTest::newRow("full-width blanks stay")
            << u"\"大手町　一丁目\","_qs << QStringList{u"大手町　一丁目"_qs, {}};
        QTest::newRow("a comma in quotes separates too") << u"\"a,b\""_qs << QStringList{u"a"_qs, u"b"_qs};
    }

    void cleanFields()
    {
        QFETCH(QString, line);
        QFETCH(QStringList, fields);
        QCOMPARE(postal::CleanFields(line), fields);
    }

    void linesAndJoinedRecords()
    {
        // Code page 932, ended the way the file was saved, no empty line after the last.
        for (const char* end : {"\r\n", "\n", "\r"})
            QCOMPARE(postal::DecodeLines(QByteArray("a") + end + "\x93\x8c\x8b\x9e" + end),
                     (QStringList{u"a"_qs, u"東京"_qs}));
        const QStringList file = {
            u"01224,,0660005,ﾎｯｶｲﾄﾞｳ,ﾁﾄｾｼ,ｷｮｳﾜ(88-2､,北海道,千歳市,協和（８８－２、,1,0,0,0,0,0"_qs,
            u"01224,,0660005,ﾎｯｶｲﾄﾞｳ,ﾁﾄｾｼ,271-10､,北海道,千歳市,２７１－１０、,1,0,0,0,0,0"_qs,
            u"01224,,0660005,ﾎｯｶｲﾄﾞｳ,ﾁﾄｾｼ,1752ﾊﾞﾝﾁ),北海道,千歳市,１７５２番地）,1,0,0,0,0,0"_qs,
            QString(),
            u"26102,,6028134,ｷｮｳﾄﾌ,ｷｮｳﾄｼ,ｲｯﾁｮｳﾒ,京都府,京都市,一町目（大宮通、,0,0,0,0,0,0"_qs,
            u"26102,,6028134,ｷｮｳﾄﾌ,ｷｮｳﾄｼ,ｲｯﾁｮｳﾒ,京都府,京都市,丸太町通）,0,0,0,0,0,0"_qs,
            u"x,,6028135,,,,京都府,京都市,（未閉,0"_qs,
            u"26102,,6028136,ｷｮｳﾄﾌ,ｷｮｳﾄｼ,ｿﾉﾀ,京都府,京都市,その他,0"_qs,
        };
        const std::vector<postal::Row> rows = postal::ReadRows(file);
        QCOMPARE(rows.size(), size_t(4));
        // Three lines of one code are one row.
        QCOMPARE(rows[0].district, u"協和（８８－２、２７１－１０、１７５２番地）"_qs);
        QCOMPARE(rows[0].reading, u"ﾎｯｶｲﾄﾞｳﾁﾄｾｼｷｮｳﾜ(88-2､271-10､1752ﾊﾞﾝﾁ)"_qs);
        QCOMPARE(std::pair(rows[0].firstLine, rows[0].lastLine), std::pair(1, 3));
        QCOMPARE(rows[0].tikuCd, 1224);
        // A reading repeated on every line is taken once.
        QCOMPARE(rows[1].district, u"一町目（大宮通、丸太町通）"_qs);
        QCOMPARE(rows[1].reading, u"ｷｮｳﾄﾌｷｮｳﾄｼｲｯﾁｮｳﾒ"_qs);
        QCOMPARE(rows[1].firstLine, 5); // after a blank line
        // Another code ends a record left open; a code that is no number is 0.
        QCOMPARE(rows[2].district, u"（未閉"_qs);
        QCOMPARE(rows[2].tikuCd, 0);
        QCOMPARE(rows[3].zip, u"6028136"_qs);
        QCOMPARE(postal::ReadRows({QString(), file.last()}).size(), size_t(1)); // an empty line first
    }

    // A refused file names the line at fault. The national file has no heading:
    // a first line that is not a record is another file, whatever its commas.
    void refusals()
    {
        const QString good = u"01101,,0600000,ﾎ,ｻ,ｲ,北海道,札幌市,中央"_qs;
        for (const auto& [lines, line, message] :
             {std::tuple(QStringList{good, good, u"01101,060,0600000,ﾎ"_qs}, 3,
                         u"3 行目: 項目が足りません"_qs),
              std::tuple(QStringList{good, good, QString(QChar::ReplacementCharacter)}, 3,
                         u"3 行目: コードページ"_qs),
              std::tuple(QStringList{u"コード,区分,郵便番号,ﾖﾐ1,ﾖﾐ2,ﾖﾐ3,県,市,町"_qs, good}, 1, QString()),
              std::tuple(QStringList{u"01101,,060-0000,ﾎ,ｻ,ｲ,北海道,札幌市,中央"_qs}, 1, QString())}) {
            try {
                postal::ReadRows(lines);
                QFAIL("the file was read");
            } catch (const postal::ImportError& e) {
                QCOMPARE(e.line(), line);
                QVERIFY2(e.message().startsWith(message), qPrintable(e.message()));
            }
        }
    }
};

QTEST_GUILESS_MAIN(TestPostalFile)
#include "tst_postalfile.moc"
