#include "SwayBinding.h"

#include "KeyNotation.h"
#include "SummonCommand.h"
#include "SwayIpc.h"

#include <QJsonObject>
#include <QRegularExpression>

namespace {

QString keyName(QKeyCombination combination) {
    return KeyNotation::spell(combination, KeyNotation::sway);
}

} // namespace

SwayBinding::SwayBinding(const QString& socketPath, QKeyCombination combination, Reported reported)
    : m_ipc(SwayIpc::open(socketPath)), m_combination(combination),
      m_reported(std::move(reported)) {
    const std::optional<QJsonDocument> config =
        m_ipc ? m_ipc->request(SwayIpc::Type::getConfig) : std::nullopt;
    static const QRegularExpression ours(
        QStringLiteral(R"(^\s*bindsym\s+(?:--\S+\s+)*(\S+)\s+exec\s+\S*pinstrip\S*\s+--summon)"),
        QRegularExpression::MultilineOption);
    const QRegularExpressionMatch match =
        config ? ours.match(config->object().value(QLatin1String("config")).toString())
               : QRegularExpressionMatch();
    m_bound = match.hasMatch();
    HotkeyStatus status{HotkeyStatus::State::unbound, {}};
    if (m_bound) {
        status = {HotkeyStatus::State::registered, QStringLiteral("a binding in sway's config")};
        if (match.captured(1).compare(keyName(m_combination), Qt::CaseInsensitive) != 0)
            status.key = match.captured(1);
    }
    // Reported from the event loop, like every backend's first answer.
    QMetaObject::invokeMethod(
        this, [this, status] { m_reported(status); }, Qt::QueuedConnection);
}

SwayBinding::~SwayBinding() = default;

std::optional<QKeyCombination> SwayBinding::proposedBinding() const {
    return m_bound || !m_ipc ? std::nullopt : std::optional(m_combination);
}

QString SwayBinding::bind(QKeyCombination combination) {
    const QString command =
        QStringLiteral("bindsym %1 exec %2").arg(keyName(combination), SummonCommand::text());
    if (!m_ipc || !m_ipc->run(command.toUtf8()))
        return QStringLiteral("sway refused \u201c%1\u201d.").arg(command);
    m_bound = true;
    HotkeyStatus status{HotkeyStatus::State::registered,
                        QStringLiteral("a binding of this sway session")};
    if (combination != m_combination)
        status.key = keyName(combination);
    m_reported(status);
    return {};
}
