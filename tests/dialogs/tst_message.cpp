#include <QApplication>
#include <QFontInfo>
#include <QLabel>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QScreen>
#include <QTemporaryDir>
#include <QTimer>
#include <QWindow>
#include <QtTest>

#include <stdexcept>

#include "db/Error.h"
#include "dialogs/Fonts.h"
#include "dialogs/MESSAGE_FROM.h"
#include "dialogs/Messages.h"
#include "dialogs/Modal.h"
#include "util/Log.h"

namespace {

// A keystroke goes to the control with the focus, else to the dialog.
void type(QDialog& dialog, Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
{
    QWidget* focused = QApplication::focusWidget();
    QTest::keyClick(focused && focused->window() == &dialog ? focused : &dialog, key, modifiers);
}

// Shows the message form through ShowMessageDialog with one scripted answer.
void showMessage(int mode, const QString& text, int expected, const modal::Script::Responder& answer,
                 QWidget* centreOn = nullptr)
{
    modal::Script script;
    script.answer(answer);
    QCOMPARE(ShowMessageDialog(mode, text, centreOn), expected);
    QVERIFY2(script.verify().isEmpty(), qPrintable(script.verify()));
}

// Horizontal centre of a child in the dialog's coordinates, doubled (no rounding).
int doubledCentre(const QWidget* w)
{
    return 2 * w->x() + w->width();
}

// The form as laid out for text: one line of text, the buttons below it
// (Yes left, the pair or the OK button centred), all inside a window sized for it.
void checkLayout(QDialog& dialog, const QString& text)
{
    TMASSAGE_FORM& f = *MASSAGE_FORM;
    QCOMPARE(QFontInfo(f.LABEL->font()).family(), QStringLiteral("IPAMincho"));
    QVERIFY(f.LABEL->width() >= f.LABEL->fontMetrics().horizontalAdvance(text));
    QVERIFY(f.LABEL->height() < 2 * f.LABEL->fontMetrics().height());
    QVERIFY(f.LABEL->x() > 0 && f.LABEL->geometry().right() < dialog.width());
    QVERIFY(f.BitBtn1->y() > f.LABEL->geometry().bottom());
    QVERIFY(f.BitBtn1->x() > 0 && f.BitBtn1->geometry().bottom() < dialog.height());
    if (f.BitBtn2->isVisible()) {
        QCOMPARE(f.BitBtn1->y(), f.BitBtn2->y());
        QVERIFY(f.BitBtn1->geometry().right() < f.BitBtn2->x());
        QVERIFY(qAbs(doubledCentre(f.BitBtn1) + doubledCentre(f.BitBtn2) - 2 * dialog.width()) <= 4);
    } else {
        QVERIFY(qAbs(doubledCentre(f.BitBtn1) - dialog.width()) <= 2);
    }
    QCOMPARE(dialog.size(), dialog.minimumSize()); // sized for the text, not by hand
    QCOMPARE(dialog.size(), dialog.maximumSize());
    QCOMPARE(f.Memo1->toPlainText(), text);
}

} // namespace

class TestMessageDialog : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        InstallFontSubstitutions();
        QGuiApplication::setApplicationDisplayName(QStringLiteral("仕入先マスター登録"));
        MASSAGE_FORM = new TMASSAGE_FORM;
    }
    void init() { QTest::failOnWarning(QRegularExpression(QStringLiteral("^modal::Script"))); }
    void cleanupTestCase()
    {
        delete MASSAGE_FORM;
        QVERIFY(!MASSAGE_FORM);
    }

    void designFacesAreMappedToIpaFonts();
    void questionModes_data();
    void questionModes();
    void longMessageWidensTheDialog();
    void centresOnTheCallersWindowOrTheScreen();
    void plainMessageAndErrorBoxGoThroughTheSeam();
    void errorsShowTheirTextAndKeepTheirDetails();
    void unansweredDialogsAreReportedNotHung();
};

void TestMessageDialog::designFacesAreMappedToIpaFonts()
{
    InstallFontSubstitutions(); // a second call changes nothing
    const QList<std::pair<QString, QString>> faces{
        {QStringLiteral("ＭＳ 明朝"), QStringLiteral("IPAMincho")},
        {QStringLiteral("ＭＳ Ｐ明朝"), QStringLiteral("IPAPMincho")},
        {QStringLiteral("ＭＳ Ｐゴシック"), QStringLiteral("IPAPGothic")}};
    for (const auto& [designFace, face] : faces) {
        QCOMPARE(QFont::substitutes(designFace), QStringList{face.toLower()}); // Qt lower-cases them
        QCOMPARE(QFontInfo(QFont(designFace)).family(), face);
    }
}

void TestMessageDialog::questionModes_data()
{
    QTest::addColumn<int>("mode");
    QTest::addColumn<QKeySequence>("keys"); // none: the close box
    QTest::addColumn<int>("result");

    QTest::newRow("mode 1: Enter answers No") << 1 << QKeySequence(Qt::Key_Return) << 2;
    QTest::newRow("mode 2: Enter answers Yes") << 2 << QKeySequence(Qt::Key_Return) << 1;
    QTest::newRow("mode 1: Alt+Y answers Yes") << 1 << QKeySequence(Qt::ALT | Qt::Key_Y) << 1;
    QTest::newRow("mode 2: Alt+N answers No") << 2 << QKeySequence(Qt::ALT | Qt::Key_N) << 2;
    QTest::newRow("mode 1: Y on a button answers Yes") << 1 << QKeySequence(Qt::Key_Y) << 1;
    QTest::newRow("mode 2: N on a button answers No") << 2 << QKeySequence(Qt::Key_N) << 2;
    QTest::newRow("mode 1: Tab to Yes, Enter") << 1 << QKeySequence(Qt::Key_Tab, Qt::Key_Return) << 1;
    QTest::newRow("mode 2: Tab to No, Space") << 2 << QKeySequence(Qt::Key_Tab, Qt::Key_Space) << 2;
    QTest::newRow("mode 2: Esc answers No") << 2 << QKeySequence(Qt::Key_Escape) << 2;
    QTest::newRow("mode 2: close box answers No") << 2 << QKeySequence() << 2;
    // After a question: the hidden No button answers to nothing.
    QTest::newRow("notice: only Enter answers")
        << 0 << QKeySequence(Qt::ALT | Qt::Key_N, Qt::Key_N, Qt::Key_Y, Qt::Key_Return) << 1;
    QTest::newRow("notice: Esc is not OK") << 0 << QKeySequence(Qt::Key_Escape) << 2;
}

void TestMessageDialog::questionModes()
{
    QFETCH(int, mode);
    QFETCH(QKeySequence, keys);
    QFETCH(int, result);

    MessageDialogAnswer = 1; // from an earlier showing
    const QString text = QStringLiteral("登録しますか？");
    const auto respond = [&](QDialog& dialog) {
        QCOMPARE(&dialog, MASSAGE_FORM);
        QVERIFY(dialog.isActiveWindow());
        QCOMPARE(MessageDialogAnswer, 0);
        TMASSAGE_FORM& f = *MASSAGE_FORM;
        QCOMPARE(f.BitBtn2->isVisible(), mode != MessageNotice);
        QCOMPARE(f.BitBtn1->text(),
                 mode == MessageNotice ? QStringLiteral("ＯＫ") : QStringLiteral("はい &Y"));
        QCOMPARE(f.BitBtn1->isDefault(), mode != MessageAskDefaultNo);
        QCOMPARE(f.BitBtn2->isDefault(), mode == MessageAskDefaultNo);
        QCOMPARE(QApplication::focusWidget(), mode == MessageAskDefaultNo ? f.BitBtn2 : f.BitBtn1);
        checkLayout(dialog, text);
        if (keys.isEmpty())
            dialog.windowHandle()->close();
        for (int i = 0; i < keys.count(); ++i)
            type(dialog, keys[i].key(), keys[i].keyboardModifiers());
    };
    showMessage(mode, text, result, respond);
    QCOMPARE(MessageDialogAnswer, result == 1 ? 1 : 0);
    QCOMPARE(MessageDialogMode, MessageNotice); // whoever comes next gets a notice
    QVERIFY(!MASSAGE_FORM->isVisible());
}

void TestMessageDialog::longMessageWidensTheDialog()
{
    // Wider than the form as designed: the layout must make room for all of it.
    const QString text =
        QStringLiteral("株式会社山田建設工業（本社・東京都千代田区丸の内一丁目）に工種をセットしますか？");
    for (const int mode : {MessageNotice, MessageAskDefaultYes}) {
        showMessage(mode, text, 1, [&](QDialog& dialog) {
            checkLayout(dialog, text);
            type(dialog, Qt::Key_Return);
        });
    }
}

void TestMessageDialog::centresOnTheCallersWindowOrTheScreen()
{
    QWidget mainForm;
    mainForm.setGeometry(40, 30, 700, 500);
    mainForm.show();
    QVERIFY(QTest::qWaitForWindowExposed(&mainForm));

    QPoint centre;
    const auto recordCentre = [&](QDialog& dialog) {
        centre = dialog.frameGeometry().center();
        type(dialog, Qt::Key_Return);
    };
    showMessage(MessageAskDefaultNo, QStringLiteral("業者を統合しますか？"), 2, recordCentre, &mainForm);
    QVERIFY((centre - mainForm.frameGeometry().center()).manhattanLength() <= 2);
    // The request lasts one showing; the next one is centred on the screen again.
    showMessage(MessageNotice, QStringLiteral("削除しました。"), 1, recordCentre);
    QVERIFY((centre - MASSAGE_FORM->screen()->availableGeometry().center()).manhattanLength() <= 2);
}

void TestMessageDialog::plainMessageAndErrorBoxGoThroughTheSeam()
{
    modal::Script script;
    const auto expectBox = [&](QMessageBox::Icon icon, const QString& text) {
        script.answer([icon, text](QDialog& dialog) {
            auto* box = qobject_cast<QMessageBox*>(&dialog);
            QVERIFY(box);
            QCOMPARE(box->windowTitle(), QStringLiteral("仕入先マスター登録"));
            QCOMPARE(box->text(), text);
            QCOMPARE(box->textFormat(), Qt::PlainText); // texts quote what the user typed
            QCOMPARE(box->icon(), icon);
            QCOMPARE(box->standardButtons(), QMessageBox::Ok);
            type(dialog, Qt::Key_Return);
        });
    };
    expectBox(QMessageBox::NoIcon, QStringLiteral("エラー: <T_CD> & 'x'"));
    expectBox(QMessageBox::Critical, QStringLiteral("Table unknown MAS_SIIRE"));
    ShowPlainMessage(QStringLiteral("エラー: <T_CD> & 'x'"));
    ShowErrorBox(QStringLiteral("Table unknown MAS_SIIRE"));

    QVERIFY2(script.verify().isEmpty(), qPrintable(script.verify()));
}

// Whatever was thrown, the clerk reads a text, and the SQLSTATE, the server's
// code and the statement are in the box's details and in the log.
void TestMessageDialog::errorsShowTheirTextAndKeepTheirDetails()
{
    QTemporaryDir state;
    qputenv("XDG_STATE_HOME", state.path().toUtf8());
    QCOMPARE(LogFilePath(), state.path() + QStringLiteral("/veldrun/veldrun.log"));

    const db::Error server(QStringLiteral("Table unknown\nMAS_SIIREX"), QStringLiteral("42S02"), 335544580,
                           QStringLiteral("select * from MAS_SIIREX where T_NAME01 = 'O''Neil'"));
    struct Shown
    {
        QString text, details;
        QMessageBox::Icon icon;
    };
    QList<Shown> shown;
    modal::Script script;
    for (int i = 0; i < 4; ++i)
        script.answer([&shown](QDialog& dialog) {
            auto& box = static_cast<QMessageBox&>(dialog);
            shown << Shown{box.text(), box.detailedText(), box.icon()};
            type(dialog, Qt::Key_Return);
        });
    ShowError(std::make_exception_ptr(server));
    ShowError(std::make_exception_ptr(server), ErrorBox::Plain, QStringLiteral("エラー: %1"));
    ShowError(std::make_exception_ptr(42)); // what catch (...) holds
    ShowError(std::make_exception_ptr(std::runtime_error("")));
    QVERIFY2(script.verify().isEmpty(), qPrintable(script.verify()));

    QCOMPARE(shown.size(), 4);
    QCOMPARE(shown[0].text, server.message());
    QCOMPARE(shown[0].icon, QMessageBox::Critical);
    for (const char* part : {"SQLSTATE: 42S02", "335544580", "select * from MAS_SIIREX where T_NAME01 = 'O''Neil'"})
        QVERIFY2(shown[0].details.contains(QString::fromUtf8(part)), qPrintable(shown[0].details));
    QCOMPARE(shown[1].text, QStringLiteral("エラー: ") + server.message());
    QCOMPARE(shown[1].details, shown[0].details);
    QCOMPARE(shown[1].icon, QMessageBox::NoIcon);
    QCOMPARE(shown[2].text, QStringLiteral("予期しないエラーが発生しました。"));
    QCOMPARE(shown[3].text, QStringLiteral("予期しないエラーが発生しました。"));

    QFile log(LogFilePath());
    QVERIFY(log.open(QIODevice::ReadOnly));
    const QString logged = QString::fromUtf8(log.readAll());
    QCOMPARE(logged.count(QStringLiteral("Table unknown")), 2);
    QCOMPARE(logged.count(QStringLiteral("SQLSTATE: 42S02")), 2);
    QCOMPARE(logged.count(QStringLiteral("予期しないエラーが発生しました。")), 2);
    qunsetenv("XDG_STATE_HOME");
}

void TestMessageDialog::unansweredDialogsAreReportedNotHung()
{
    {
        modal::Script script;
        script.answer([](QDialog& dialog) { type(dialog, Qt::Key_Return); });

        // One more dialog than the test expected: rejected, never a Yes.
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression(QStringLiteral(
                                               "^modal::Script: unexpected dialog .*終了しますか？")));
        QCOMPARE(ShowMessageDialog(MessageNotice, QStringLiteral("登録しました。")), 1);
        QCOMPARE(ShowMessageDialog(MessageAskDefaultYes, QStringLiteral("終了しますか？")), 2);
        QCOMPARE(MessageDialogMode, MessageNotice);
        QCOMPARE(script.unexpected().size(), 1);
        QVERIFY(script.unexpected().at(0).contains(QStringLiteral("確認")));
        QVERIFY(!script.shown().at(1).answered);
        QVERIFY(!script.verify().isEmpty());

        // A responder that does not close its dialog.
        script.answer([](QDialog&) {});
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression(QStringLiteral("left open by its responder")));
        QCOMPARE(ShowMessageDialog(MessageAskDefaultYes, QStringLiteral("削除しますか？")), 2);
        QCOMPARE(script.unexpected().size(), 2);

        // An answer for a dialog that never came.
        script.answer([](QDialog& dialog) { type(dialog, Qt::Key_Return); });
        QVERIFY(script.verify().contains(QStringLiteral("1 responder(s) left unused")));
        QCOMPARE(script.pending(), 1);
    }
    {
        // Problems nobody asked about are still spoken of when the script ends.
        const QRegularExpression unexpected(QStringLiteral("^modal::Script: unexpected dialog"));
        QTest::ignoreMessage(QtWarningMsg, unexpected);
        QTest::ignoreMessage(QtWarningMsg, unexpected);
        modal::Script script;
        ShowPlainMessage(QStringLiteral("日付が不正です"));
    }

    // Without a script modal::exec is the dialog's own exec().
    QDialog plain;
    QTimer::singleShot(0, &plain, &QDialog::accept);
    QCOMPARE(modal::exec(plain), int(QDialog::Accepted));
}

QTEST_MAIN(TestMessageDialog)
#include "tst_message.moc"
