// The program entry: the platform gate, the options, the single copy, the
// application with its title and fonts, the data module and every form in
// their order.
//
//   VELDRUN [--quit-after-start]
//
// --quit-after-start ends the program right after the main screen's first
// showing (databases open, settings read) and prints "started": for the
// start-up benchmark and the smoke test. A start that fails prints the error
// on standard error and exits 1 instead; no box waits for an answer.

#include <QApplication>

#include <cstdio>

#include "app/Platform.h"
#include "app/SignalEnd.h"
#include "app/SingleInstance.h"
#include "dialogs/Fonts.h"
#include "dialogs/Forms.h"
#include "dialogs/Messages.h"
#include "suite/Unit2.h"
#include "supplier/Unit1.h"
#include "util/DateFields.h"

namespace {

const QString kTitle = QStringLiteral("仕入先マスター登録");
const char kUsage[] = "usage: VELDRUN [--quit-after-start]\n";

// Exit codes: 0 ended normally, 1 could not start (or another copy runs),
// 2 an option it does not know, 128 + n ended by signal n.
constexpr int kStartFailed = 1;
constexpr int kBadOption = 2;

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
        } catch (...) {
            ShowError(std::current_exception());
        }
        return false;
    }
};

struct Options
{
    bool quitAfterStart = false;
    bool help = false;
    QString unknown;
};

Options readOptions(const QStringList& arguments)
{
    Options options;
    for (const QString& argument : arguments.mid(1)) {
        if (argument == QLatin1String("--quit-after-start"))
            options.quitAfterStart = true;
        else if (argument == QLatin1String("--help") || argument == QLatin1String("-h"))
            options.help = true;
        else if (options.unknown.isEmpty())
            options.unknown = argument;
    }
    return options;
}

} // namespace

int main(int argc, char* argv[])
{
    if (!PlatformAccepted())
        return kStartFailed;
    Application app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("VELDRUN"));
    // Before the database client is first used (see SignalEnd).
    SignalEnd signalEnd;

    const Options options = readOptions(QApplication::arguments());
    if (!options.unknown.isEmpty()) {
        std::fprintf(stderr, "VELDRUN: unknown option %s\n%s", qPrintable(options.unknown), kUsage);
        return kBadOption;
    }
    if (options.help) {
        std::fputs(kUsage, stdout);
        return 0;
    }
    // Nobody answers a box in a start from a script: errors go to the log only.
    SetUnattended(options.quitAfterStart);

    SingleInstance instance(SingleInstance::nameFor(QStringLiteral("VELDRUN")));
    if (!instance.acquire()) {
        std::fputs("VELDRUN: already running; the running copy was asked to come to the front\n", stderr);
        return kStartFailed;
    }

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
        QObject::connect(&signalEnd, &SignalEnd::signalled, &mainScreen,
                         [&mainScreen] { mainScreen.EndWithoutAsking(); });

        mainScreen.show();
        if (SignalEnd::received())
            return 128 + SignalEnd::received();
        if (options.quitAfterStart) {
            if (!mainScreen.startupError().isEmpty())
                return kStartFailed; // the error is on standard error already
            std::printf("started\n");
            std::fflush(stdout);
            return 0;
        }
        const int status = QApplication::exec();
        return SignalEnd::received() ? 128 + SignalEnd::received() : status;
    } catch (...) {
        ShowError(std::current_exception());
    }
    return kStartFailed;
}
