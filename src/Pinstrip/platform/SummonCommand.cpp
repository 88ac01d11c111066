#include "SummonCommand.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QRegularExpression>
#include <QStandardPaths>

QString SummonCommand::text() {
    const QString self = QCoreApplication::applicationFilePath();
    const QString byName = QStandardPaths::findExecutable(QStringLiteral("pinstrip"));
    QString program = !byName.isEmpty() && QFileInfo(byName).canonicalFilePath() ==
                                               QFileInfo(self).canonicalFilePath()
                          ? QStringLiteral("pinstrip")
                          : self;
    // Desktops split the command as a shell would.
    if (program.contains(QRegularExpression(QStringLiteral(R"([^\w/.+-])")))) {
        QString quoted;
        for (const QChar c : std::as_const(program))
            quoted += QStringView(u"\\\"$`").contains(c) ? QString{u'\\', c} : QString(c);
        program = u'"' + quoted + u'"';
    }
    return program + QStringLiteral(" --summon");
}
