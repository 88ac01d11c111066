#pragma once

#include <QString>
#include <QStringList>

// What `pinstrip [option]` asks for. The arguments are read before any window system is
// reached, so a request for help, the version or a hand-over never opens a display.
class CommandLine {
public:
    enum class Action { start, summon, toggle, tap, help, version, invalid };

    // The arguments after the program's name; at most one option, nothing else.
    [[nodiscard]] static Action parse(const QStringList& arguments);

    // The text of --help: one line per option, each starting with the option.
    [[nodiscard]] static QString help();
    // The short line printed to stderr for anything the parser refuses.
    [[nodiscard]] static QString usage();
};
