#include "tracker/EventCatalogue.h"

#include "tracker/VtException.h"

namespace velto::tracking {
namespace {

constexpr char kFirstTime[] = "$is_first_time";

void setIfText(EventProperties& p, const char* name, const std::string& value) {
  if (!value.empty()) p.set(name, value);
}

template <typename T>
void setIfPresent(EventProperties& p, const char* name, const std::optional<T>& value) {
  if (value) p.set(name, *value);
}

void setIfPresent(EventProperties& p, const char* name, const std::optional<float>& value) {
  if (value) p.set(name, static_cast<double>(*value));
}

void setIfPositive(EventProperties& p, const char* name, float value) {
  if (value > 0) p.set(name, static_cast<double>(value));
}

// Results 0 to 2 only: a stored Unknown is left out.
void setDefiniteResult(EventProperties& p, const char* name, const std::optional<VtResult>& result) {
  if (!result) return;
  const auto value = static_cast<int32_t>(*result);
  if (value >= 0 && value <= 2) p.set(name, toString(*result));
}

}  // namespace

EventProperties activityProperties(const ActivityFacts& facts, const VtContextProperties& context) {
  EventProperties p;
  context.addTo(p, VtEvent::Activity);
  setIfText(p, "vt_app_store", facts.appStore);
  if (!facts.appName.empty()) {
    p.set("vt_app_id", facts.appName);
    p.set("$app_id", facts.appName);
  }
  setIfText(p, "$app_version", facts.appVersion);
  p.set("$ios_install_source", std::string(kInstallSource));
  p.set("$user_agent", facts.userAgent);
  p.set(kFirstTime, true);
  p.set("$os", facts.osName);
  p.set("$os_version", facts.osVersion);
  return p;
}

EventProperties launchProperties(const VtContextProperties& context) {
  EventProperties p;
  context.addTo(p, VtEvent::Launch);
  return p;
}

EventProperties loginProperties(const VtUserInfo& user, bool success, const std::string& reason,
                                const VtContextProperties& context) {
  EventProperties p;
  if (!user.userId.empty()) {
    p.set("vt_user_id", user.userId);
    p.set("vt_login_id", user.userId);
  }
  p.set("vt_type", toString(user.userType));
  p.set("vt_result", std::string(success ? "Success" : "Fail"));
  setIfText(p, "vt_reason", reason);
  if (!user.userId.empty()) p.set(kFirstTime, true);
  context.addTo(p, VtEvent::Login);
  return p;
}

EventProperties clickProperties(const VtEventClick& e, const VtContextProperties& context) {
  if (e.name.empty()) VT_THROW("trackClick", "vtEventClick.name is empty");
  const std::string clickType = toString(e.clickType);
  EventProperties p;
  p.set("vt_name", e.name);
  p.set("vt_click_type", clickType);
  setIfText(p, "vt_aname", e.aname);
  setIfText(p, "vt_title", e.title);
  setIfText(p, "vt_position", e.position);
  setIfText(p, "vt_module", e.module);
  setIfText(p, "vt_tab_name", e.tabName);
  setIfPresent(p, "vt_tab_index", e.tabIndex);
  setIfText(p, "vt_banner_name", e.bannerName);
  setIfPresent(p, "vt_banner_index", e.bannerIndex);
  p.set(kFirstTime, true);
  context.addTo(p, VtEvent::Click);
  return p;
}

EventProperties viewProperties(const VtEventView& e, const VtContextProperties& context) {
  if (e.name.empty()) VT_THROW("trackView", "vtEventView.name is empty");
  EventProperties p;
  p.set("vt_name", e.name);
  setIfText(p, "vt_aname", e.aname);
  setIfText(p, "vt_title", e.title);
  setIfText(p, "vt_position", e.position);
  p.set(kFirstTime, true);
  context.addTo(p, VtEvent::View);
  return p;
}

EventProperties cashierProperties(const VtEventCashier& e, const VtContextProperties& context) {
  if (e.cashierName.empty()) VT_THROW("trackCashier", "vtEventCashier.vt_cashier_name is empty");
  EventProperties p;
  p.set("vt_cashier_name", e.cashierName);
  setIfText(p, "vt_cashier_title", e.cashierTitle);
  setIfText(p, "vt_subitem", e.subitem);
  p.set(kFirstTime, true);
  context.addTo(p, VtEvent::Cashier);
  return p;
}

EventProperties shareProperties(const VtEventShare& e, const VtContextProperties& context) {
  EventProperties p;
  setIfText(p, "vt_aname", e.aname);
  setIfText(p, "vt_channel", e.channel);
  setIfText(p, "vt_position", e.position);
  setIfText(p, "vt_shared_name", e.sharedName);
  if (e.result) p.set("vt_result", toString(*e.result));
  p.set(kFirstTime, true);
  context.addTo(p, VtEvent::Share);
  return p;
}

EventProperties taskProperties(const VtEventTask& e, const VtContextProperties& context) {
  if (e.name.empty()) VT_THROW("trackTask", "vtEventTask.name is empty");
  EventProperties p;
  p.set("vt_task_name", e.name);
  setIfPresent(p, "vt_task_elapsed", e.elapsed);
  setDefiniteResult(p, "vt_task_result", e.result);
  setIfText(p, "vt_aname", e.aname);
  setIfText(p, "vt_reason", e.reason);
  p.set(kFirstTime, true);
  context.addTo(p, VtEvent::Task);
  return p;
}

EventProperties fileProperties(const VtEventFile& e, const VtContextProperties& context) {
  if (e.aname.empty()) VT_THROW("trackFile", "vtEventFile.aname is empty");
  EventProperties p;
  p.set("vt_aname", e.aname);
  if (e.io) p.set("vt_io", toString(*e.io));
  setDefiniteResult(p, "vt_result", e.result);
  setIfText(p, "vt_name", e.name);
  setIfText(p, "vt_ext", e.ext);
  if (e.size && *e.size > 0) p.set("vt_size", static_cast<double>(*e.size));
  setIfPresent(p, "vt_duration", e.duration);
  setIfPresent(p, "vt_fps", e.fps);
  setIfPresent(p, "vt_bps", e.bps);
  setIfPresent(p, "vt_width", e.width);
  setIfPresent(p, "vt_height", e.height);
  setIfPresent(p, "vt_depth", e.depth);
  p.set(kFirstTime, true);
  context.addTo(p, VtEvent::File);
  return p;
}

EventProperties orderProperties(const VtEventOrder& e, const VtContextProperties& context) {
  if (e.suitId.empty()) VT_THROW("trackOrder", "vtEventOrder.vtSuitId is empty");
  if (!e.currency) VT_THROW("trackOrder", "vtEventOrder.vtCurrency is nullptr");
  if (!(e.originalAmount > 0)) VT_THROW("trackOrder", "vtEventOrder.originalAmount is less than zero");
  if (!(e.paidAmount > 0)) VT_THROW("trackOrder", "vtEventOrder.paidAmount is not above zero");
  EventProperties p;
  p.set("vt_suit_id", e.suitId);
  p.set("vt_currency", toString(*e.currency));
  p.set("vt_paid_amount", static_cast<double>(e.paidAmount));
  p.set("vt_original_amount", static_cast<double>(e.originalAmount));
  p.set(kFirstTime, true);
  setIfText(p, "vt_order_id", e.orderId);
  setIfText(p, "vt_subitem", e.subitem);
  setIfText(p, "vt_sku", e.sku);
  setIfPresent(p, "vt_campaign_code", e.campaignCode);
  setIfText(p, "vt_voucher_id", e.voucherId);
  setIfPositive(p, "vt_cur_original_amount", e.curOriginalAmount);
  setIfPositive(p, "vt_cur_paid_amount", e.curPaidAmount);
  setIfText(p, "vt_cashier_name", e.cashierName);
  setIfText(p, "vt_cashier_title", e.cashierTitle);
  context.addTo(p, VtEvent::Order);
  return p;
}

EventProperties paymentProperties(const VtEventPayment& e, const VtContextProperties& context) {
  if (e.orderId.empty()) VT_THROW("trackPayment", "vtEventPayment.vtOrderId is empty");
  if (e.paidAmount < 0) VT_THROW("trackPayment", "paidAmount = " + std::to_string(e.paidAmount) + " is invalid");
  if (e.originalAmount < 0) {
    VT_THROW("trackPayment", "originalAmount = " + std::to_string(e.originalAmount) + " is invalid");
  }
  if (!e.result || (*e.result != VtResult::Success && *e.result != VtResult::Fail)) {
    VT_THROW("trackPayment", "vtEventPayment.result is invalid");
  }
  if (!e.paidPlatform) VT_THROW("trackPayment", "vtEventPayment.paidPlatform is nullptr");
  if (!e.currency) VT_THROW("trackPayment", "vtEventPayment.vtCurrency is nullptr");
  EventProperties p;
  p.set("vt_order_id", e.orderId);
  p.set("vt_paid_platform", toString(*e.paidPlatform));
  p.set("vt_currency", toString(*e.currency));
  p.set("vt_paid_amount", static_cast<double>(e.paidAmount));
  p.set("vt_original_amount", static_cast<double>(e.originalAmount));
  p.set("vt_result", toString(*e.result));
  p.set(kFirstTime, true);
  setIfText(p, "vt_suit_id", e.suitId);
  if (e.iapType) p.set("vt_iap_type", toString(*e.iapType));
  setIfText(p, "vt_subitem", e.subitem);
  setIfText(p, "vt_sku", e.sku);
  setIfText(p, "vt_voucher_id", e.voucherId);
  setIfText(p, "vt_used_voucher_id", e.usedVoucherId);
  setIfPresent(p, "vt_campaign_code", e.campaignCode);
  setIfPositive(p, "vt_cur_original_amount", e.curOriginalAmount);
  setIfPositive(p, "vt_cur_paid_amount", e.curPaidAmount);
  setIfText(p, "vt_cashier_name", e.cashierName);
  setIfText(p, "vt_cashier_title", e.cashierTitle);
  context.addTo(p, VtEvent::Payment);
  return p;
}

EventProperties uninstallProperties(const VtEventUninstall& e, const VtContextProperties& context) {
  EventProperties p;
  setIfText(p, "vt_uninstall_reason", e.uninstallReason);
  context.addTo(p, VtEvent::Uninstall);
  return p;
}

EventProperties crashProperties(const std::string& reason) {
  EventProperties p;
  setIfText(p, "app_crashed_reason", reason);
  return p;
}

EventProperties updateProperties(const VtEventUpdate& e, const VtContextProperties& context) {
  EventProperties p;
  p.set("vt_update_op", toString(e.op));
  switch (e.op) {
    case VtUpdateOp::UpdateCheck:
      p.set("vt_update_result", e.result ? toString(*e.result) : std::string());
      break;
    case VtUpdateOp::DownloadStart:
    case VtUpdateOp::UpgrateStart:
      break;
    case VtUpdateOp::DownloadEnd:
    case VtUpdateOp::UpgrateEnd:
      if (!e.result) VT_THROW("trackUpdate", "Unknown updateResultInfo info");
      p.set("vt_update_result", toString(*e.result));
      if (e.op == VtUpdateOp::UpgrateEnd) p.set(kFirstTime, true);
      if (!e.elapsed) VT_THROW("trackUpdate", "invalid elapsed info");
      p.set("vt_elapsed", static_cast<double>(*e.elapsed));
      break;
  }
  context.addTo(p, VtEvent::Update);
  return p;
}

EventProperties appOpenNotificationProperties(const VtAppOpenNotification* n, const VtContextProperties& context) {
  if (!n) VT_THROW("trackAppOpenNotification", "&appOpenNotification is nullptr");
  if (n->planId.empty()) VT_THROW("trackAppOpenNotification", "planID is emptry");
  if (n->planType.empty()) VT_THROW("trackAppOpenNotification", "planType is emptry");
  if (n->msgTitle.empty()) VT_THROW("trackAppOpenNotification", "msgTitle is emptry");
  EventProperties p;
  p.set("$sf_msg_title", n->msgTitle);
  p.set("$sf_plan_id", n->planId);
  p.set("$sf_plan_type", n->planType);
  p.set(kFirstTime, true);
  setIfText(p, "$sf_msg_content", n->msgContent);
  setIfText(p, "$sf_link_url", n->linkUrl);
  setIfText(p, "$sf_audience_id", n->audienceId);
  setIfText(p, "$sf_plan_strategy_id", n->planStrategyId);
  setIfText(p, "$sf_strategy_unit_id", n->strategyUnitId);
  context.addTo(p, VtEvent::AppOpenNotification);
  return p;
}

}  // namespace velto::tracking
