#include "CommandLine.h"

#include <array>

namespace {

struct Option {
    const char* name;
    CommandLine::Action action;
    const char* meaning;
};

// Never a name Qt's X11 plugin also reads from the arguments, such as --title or --display.
constexpr std::array<Option, 5> options{{
    {"--summon", CommandLine::Action::summon,
     "show the strip, expand it and give its input row the keyboard"},
    {"--toggle", CommandLine::Action::toggle,
     "show the strip if it is hidden, hide it if it is shown"},
    {"--tap", CommandLine::Action::tap,
     "count one tap of Alt, for a binding on its release: two in a row summon\n"
     "             as a double tap does; without a running copy, nothing happens"},
    {"--help", CommandLine::Action::help, "print this help and exit"},
    {"--version", CommandLine::Action::version, "print the version and exit"},
}};

} // namespace

CommandLine::Action CommandLine::parse(const QStringList& arguments) {
    if (arguments.isEmpty())
        return Action::start;
    if (arguments.size() > 1)
        return Action::invalid;
    for (const Option& option : options) {
        if (arguments.front() == QLatin1String(option.name))
            return option.action;
    }
    return Action::invalid;
}

QString CommandLine::help() {
    QString text = QStringLiteral(
        "Usage: pinstrip [OPTION]\n"
        "Today's list, pinned above everything.\n"
        "\n"
        "Without an option, starts Pinstrip, or summons it when it already runs.\n"
        "While Pinstrip runs, the command is handed to it and this one exits at once;\n"
        "otherwise --summon starts Pinstrip and summons it, --toggle starts it shown.\n"
        "\n");
    for (const Option& option : options)
        text += QStringLiteral("  %1  %2\n")
                    .arg(QString::fromLatin1(option.name).leftJustified(9),
                         QLatin1String(option.meaning));
    return text;
}

QString CommandLine::usage() {
    return QStringLiteral("Usage: pinstrip [--summon | --toggle | --tap | --help | --version]\n");
}
