#include "app/RuntimeAdmission.h"

#include "base/JsonAccess.h"
#include "base/Log.h"
#include "daemon/DaemonClient.h"
#include "daemon/RuntimeOwnership.h"

namespace vantrel {

RuntimeConflict RuntimeConflict::duplicateRun()
{
    return {QStringLiteral("Vantrel이 이미 실행 중입니다."),
            QStringLiteral("동시에 두 앱이 제어하지 않도록 중복 실행을 취소했습니다.")};
}

RuntimeConflict RuntimeConflict::debugRuntime()
{
    return {QStringLiteral("Vantrel Debug가 실행 중입니다."),
            QStringLiteral(
                "Debug를 종료한 뒤 정식 Vantrel을 실행해 주십시오. 두 앱은 동시에 하드웨어를 제어하지 않습니다.")};
}

RuntimeConflict RuntimeConflict::readbackUnavailable()
{
    return {QStringLiteral("안전 실행 상태를 확인하지 못했습니다."),
            QStringLiteral("데몬의 실행권과 안전 복귀 상태가 확인될 때까지 정식 Vantrel을 시작하지 않습니다.")};
}

std::optional<RuntimeConflict> RuntimeAdmission::evaluate(bool developmentBuild,
                                                          const std::optional<QJsonObject>& ownership)
{
    if (developmentBuild)
        return std::nullopt;
    if (!ownership || !json::isOkStatus(*ownership)) {
        systemLog(QStringLiteral("Vantrel startup admission failed: runtime ownership readback unavailable"));
        return RuntimeConflict::readbackUnavailable();
    }
    const RuntimeOwnership owner = RuntimeOwnership::fromReply(*ownership);
    if (owner.transitionFenced == true)
        systemLog(QStringLiteral("Vantrel startup admission failed: runtime ownership transition is fenced"));
    else if (!owner.isProductionChannel())
        systemLog(QStringLiteral("Vantrel startup admission failed: runtime channel is %1")
                      .arg(owner.channel.value_or(QStringLiteral("unknown"))));

    // An absent fence flag is not proof that no hand-over is running.
    if (owner.admitsProduction())
        return std::nullopt;
    if (owner.isDebugChannel())
        return RuntimeConflict::debugRuntime();
    return RuntimeConflict::readbackUnavailable();
}

std::optional<RuntimeConflict> RuntimeAdmission::prepareRuntimeOwnership(bool developmentBuild,
                                                                         const DaemonClient& client)
{
    if (developmentBuild)
        return std::nullopt;
    return evaluate(false, client.getRuntimeOwnership());
}

} // namespace vantrel
