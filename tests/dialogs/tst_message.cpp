#include <QApplication>
#include <QFontInfo>
#include <QLabel>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QScreen>
#include <QTimer>
#include <QVBoxLayout>
#include <QWindow>
#include <QtTest>

#include <algorithm>

#include "dialogs/Fonts.h"
#include "dialogs/MESSAGE_FROM.h"
#include "dialogs/Messages.h"
#include "dialogs/Modal.h"

namespace {

// Where a user's keystroke goes: the control that has the focus.
QWidget* keyTarget(QDialog& dialog)
{
    QWidget* focused = QApplication::focusWidget();
    return focused && focused->window() == &dialog ? focused : &dialog;
}

void type(QDialog& dialog, Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
{
    QTest::keyClick(keyTarget(dialog), key, modifiers);
}

TMASSAGE_FORM& form()
{
    return *MASSAGE_FORM;
}

// Horizontal centre of a child, in the dialog's coordinates, times two (no rounding).
int doubledCentre(const QWidget* w)
{
    return 2 * w->x() + w->width();
}

} // namespace

class TestMessageDialog : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanupTestCase();

    void designFacesAreMappedToIpaFonts_data();
    void designFacesAreMappedToIpaFonts();
    void questionModes_data();
    void questionModes();
    void afterAQuestionTheNextCallerGetsANotice();
    void longMessageWidensTheDialog();
    void centresOnTheCallersWindowOrTheScreen();
    void plainMessageAndErrorBoxGoThroughTheSeam();
    void nestedDialogsAreAnsweredInOrder();
    void unansweredDialogsAreReportedNotHung();
};

void TestMessageDialog::initTestCase()
{
    InstallFontSubstitutions();
    QGuiApplication::setApplicationDisplayName(QStringLiteral("仕入先マスター登録"));
    MASSAGE_FORM = new TMASSAGE_FORM;
}

void TestMessageDialog::init()
{
    // A dialog nobody scripted fails the test it happens in.
    QTest::failOnWarning(QRegularExpression(QStringLiteral("^modal::Script")));
}

void TestMessageDialog::cleanupTestCase()
{
    delete MASSAGE_FORM;
    QVERIFY(!MASSAGE_FORM);
}

void TestMessageDialog::designFacesAreMappedToIpaFonts_data()
{
    QTest::addColumn<QString>("designFace");
    QTest::addColumn<QString>("face");
    QTest::newRow("Mincho") << QStringLiteral("ＭＳ 明朝") << QStringLiteral("IPAMincho");
    QTest::newRow("proportional Mincho") << QStringLiteral("ＭＳ Ｐ明朝") << QStringLiteral("IPAPMincho");
    QTest::newRow("proportional Gothic") << QStringLiteral("ＭＳ Ｐゴシック") << QStringLiteral("IPAPGothic");
}

void TestMessageDialog::designFacesAreMappedToIpaFonts()
{
    QFETCH(QString, designFace);
    QFETCH(QString, face);
    InstallFontSubstitutions(); // a second call changes nothing
    const QStringList substitutes = QFont::substitutes(designFace);
    QCOMPARE(substitutes.size(), 1);
    QCOMPARE(substitutes.at(0).toLower(), face.toLower()); // Qt keeps family names in lower case
    QCOMPARE(QFontInfo(QFont(designFace)).family(), face);
}

void TestMessageDialog::questionModes_data()
{
    QTest::addColumn<int>("mode");
    QTest::addColumn<QString>("keys");
    QTest::addColumn<int>("result");

    QTest::newRow("mode 1: Enter answers No") << 1 << QStringLiteral("Enter") << 2;
    QTest::newRow("mode 2: Enter answers Yes") << 2 << QStringLiteral("Enter") << 1;
    QTest::newRow("mode 1: Alt+Y answers Yes") << 1 << QStringLiteral("Alt+Y") << 1;
    QTest::newRow("mode 2: Alt+N answers No") << 2 << QStringLiteral("Alt+N") << 2;
    QTest::newRow("mode 1: Y on a button answers Yes") << 1 << QStringLiteral("Y") << 1;
    QTest::newRow("mode 2: N on a button answers No") << 2 << QStringLiteral("N") << 2;
    QTest::newRow("mode 1: Tab to Yes, Enter") << 1 << QStringLiteral("Tab Enter") << 1;
    QTest::newRow("mode 2: Tab to No, Space") << 2 << QStringLiteral("Tab Space") << 2;
    QTest::newRow("mode 2: Esc answers No") << 2 << QStringLiteral("Esc") << 2;
    QTest::newRow("mode 2: close box answers No") << 2 << QStringLiteral("close box") << 2;
}

void TestMessageDialog::questionModes()
{
    QFETCH(int, mode);
    QFETCH(QString, keys);
    QFETCH(int, result);

    MessageDialogAnswer = 1; // from an earlier showing
    modal::Script script;
    script.answer([&](QDialog& dialog) {
        QCOMPARE(&dialog, MASSAGE_FORM);
        QVERIFY(dialog.isActiveWindow());
        QCOMPARE(dialog.windowTitle(), QStringLiteral("確認"));
        QVERIFY(dialog.windowFlags().testFlag(Qt::WindowStaysOnTopHint));
        QCOMPARE(MessageDialogAnswer, 0);

        TMASSAGE_FORM& f = form();
        QVERIFY(f.BitBtn1->isVisible());
        QVERIFY(f.BitBtn2->isVisible());
        QCOMPARE(f.BitBtn1->text(), QStringLiteral("はい &Y"));
        QCOMPARE(f.BitBtn2->text(), QStringLiteral("いいえ &N"));
        QPushButton* preset = mode == 1 ? f.BitBtn2 : f.BitBtn1;
        QPushButton* other = mode == 1 ? f.BitBtn1 : f.BitBtn2;
        QVERIFY(preset->isDefault());
        QVERIFY(!other->isDefault());
        QCOMPARE(QApplication::focusWidget(), preset);

        // Side by side below the message, Yes left, the pair centred.
        QCOMPARE(f.BitBtn1->y(), f.BitBtn2->y());
        QVERIFY(f.BitBtn1->y() > f.LABEL->geometry().bottom());
        QVERIFY(f.BitBtn1->geometry().right() < f.BitBtn2->x());
        QVERIFY(qAbs(doubledCentre(f.BitBtn1) + doubledCentre(f.BitBtn2) - 2 * dialog.width()) <= 4);
        QVERIFY(f.BitBtn2->geometry().bottom() < dialog.height());

        if (keys == QStringLiteral("close box")) {
            dialog.windowHandle()->close();
            return;
        }
        for (const QString& k : keys.split(QLatin1Char(' '))) {
            // Enter is the main keyboard's Return key, as users press it.
            const QString name = k == QStringLiteral("Esc")     ? QStringLiteral("Escape")
                                 : k == QStringLiteral("Enter") ? QStringLiteral("Return")
                                                                : k;
            const QKeySequence sequence(name);
            const QKeyCombination combination = sequence[0];
            type(dialog, combination.key(), combination.keyboardModifiers());
        }
    });

    QCOMPARE(ShowMessageDialog(mode, QStringLiteral("登録しますか？")), result);
    QVERIFY2(script.verify().isEmpty(), qPrintable(script.verify()));
    QCOMPARE(script.shownCount(), 1);
    QCOMPARE(script.shown().at(0).text, QStringLiteral("登録しますか？"));
    QCOMPARE(MessageDialogAnswer, result == 1 ? 1 : 0);
    QCOMPARE(MessageDialogMode, 0);
    QVERIFY(!form().isVisible());
}

void TestMessageDialog::afterAQuestionTheNextCallerGetsANotice()
{
    modal::Script script;
    script.answer([](QDialog& dialog) { type(dialog, Qt::Key_Escape); });
    QCOMPARE(ShowMessageDialog(MessageAskDefaultNo, QStringLiteral("入力画面を初期化しますか？")), 2);
    QCOMPARE(MessageDialogMode, MessageNotice);

    // A caller that only sets the text, as every notice does.
    script.answer([](QDialog& dialog) {
        TMASSAGE_FORM& f = form();
        const auto buttons = dialog.findChildren<QAbstractButton*>();
        QCOMPARE(std::count_if(buttons.begin(), buttons.end(), [](auto* b) { return b->isVisible(); }), 1);
        QVERIFY(f.BitBtn1->isVisible());
        QCOMPARE(f.BitBtn1->text(), QStringLiteral("ＯＫ"));
        QVERIFY(f.BitBtn1->isDefault());
        QCOMPARE(QApplication::focusWidget(), f.BitBtn1);
        QVERIFY(qAbs(doubledCentre(f.BitBtn1) - dialog.width()) <= 2);

        // The hidden No button answers to nothing.
        type(dialog, Qt::Key_N, Qt::AltModifier);
        type(dialog, Qt::Key_N);
        type(dialog, Qt::Key_Y);
        QVERIFY(dialog.isVisible());
        type(dialog, Qt::Key_Return);
    });
    form().LABEL->setText(QStringLiteral("削除しました。"));
    QCOMPARE(modal::exec(form()), 1);
    QCOMPARE(MessageDialogAnswer, 1);
    QVERIFY2(script.verify().isEmpty(), qPrintable(script.verify()));
    QCOMPARE(script.shown().at(1).text, QStringLiteral("削除しました。"));

    // Esc closes a notice too; the answer is then not OK.
    script.answer([](QDialog& dialog) { type(dialog, Qt::Key_Escape); });
    QCOMPARE(ShowMessageDialog(MessageNotice, QStringLiteral("削除しました。")), 2);
    QCOMPARE(MessageDialogAnswer, 0);
    QVERIFY2(script.verify().isEmpty(), qPrintable(script.verify()));
}

void TestMessageDialog::longMessageWidensTheDialog()
{
    const QString shortText = QStringLiteral("登録しました。");
    const QString longText =
        QStringLiteral("株式会社山田建設工業（本社・東京都千代田区丸の内一丁目）に工種をセットしますか？");
    int shortWidth = 0;

    for (const int mode : {MessageNotice, MessageAskDefaultYes}) {
        for (const QString& text : {shortText, longText}) {
            modal::Script script;
            script.answer([&](QDialog& dialog) {
                TMASSAGE_FORM& f = form();
                QCOMPARE(QFontInfo(f.LABEL->font()).family(), QStringLiteral("IPAMincho"));
                // The label shows the whole text on one line, all inside the window.
                QVERIFY(f.LABEL->width() >= f.LABEL->fontMetrics().horizontalAdvance(text));
                QVERIFY(f.LABEL->height() < 2 * f.LABEL->fontMetrics().height());
                QVERIFY(f.LABEL->x() > 0);
                QVERIFY(f.LABEL->geometry().right() < dialog.width());
                QVERIFY(f.BitBtn1->y() > f.LABEL->geometry().bottom());
                QVERIFY(f.BitBtn1->x() > 0);
                QPushButton* rightmost = mode == MessageNotice ? f.BitBtn1 : f.BitBtn2;
                QVERIFY(rightmost->geometry().right() < dialog.width());
                QVERIFY(f.BitBtn1->geometry().bottom() < dialog.height());
                QCOMPARE(dialog.size(), dialog.minimumSize()); // sized for the text, not by hand
                QCOMPARE(dialog.size(), dialog.maximumSize());
                QVERIFY(f.Memo1->isHidden());
                QCOMPARE(f.Memo1->toPlainText(), text);
                if (text == shortText)
                    shortWidth = dialog.width();
                else
                    QVERIFY(dialog.width() > shortWidth);
                type(dialog, Qt::Key_Return);
            });
            QCOMPARE(ShowMessageDialog(mode, text), 1);
            QVERIFY2(script.verify().isEmpty(), qPrintable(script.verify()));
        }
    }
}

void TestMessageDialog::centresOnTheCallersWindowOrTheScreen()
{
    QWidget mainForm;
    mainForm.setWindowTitle(QStringLiteral("仕入先マスター登録"));
    mainForm.setGeometry(40, 30, 700, 500);
    mainForm.show();
    QVERIFY(QTest::qWaitForWindowExposed(&mainForm));
    const QPoint mainCentre = mainForm.frameGeometry().center();

    modal::Script script;
    QPoint dialogCentre;
    const auto answerRecordingCentre = [&](QDialog& dialog) {
        dialogCentre = dialog.frameGeometry().center();
        type(dialog, Qt::Key_Return);
    };
    script.answer(answerRecordingCentre);
    ShowMessageDialog(MessageAskDefaultNo, QStringLiteral("業者を統合しますか？"), &mainForm);
    QVERIFY((dialogCentre - mainCentre).manhattanLength() <= 2);

    // The request lasts one showing; the next one is centred on the screen again.
    script.answer(answerRecordingCentre);
    ShowMessageDialog(MessageNotice, QStringLiteral("削除しました。"));
    const QPoint screenCentre = form().screen()->availableGeometry().center();
    QVERIFY((dialogCentre - screenCentre).manhattanLength() <= 2);
    QVERIFY2(script.verify().isEmpty(), qPrintable(script.verify()));
}

void TestMessageDialog::plainMessageAndErrorBoxGoThroughTheSeam()
{
    modal::Script script;
    const auto expectBox = [](QMessageBox::Icon icon, const QString& text) {
        return [icon, text](QDialog& dialog) {
            auto* box = qobject_cast<QMessageBox*>(&dialog);
            QVERIFY(box);
            QVERIFY(dialog.isActiveWindow());
            QCOMPARE(box->windowTitle(), QStringLiteral("仕入先マスター登録"));
            QCOMPARE(box->text(), text);
            QCOMPARE(box->textFormat(), Qt::PlainText);
            QCOMPARE(box->icon(), icon);
            QCOMPARE(box->buttons().size(), 1);
            QCOMPARE(box->standardButton(box->buttons().at(0)), QMessageBox::Ok);
            type(dialog, Qt::Key_Return);
        };
    };
    script.answer(expectBox(QMessageBox::NoIcon, QStringLiteral("日付が不正です")));
    script.answer(expectBox(QMessageBox::NoIcon, QStringLiteral("エラー: <T_CD> & 'x'")));
    script.answer(expectBox(QMessageBox::Critical, QStringLiteral("Table unknown MAS_SIIRE")));

    ShowPlainMessage(QStringLiteral("日付が不正です"));
    ShowPlainMessage(QStringLiteral("エラー: <T_CD> & 'x'"));
    ShowErrorBox(QStringLiteral("Table unknown MAS_SIIRE"));

    QVERIFY2(script.verify().isEmpty(), qPrintable(script.verify()));
    QCOMPARE(script.shownCount(), 3);
    QCOMPARE(script.shown().at(0).objectName, QStringLiteral("PlainMessage"));
    QCOMPARE(script.shown().at(0).text, QStringLiteral("日付が不正です"));
    QCOMPARE(script.shown().at(2).objectName, QStringLiteral("ErrorBox"));
    QCOMPARE(script.shown().at(2).title, QStringLiteral("仕入先マスター登録"));
    QCOMPARE(script.shown().at(2).result, int(QMessageBox::Ok));
    QVERIFY(script.shown().at(2).answered);
}

void TestMessageDialog::nestedDialogsAreAnsweredInOrder()
{
    // A picker whose button asks a question, as the search list does.
    QDialog picker;
    picker.setObjectName(QStringLiteral("picker"));
    picker.setWindowTitle(QStringLiteral("仕入先検索"));
    auto* layout = new QVBoxLayout(&picker);
    auto* caption = new QLabel(QStringLiteral("工種セット"), &picker);
    auto* setButton = new QPushButton(QStringLiteral("セット"), &picker);
    layout->addWidget(caption);
    layout->addWidget(setButton);
    int questionResult = 0;
    connect(setButton, &QPushButton::clicked, &picker, [&]() {
        questionResult =
            ShowMessageDialog(MessageAskDefaultNo, QStringLiteral("山田建設に工種をセットしますか？"));
    });

    modal::Script script;
    script.answer([&](QDialog& dialog) {
        QTest::mouseClick(setButton, Qt::LeftButton);
        QCOMPARE(questionResult, 1);
        QVERIFY(dialog.isVisible());
        dialog.accept();
    });
    script.answer([](QDialog& dialog) { type(dialog, Qt::Key_Y, Qt::AltModifier); });

    QCOMPARE(modal::exec(picker), int(QDialog::Accepted));
    QVERIFY2(script.verify().isEmpty(), qPrintable(script.verify()));
    QCOMPARE(script.shownCount(), 2);
    QCOMPARE(script.shown().at(0).objectName, QStringLiteral("picker"));
    QCOMPARE(script.shown().at(0).title, QStringLiteral("仕入先検索"));
    QCOMPARE(script.shown().at(0).text, QStringLiteral("工種セット"));
    QCOMPARE(script.shown().at(1).objectName, QStringLiteral("MASSAGE_FORM"));
    QCOMPARE(script.shown().at(1).text, QStringLiteral("山田建設に工種をセットしますか？"));
    QCOMPARE(script.shown().at(1).result, 1);
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
        QVERIFY(script.unexpected().at(0).contains(QStringLiteral("終了しますか？")));
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
        QCOMPARE(script.shownCount(), 3);
    }
    {
        // Problems nobody asked about are still spoken of when the script ends.
        QTest::ignoreMessage(QtWarningMsg,
                             QRegularExpression(QStringLiteral("^modal::Script: unexpected dialog")));
        QTest::ignoreMessage(QtWarningMsg,
                             QRegularExpression(QStringLiteral("^modal::Script: unexpected dialog")));
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
