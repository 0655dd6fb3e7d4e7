// The program entry: the platform gate, the options, then either one job
// without a window (app/Jobs) or the screen: the single copy, the
// application with its title and fonts, the data module and every form in
// their order.
//
//   VELDRUN [--quit-after-start]
//   VELDRUN --import-postal FILE | --import-suppliers FILE | --export-suppliers FILE
//           | --print-list-pdf FILE | --check   (see app/CommandLine.cpp for all)
//
// --quit-after-start ends the program right after the main screen's first
// showing (databases open, settings read) and prints "started": for the
// start-up benchmark and the smoke test. A start that fails prints the error
// on standard error and exits 1 instead; no box waits for an answer.

#include <QApplication>

#include <cstdio>

#include "app/CommandLine.h"
#include "app/Jobs.h"
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

// Exit codes: 0 ended normally, 1 could not start (or another copy runs),
// 2 an option it does not know, 128 + n ended by signal n.
constexpr int kStartFailed = cli::ExitFailed;
constexpr int kBadOption = cli::ExitRefused;

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

} // namespace

int main(int argc, char* argv[])
{
    if (!PlatformAccepted())
        return kStartFailed;
    QStringList given;
    for (int i = 1; i < argc; ++i)
        given << QString::fromLocal8Bit(argv[i]);
    // Only the screen needs a display. A job paints into files at most, and
    // the usage is printed as well on a machine without one. (Options Qt
    // takes for itself, such as -style, read as unknown here; they are known
    // once Qt has taken them, below.)
    const cli::Options asked = cli::ParseArguments(given);
    const bool job = cli::AsksForJob(given);
    const bool display = qEnvironmentVariableIsSet("DISPLAY") || qEnvironmentVariableIsSet("WAYLAND_DISPLAY");
    if (job || asked.help || (!asked.error.isEmpty() && !display))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    Application app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("VELDRUN"));
    // Before the database client is first used (see SignalEnd).
    SignalEnd signalEnd;

    // Qt has taken the options that are its own.
    const cli::Options options = cli::ParseArguments(QApplication::arguments().mid(1));
    if (!options.error.isEmpty()) {
        cli::Print(stderr, QStringLiteral("VELDRUN: %1\n").arg(options.error) + cli::Usage());
        return kBadOption;
    }
    if (options.help) {
        cli::Print(stdout, cli::Usage());
        return 0;
    }
    // Nobody answers a box in a start from a script: errors go to the log only.
    SetUnattended(options.quitAfterStart || job);
    if (options.job != cli::Job::None) {
        InstallFontSubstitutions();
        return RunJob(options);
    }

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
