#include "power/PowerPolicyStateText.h"

#include <QHash>

#include "l10n/L10n.h"

namespace vantrel {

QString powerPolicyStateLiteral(const QString& state)
{
    static const QHash<QString, QString> literals{
        {QStringLiteral("charge_protector_hold_until_drop_floor"), QStringLiteral("보호 대기")},
        {QStringLiteral("power_only_hold_until_drop_floor"), QStringLiteral("보호 대기")},
        {QStringLiteral("charging_to_target"), QStringLiteral("목표까지 충전")},
        {QStringLiteral("charge_to_target"), QStringLiteral("목표까지 충전")},
        {QStringLiteral("power_only_at_target"), QStringLiteral("목표 유지")},
        {QStringLiteral("safety_drain_active"), QStringLiteral("드레인")},
        {QStringLiteral("temporary_full_charge"), QStringLiteral("완충 중")},
        {QStringLiteral("unmanaged"), QStringLiteral("기본")},
    };
    return literals.value(state, state);
}

QString powerPolicyStateDisplayText(const QString& state, const QString& lang)
{
    return L10n::displayName(powerPolicyStateLiteral(state), lang);
}

} // namespace vantrel
