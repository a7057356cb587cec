#include <QApplication>
#include <iostream>

#include "app/AppTexts.h"
#include "app/CommandLine.h"
#include "app/Composition.h"
#include "app/FirstPaintProbe.h"
#include "app/PylonIcon.h"
#include "app/TMainForm.h"
#include "app/TerminationSignals.h"
#include "os/StandardStreams.h"
#include "protocol/Clock.h"

int main(int argc, char* argv[]) {
    stela::openStandardStreams();  // before anything is opened
    // --help, --version and a wrong option end here, before any window or port.
    if (const auto status = stela::handleCommandLine(argc, argv)) {
        return *status;
    }
    QApplication app(argc, argv);
    // The application name, not the display name: Qt appends a display name
    // to every window title, and the main window has a caption of its own.
    QApplication::setApplicationName(
        QString::fromStdString(stela::translateDefault(stela::kApplicationTitle)));
    QApplication::setWindowIcon(stela::pylonIcon());
    // Desktops match the window to ru.orvena.stela.desktop (its icon, its name).
    QGuiApplication::setDesktopFileName(QStringLiteral("ru.orvena.stela"));

    stela::SteadyClock clock;
    stela::TMainForm form(stela::programParts(clock));
    stela::TerminationSignals terminations([&form](int) {
        form.echoLogTo(std::cerr);
        stela::closeAsTheCloseBoxDoes(form);
    });
    // The board search runs before the window is first shown; its notice
    // appears on its own.
    if (qEnvironmentVariableIsSet("STELA_EXIT_AFTER_FIRST_PAINT")) {
        stela::quitAfterFirstPaint(form);
    }
    form.FormCreate();
    // A signal during the start-up search: the window is never shown.
    int status = 0;
    if (stela::TerminationSignals::received() == 0) {
        form.show();
        status = QApplication::exec();
    }
    // Stopped by a signal: 128 + its number, as stela-cli and shells say it.
    const int signal = stela::TerminationSignals::received();
    return signal == 0 ? status : 128 + signal;
}
