#include "app/CommandLine.h"

#include <QCommandLineParser>
#include <QStringList>
#include <string>

#include "app/AppTexts.h"
#include "app/TextOutput.h"
#include "i18n/FilledText.h"
#include "i18n/Translate.h"
#include "stela/Version.h"

namespace stela {

namespace {

// The options QGuiApplication and QApplication take from the command line,
// with a value and without one.
const char* const kQtOptionsWithValue[] = {
    "platform",      "platformpluginpath", "platformtheme", "plugin",      "qwindowgeometry",
    "geometry",      "qwindowtitle",       "title",         "qwindowicon", "icon",
    "style",         "stylesheet",         "session",       "display",     "name",
    "qmljsdebugger",
};
const char* const kQtFlags[] = {"reverse", "widgetcount", "nograb",
                                "dograb",  "sync",        "testability"};

// An unknown option as it was typed: "-x", "--bogus" (the parser names it without dashes).
QString typedOption(const QStringList& arguments, const QString& name) {
    for (const QString& argument : arguments) {
        QString bare = argument.section(QLatin1Char('='), 0, 0);
        while (bare.startsWith(QLatin1Char('-'))) {
            bare.remove(0, 1);
        }
        if (argument.startsWith(QLatin1Char('-')) && bare == name) {
            return argument.section(QLatin1Char('='), 0, 0);
        }
    }
    return name;
}

int refuse(const std::string& why) {
    writeText(stderr, "stela: " + why + "\n" + translateDefault("Справка: stela --help") + "\n");
    return 2;
}

}  // namespace

std::optional<int> handleCommandLine(int argc, char** argv) {
    QStringList arguments;
    for (int i = 0; i < argc; ++i) {
        arguments << QString::fromLocal8Bit(argv[i]);
    }
    QCommandLineParser parser;
    // Qt's options are written with one dash: -style fusion.
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    const QCommandLineOption help(QStringList{QStringLiteral("h"), QStringLiteral("help")});
    const QCommandLineOption version(QStringLiteral("version"));
    parser.addOption(help);
    parser.addOption(version);
    for (const char* name : kQtOptionsWithValue) {
        parser.addOption(
            QCommandLineOption(QString::fromLatin1(name), {}, QStringLiteral("value")));
    }
    for (const char* name : kQtFlags) {
        parser.addOption(QCommandLineOption(QString::fromLatin1(name)));
    }

    if (!parser.parse(arguments)) {
        const QStringList unknown = parser.unknownOptionNames();
        return refuse(unknown.isEmpty()
                          ? parser.errorText().toStdString()
                          : filled(markDefault("неизвестный параметр «%1»"),
                                   {typedOption(arguments, unknown.first()).toStdString()}));
    }
    if (parser.isSet(help)) {
        writeText(stdout, filled(markDefault("Использование: stela [ПАРАМЕТР]...\n"
                                             "%1: окно, в котором настраивают табло цен.\n"
                                             "\n"
                                             "  -h, --help     показать эту справку и выйти\n"
                                             "      --version  показать версию и выйти\n"
                                             "\n"
                                             "Принимает и параметры Qt (-platform, -style ...).\n"),
                                 {translateDefault(kApplicationTitle)}));
        return 0;
    }
    if (parser.isSet(version)) {
        writeText(stdout, std::string("stela ") + kVersion + "\n");
        return 0;
    }
    if (!parser.positionalArguments().isEmpty()) {
        return refuse(filled(markDefault("лишний аргумент «%1»"),
                             {parser.positionalArguments().first().toStdString()}));
    }
    return std::nullopt;
}

}  // namespace stela
