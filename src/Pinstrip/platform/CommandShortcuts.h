#pragma once

#include "DesktopShortcuts.h"

#include <QProcess>
#include <QStringList>

// Reads the desktop's shortcut settings through its own command-line tool, in the background:
// the tool's output is handed to `parse` once it exits. A tool that is missing, fails or takes
// longer than a few seconds answers "free".
class CommandShortcuts : public DesktopShortcuts {
public:
    using Parser = std::function<QString(const QByteArray& output, QKeyCombination combination)>;

    CommandShortcuts(QString program, QStringList arguments, Parser parse);
    ~CommandShortcuts() override;

    void find(QKeyCombination combination, Answer answer) override;

private:
    void reply(const QString& owner);

    QString m_program;
    QStringList m_arguments;
    Parser m_parse;
    QProcess m_process;
    Answer m_answer;
};
