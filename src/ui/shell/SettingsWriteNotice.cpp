#include "ui/shell/SettingsWriteNotice.h"

#include <QVBoxLayout>

#include "base/SettingsWriteState.h"
#include "l10n/L10n.h"
#include "l10n/L10nNotifier.h"
#include "ui/widgets/AlertBanner.h"

namespace vantrel {

namespace {

QString reasonText(WriteFailureReason reason)
{
    switch (reason) {
    case WriteFailureReason::DiskFull:
        return L10n::tr("settings.write_failed.disk_full");
    case WriteFailureReason::NoPermission:
        return L10n::tr("settings.write_failed.no_permission");
    case WriteFailureReason::None:
    case WriteFailureReason::Other:
        break;
    }
    return L10n::tr("settings.write_failed.other");
}

} // namespace

SettingsWriteNotice::SettingsWriteNotice(const SettingsWriteState& state, QWidget* parent)
    : QWidget(parent)
    , state_(state)
    , banner_(new AlertBanner(this))
{
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(28, 20, 28, 0);
    layout->addWidget(banner_);
    connect(banner_, &AlertBanner::dismissed, this, &QWidget::hide);
    connect(&state_, &SettingsWriteState::changed, this, &SettingsWriteNotice::refresh);
    connect(&L10n::notifier(), &L10nNotifier::currentLanguageChanged, this, [this] {
        if (!isHidden())
            refresh();
    });
    refresh();
}

QString SettingsWriteNotice::title() const { return isHidden() ? QString() : banner_->title(); }
QString SettingsWriteNotice::message() const { return isHidden() ? QString() : banner_->message(); }

void SettingsWriteNotice::refresh()
{
    if (!state_.failing()) {
        hide();
        return;
    }
    banner_->showAlert(L10n::tr("settings.write_failed"), reasonText(state_.reason()), DSToken::orange);
    show();
}

} // namespace vantrel
