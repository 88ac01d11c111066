#pragma once

#include <QString>

// The command a desktop's own key binding runs to summon the running copy.
class SummonCommand {
public:
    // This executable with --summon, by name when that is what PATH finds, quoted for a shell.
    [[nodiscard]] static QString text();
};
