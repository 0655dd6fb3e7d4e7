// The program's message dialog, the plain boxes and the one path for errors,
// answered from the keyboard through the modal seam.

#include <QLabel>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QWindow>

#include <stdexcept>
#include <tuple>

#include "db/Error.h"
#include "dialogs/Fonts.h"
#include "dialogs/Messages.h"
#include "tests/support/ScreenTesting.h"
#include "util/Log.h"

using namespace testing;

namespace {

// A keystroke goes to the control with the focus, else to the dialog.
void type(QDialog& dialog, Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
{
    QWidget* f = focused();
    QTest::keyClick(f && f->window() == &dialog ? f : &dialog, key, modifiers);
}

// The text on one line of the label, the buttons below it, in a window sized for it.
void checkLayout(QDialog& dialog, const QString& text)
{
    TMASSAGE_FORM& f = *MASSAGE_FORM;
    QVERIFY(f.LABEL->width() >= f.LABEL->fontMetrics().horizontalAdvance(text));
    QVERIFY(f.LABEL->geometry().right() < dialog.width() && f.BitBtn1->y() > f.LABEL->geometry().bottom());
    QCOMPARE(dialog.size(), dialog.minimumSize());
}

} // namespace

class TestMessageDialog : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        InstallFontSubstitutions();
        QGuiApplication::setApplicationDisplayName(u"仕入先マスター登録"_qs);
        MASSAGE_FORM = new TMASSAGE_FORM;
    }

    void init() { QTest::failOnWarning(QRegularExpression(u"^modal::Script"_qs)); }

    void cleanupTestCase()
    {
        delete MASSAGE_FORM;
        QVERIFY(!MASSAGE_FORM);
    }

    // Shown active, the default button with the focus; whoever comes next gets
    // a notice. {mode, keys (none: the close box), answer}
    void questionModes()
    {
        for (const auto& [modeShown, keysTyped, result] :
             {std::tuple(1, QKeySequence(Qt::Key_Return), 2), // mode 1: Enter answers No
              std::tuple(2, QKeySequence(Qt::Key_Return), 1), std::tuple(2, QKeySequence(), 2),
              // After a question: the hidden No button answers to nothing, Esc is not OK.
              std::tuple(0, QKeySequence(Qt::ALT | Qt::Key_N, Qt::Key_N, Qt::Key_Y, Qt::Key_Return), 1),
              std::tuple(0, QKeySequence(Qt::Key_Escape), 2)}) {
            const int mode = modeShown; // named for the responder
            const QKeySequence keys = keysTyped;
            MessageDialogAnswer = 1; // from an earlier showing
            int shown = -1;
            answering([&] { shown = ShowMessageDialog(mode, u"登録しますか？"_qs); }, {[&](QDialog& dialog) {
                          TMASSAGE_FORM& f = *MASSAGE_FORM;
                          QVERIFY(&dialog == &f && dialog.isActiveWindow());
                          QCOMPARE(MessageDialogAnswer, 0);
                          QCOMPARE(f.BitBtn2->isVisible(), mode != MessageNotice);
                          QCOMPARE(focused(), mode == MessageAskDefaultNo ? f.BitBtn2 : f.BitBtn1);
                          if (keys.isEmpty())
                              dialog.windowHandle()->close();
                          for (int i = 0; i < keys.count(); ++i)
                              type(dialog, keys[i].key(), keys[i].keyboardModifiers());
                      }});
            QVERIFY2(shown == result, qPrintable(keys.toString()));
            QCOMPARE(MessageDialogAnswer, result == 1 ? 1 : 0);
            QCOMPARE(MessageDialogMode, MessageNotice);
            QVERIFY(!MASSAGE_FORM->isVisible());
        }
    }

    // Wider than the form as designed, the text still fits on one line.
    void longMessages()
    {
        const QString text =
            u"株式会社山田建設工業（本社・東京都千代田区丸の内一丁目）に工種をセットしますか？"_qs;
        answering([&] { QCOMPARE(ShowMessageDialog(MessageAskDefaultYes, text), 1); }, {[&](QDialog& dialog) {
                      checkLayout(dialog, text);
                      type(dialog, Qt::Key_Return);
                  }});
    }

    // Every box goes through the seam, titled with the program's name, in
    // plain text (texts quote what the user typed), with OK alone. Whatever
    // was thrown, the clerk reads a text; the SQLSTATE, the server's code and
    // the statement are in the box's details and in the log.
    void boxesAndErrors()
    {
        QTemporaryDir state;
        qputenv("XDG_STATE_HOME", state.path().toUtf8());
        QCOMPARE(LogFilePath(), state.path() + u"/veldrun/veldrun.log"_qs);

        const db::Error server(u"Table unknown\nMAS_SIIREX"_qs, u"42S02"_qs, 335544580,
                               u"select * from MAS_SIIREX where T_NAME01 = 'O''Neil'"_qs);
        QStringList details;
        const Responder keep = [&](QDialog& dialog) {
            auto* box = qobject_cast<QMessageBox*>(&dialog);
            QVERIFY(box);
            QCOMPARE(box->textFormat(), Qt::PlainText);
            details << box->detailedText();
            type(dialog, Qt::Key_Return);
        };
        const QString typed = u"エラー: <T_CD> & 'x'"_qs, refused = u"Column unknown <T_CD>"_qs;
        const QStringList said = answering(
            [&] {
                ShowPlainMessage(typed);
                ShowErrorBox(refused);
                ShowError(std::make_exception_ptr(server));
                ShowError(std::make_exception_ptr(server), ErrorBox::Plain, u"エラー: %1"_qs);
                ShowError(std::make_exception_ptr(42)); // what catch (...) holds
                ShowError(std::make_exception_ptr(std::runtime_error("")));
            },
            QList<Responder>(6, keep));
        const QString unexpected = u"予期しないエラーが発生しました。"_qs;
        QCOMPARE(said, (QStringList{typed, refused, server.message(), u"エラー: "_qs + server.message(),
                                    unexpected, unexpected}));
        for (const char* part :
             {"SQLSTATE: 42S02", "335544580", "select * from MAS_SIIREX where T_NAME01 = 'O''Neil'"})
            QVERIFY2(details[2].contains(QString::fromUtf8(part)), qPrintable(details[2]));
        QCOMPARE(details[3], details[2]);

        QFile log(LogFilePath());
        QVERIFY(log.open(QIODevice::ReadOnly));
        const QString logged = QString::fromUtf8(log.readAll());
        for (const QString& part : {u"Table unknown"_qs, u"SQLSTATE: 42S02"_qs, unexpected})
            QCOMPARE(logged.count(part), 2);
        QCOMPARE(logged.count(refused), 1);
        qunsetenv("XDG_STATE_HOME");
    }

    void unansweredDialogsAreReportedNotHung()
    {
        {
            modal::Script script;
            script.answer([](QDialog& dialog) { type(dialog, Qt::Key_Return); });

            // One more dialog than the test expected: rejected, never a Yes.
            QTest::ignoreMessage(
                QtWarningMsg, QRegularExpression(u"^modal::Script: unexpected dialog .*終了しますか？"_qs));
            QCOMPARE(ShowMessageDialog(MessageNotice, u"登録しました。"_qs), 1);
            QCOMPARE(ShowMessageDialog(MessageAskDefaultYes, u"終了しますか？"_qs), 2);
            QCOMPARE(script.unexpected().size(), 1);

            // An answer for a dialog that never came.
            script.answer([](QDialog& dialog) { type(dialog, Qt::Key_Return); });
            QVERIFY(script.verify().contains(u"1 responder(s) left unused"_qs));
            QCOMPARE(script.pending(), 1);
        }
    }
};

QTEST_MAIN(TestMessageDialog)
#include "tst_message.moc"
