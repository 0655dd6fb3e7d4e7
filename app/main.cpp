// The program entry: the platform gate, the single copy, the application
// with its title and fonts, the data module and every form in their order.
//
//   VELDRUN [--quit-after-start]
//
// --quit-after-start ends the program right after the main screen's first
// showing (databases open, settings read) and prints "started": for the
// start-up benchmark and the smoke test.

#include "app/Platform.h"
#include "app/SingleInstance.h"
#include "app/Unit2.h"
#include "db/ClientShutdown.h"
#include "dialogs/Fonts.h"
#include "dialogs/Forms.h"
#include "dialogs/Messages.h"
#include "supplier/Unit1.h"
#include "util/DateFields.h"

#include <QApplication>

#include <cstdio>

namespace {

const QString kTitle = QStringLiteral("仕入先マスター登録");

// An error no handler caught ends up in the standard error box; the command
// is abandoned and the program goes on.
class Application : public QApplication
{
public:
    using QApplication::QApplication;

    bool notify(QObject* receiver, QEvent* event) override
    {
        try {
            return QApplication::notify(receiver, event);
        } catch (const std::exception& e) {
            ShowErrorBox(QString::fromUtf8(e.what()));
        } catch (...) {
            ShowErrorBox(QString());
        }
        return false;
    }
};

} // namespace

int main(int argc, char* argv[])
{
    if (!PlatformAccepted())
        return 1;
    Application app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("VELDRUN"));

    SingleInstance instance(SingleInstance::nameFor(QStringLiteral("VELDRUN")));
    if (!instance.acquire())
        return 1; // the running copy has been brought to the front

    QApplication::setApplicationDisplayName(kTitle);
    InstallFontSubstitutions();
    setInvalidDateNotifier([](const QString& text) { ShowPlainMessage(text); });

    try {
        // The data module first, so that every form finds it; the main
        // screen is the first form and so the main window.
        TDM2 dataModule;
        TForm1 mainScreen;
        CreateForms(mainScreen, dataModule);

        QObject::connect(&instance, &SingleInstance::activationRequested, &mainScreen,
                         [&mainScreen] { BringToFront(&mainScreen); });
        // Ctrl+C or a logout ends the program the way closing it does, without the question.
        db::onSignalShutdown([&mainScreen] {
            QMetaObject::invokeMethod(&mainScreen, [&mainScreen] { mainScreen.EndWithoutAsking(); }, Qt::QueuedConnection);
        });
        mainScreen.show();
        if (QApplication::arguments().contains(QStringLiteral("--quit-after-start"))) {
            std::printf("started\n");
            std::fflush(stdout);
            return 0;
        }
        return QApplication::exec();
    } catch (const std::exception& e) {
        ShowErrorBox(QString::fromUtf8(e.what()));
    } catch (...) {
        ShowErrorBox(QString());
    }
    return 0;
}
