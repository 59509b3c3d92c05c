#include "tracker/EventCatalogue.h"

#include <gtest/gtest.h>

#include "tests/tracker/PropertyMatchers.h"

using namespace velto::tracking;
using tracker_testing::ExpectProperties;
using tracker_testing::ThrownMessage;

namespace {

const std::string kTrue = "$is_first_time";

// A context holding "vtc_ab" = "B2" for |kinds|.
struct AbContext {
  explicit AbContext(std::vector<int32_t> kinds) { context.setProperty("B2", kinds); }
  VtContextProperties context;
};

}  // namespace

TEST(EventCatalogueTest, EnumerationTextsAndUnknownValues) {
  EXPECT_EQ(toString(VtResult::Cancelled), "Cancelled");
  EXPECT_EQ(toString(VtUpdateResult::Fail), "Fail");
  EXPECT_EQ(toString(VtUpdateOp::UpgrateStart), "UpgrateStart");
  EXPECT_EQ(toString(VtUserType::VeltoUserId), "veltouserid");
  EXPECT_EQ(toString(VtPaidPlatform::ChinaUnionPay), "ChinaUnionPay");
  EXPECT_EQ(toString(VtCurrency::GBP), "GBP");
  EXPECT_EQ(toString(VtIapType::NonRenewable), "NonRenewable");
  EXPECT_EQ(toString(VtEvent::Launch), "PaLaunchPal");
  EXPECT_EQ(toString(VtEvent::Crash), "Crashed");
  EXPECT_EQ(toString(VtEdition::Overseas), "overseas");

  struct Case {
    std::string (*call)();
    const char* function;
    const char* message;
  };
  const Case cases[] = {
      {[] { return toString(static_cast<VtResult>(4)); }, "toString", "Unknown task result [4]!"},
      {[] { return toString(static_cast<VtUserType>(12)); }, "userType", "Unknown user type [12]!"},
      {[] { return toString(static_cast<VtClickType>(7)); }, "toString", "Unknown ClickType [7]!"},
      {[] { return toString(static_cast<VtIoType>(2)); }, "toString", "the io type is invalid"},
      {[] { return toString(static_cast<VtCurrency>(-1)); }, "toString", "Unknown currency [-1]!"},
      {[] { return toString(static_cast<VtPaidPlatform>(10)); }, "toString", "Unknown paid platform [10]!"},
      {[] { return toString(static_cast<VtIapType>(4)); }, "toString", "Unknown vtIapType [4]!"},
      {[] { return toString(static_cast<VtUpdateOp>(5)); }, "toString", "Unknown VtUpdateOp [5]!"},
      {[] { return toString(static_cast<VtUpdateResult>(6)); }, "toString", "Unknown VtUpdateResult [6]!"},
      {[] { return toString(static_cast<VtEvent>(15)); }, "toString", "Unknown Event [15]!"},
      {[] { return toString(static_cast<VtEdition>(2)); }, "toString", "Unknown edition [2]!"},
  };
  for (const Case& c : cases) {
    std::string function;
    EXPECT_EQ(ThrownMessage(c.call, &function), c.message);
    EXPECT_EQ(function, c.function) << c.message;
  }
}

TEST(EventCatalogueTest, TaskElapsedAndResults) {
  VtContextProperties none;
  VtEventTask task;
  task.name = "t";
  task.elapsed = 2.5f;
  task.result = VtResult::Cancelled;
  ExpectProperties(taskProperties(task, none), {{"vt_task_name", std::string("t")},
                                                {"vt_task_elapsed", 2.5},
                                                {"vt_task_result", std::string("Cancelled")},
                                                {kTrue, true}});

  task.result = VtResult::Unknown;
  task.aname = "a";
  task.reason = "r";
  AbContext ab({7});
  ExpectProperties(taskProperties(task, ab.context), {{"vt_task_name", std::string("t")},
                                                      {"vt_task_elapsed", 2.5},
                                                      {"vt_aname", std::string("a")},
                                                      {"vt_reason", std::string("r")},
                                                      {kTrue, true},
                                                      {"vtc_ab", std::string("B2")}});

  VtEventTask bare;
  bare.name = "t";
  ExpectProperties(taskProperties(bare, none), {{"vt_task_name", std::string("t")}, {kTrue, true}});
  std::string function;
  EXPECT_EQ(ThrownMessage([] { taskProperties(VtEventTask{}, VtContextProperties{}); }, &function),
            "vtEventTask.name is empty");
  EXPECT_EQ(function, "trackTask");
}

TEST(EventCatalogueTest, ClickViewCashierShareFile) {
  VtContextProperties none;
  VtEventClick click;
  click.name = "n";
  click.clickType = VtClickType::Banner;
  click.tabIndex = 0;
  click.bannerName = "b";
  click.module = "m";
  ExpectProperties(clickProperties(click, none), {{"vt_name", std::string("n")},
                                                  {"vt_click_type", std::string("Banner")},
                                                  {"vt_module", std::string("m")},
                                                  {"vt_tab_index", int32_t{0}},
                                                  {"vt_banner_name", std::string("b")},
                                                  {kTrue, true}});
  click.clickType = static_cast<VtClickType>(7);
  EXPECT_EQ(ThrownMessage([&] { clickProperties(click, none); }), "Unknown ClickType [7]!");
  EXPECT_EQ(ThrownMessage([&] { clickProperties(VtEventClick{}, none); }), "vtEventClick.name is empty");

  VtEventView view;
  view.name = "v";
  view.position = "p";
  ExpectProperties(viewProperties(view, none),
                   {{"vt_name", std::string("v")}, {"vt_position", std::string("p")}, {kTrue, true}});
  EXPECT_EQ(ThrownMessage([&] { viewProperties(VtEventView{}, none); }), "vtEventView.name is empty");

  EXPECT_EQ(ThrownMessage([&] { cashierProperties(VtEventCashier{}, none); }),
            "vtEventCashier.vt_cashier_name is empty");
  ExpectProperties(cashierProperties(VtEventCashier{"c", "", "s"}, none),
                   {{"vt_cashier_name", std::string("c")}, {"vt_subitem", std::string("s")}, {kTrue, true}});

  VtEventShare share;
  share.result = VtResult::Unknown;  // Share sends every result text
  ExpectProperties(shareProperties(share, none), {{"vt_result", std::string("Unknown")}, {kTrue, true}});

  VtEventFile file;
  file.aname = "x";
  file.io = VtIoType::Output;
  ExpectProperties(fileProperties(file, none),
                   {{"vt_aname", std::string("x")}, {"vt_io", std::string("Output")}, {kTrue, true}});
  file.size = 0.0f;  // sent only above 0
  file.result = VtResult::Fail;
  file.width = 640;
  file.fps = 29.5f;
  ExpectProperties(fileProperties(file, none), {{"vt_aname", std::string("x")},
                                                {"vt_io", std::string("Output")},
                                                {"vt_result", std::string("Fail")},
                                                {"vt_fps", 29.5},
                                                {"vt_width", int32_t{640}},
                                                {kTrue, true}});
  EXPECT_EQ(ThrownMessage([&] { fileProperties(VtEventFile{}, none); }), "vtEventFile.aname is empty");
}

TEST(EventCatalogueTest, OrderChecksAndProperties) {
  VtContextProperties none;
  auto valid = [] {
    VtEventOrder o;
    o.suitId = "s";
    o.currency = VtCurrency::USD;
    o.originalAmount = 2.0f;
    o.paidAmount = 1.5f;
    return o;
  };
  struct Case {
    void (*spoil)(VtEventOrder&);
    const char* message;
  };
  const Case cases[] = {
      {[](VtEventOrder& o) { o.suitId.clear(); }, "vtEventOrder.vtSuitId is empty"},
      {[](VtEventOrder& o) { o.currency.reset(); }, "vtEventOrder.vtCurrency is nullptr"},
      {[](VtEventOrder& o) { o.originalAmount = 0; }, "vtEventOrder.originalAmount is less than zero"},
      {[](VtEventOrder& o) { o.paidAmount = 0; }, "vtEventOrder.paidAmount is not above zero"},
  };
  for (const Case& c : cases) {
    VtEventOrder order = valid();
    c.spoil(order);
    EXPECT_EQ(ThrownMessage([&] { orderProperties(order, none); }), c.message);
  }
  VtEventOrder order = valid();
  order.sku = "k";
  order.curPaidAmount = 3.0f;
  order.campaignCode = 9;
  ExpectProperties(orderProperties(order, none), {{"vt_suit_id", std::string("s")},
                                                  {"vt_currency", std::string("USD")},
                                                  {"vt_paid_amount", 1.5},
                                                  {"vt_original_amount", 2.0},
                                                  {kTrue, true},
                                                  {"vt_sku", std::string("k")},
                                                  {"vt_campaign_code", int32_t{9}},
                                                  {"vt_cur_paid_amount", 3.0}});
}

TEST(EventCatalogueTest, PaymentChecksAndProperties) {
  VtContextProperties none;
  auto valid = [] {
    VtEventPayment p;
    p.orderId = "o";
    p.paidAmount = 0;  // zero is allowed
    p.originalAmount = 1;
    p.result = VtResult::Fail;
    p.paidPlatform = VtPaidPlatform::PayPal;
    p.currency = VtCurrency::EUR;
    return p;
  };
  struct Case {
    void (*spoil)(VtEventPayment&);
    const char* message;
  };
  const Case cases[] = {
      {[](VtEventPayment& p) { p.orderId.clear(); }, "vtEventPayment.vtOrderId is empty"},
      {[](VtEventPayment& p) { p.paidAmount = -1; }, "paidAmount = -1.000000 is invalid"},
      {[](VtEventPayment& p) { p.originalAmount = -0.5f; }, "originalAmount = -0.500000 is invalid"},
      {[](VtEventPayment& p) { p.result.reset(); }, "vtEventPayment.result is invalid"},
      {[](VtEventPayment& p) { p.result = VtResult::Cancelled; }, "vtEventPayment.result is invalid"},
      {[](VtEventPayment& p) { p.paidPlatform.reset(); }, "vtEventPayment.paidPlatform is nullptr"},
      {[](VtEventPayment& p) { p.currency.reset(); }, "vtEventPayment.vtCurrency is nullptr"},
  };
  for (const Case& c : cases) {
    VtEventPayment payment = valid();
    c.spoil(payment);
    std::string function;
    EXPECT_EQ(ThrownMessage([&] { paymentProperties(payment, none); }, &function), c.message);
    EXPECT_EQ(function, "trackPayment");
  }
  VtEventPayment payment = valid();
  payment.iapType = VtIapType::AutoRenewable;
  payment.usedVoucherId = "u";
  AbContext ab({10});
  ExpectProperties(paymentProperties(payment, ab.context), {{"vt_order_id", std::string("o")},
                                                            {"vt_paid_platform", std::string("PayPal")},
                                                            {"vt_currency", std::string("EUR")},
                                                            {"vt_paid_amount", 0.0},
                                                            {"vt_original_amount", 1.0},
                                                            {"vt_result", std::string("Fail")},
                                                            {kTrue, true},
                                                            {"vt_iap_type", std::string("AutoRenewable")},
                                                            {"vt_used_voucher_id", std::string("u")},
                                                            {"vtc_ab", std::string("B2")}});
}

TEST(EventCatalogueTest, UpdateRules) {
  VtContextProperties none;
  struct Case {
    VtUpdateOp op;
    std::optional<VtUpdateResult> result;
    std::optional<float> elapsed;
    const char* error;  // null when sent
    std::initializer_list<EventProperties::Entry> expected;
  };
  const Case cases[] = {
      {VtUpdateOp::DownloadStart,
       std::nullopt,
       std::nullopt,
       nullptr,
       {{"vt_update_op", std::string("DownloadStart")}}},
      {VtUpdateOp::UpgrateStart, VtUpdateResult::Fail, 1.0f, nullptr, {{"vt_update_op", std::string("UpgrateStart")}}},
      {VtUpdateOp::UpdateCheck,
       std::nullopt,
       std::nullopt,
       nullptr,
       {{"vt_update_op", std::string("UpdateCheck")}, {"vt_update_result", std::string()}}},
      {VtUpdateOp::UpdateCheck,
       VtUpdateResult::Latest,
       std::nullopt,
       nullptr,
       {{"vt_update_op", std::string("UpdateCheck")}, {"vt_update_result", std::string("Latest")}}},
      {VtUpdateOp::DownloadEnd, VtUpdateResult::Timeout, std::nullopt, "invalid elapsed info", {}},
      {VtUpdateOp::DownloadEnd, std::nullopt, 1.0f, "Unknown updateResultInfo info", {}},
      {VtUpdateOp::DownloadEnd,
       VtUpdateResult::Timeout,
       1.5f,
       nullptr,
       {{"vt_update_op", std::string("DownloadEnd")},
        {"vt_update_result", std::string("Timeout")},
        {"vt_elapsed", 1.5}}},
      {VtUpdateOp::UpgrateEnd,
       VtUpdateResult::Success,
       0.25f,
       nullptr,
       {{"vt_update_op", std::string("UpgrateEnd")},
        {"vt_update_result", std::string("Success")},
        {"$is_first_time", true},
        {"vt_elapsed", 0.25}}},
      {static_cast<VtUpdateOp>(9), std::nullopt, std::nullopt, "Unknown VtUpdateOp [9]!", {}},
  };
  for (const Case& c : cases) {
    VtEventUpdate update{c.op, c.result, c.elapsed};
    if (c.error) {
      EXPECT_EQ(ThrownMessage([&] { updateProperties(update, none); }), c.error);
    } else {
      ExpectProperties(updateProperties(update, none), c.expected);
    }
  }
}

TEST(EventCatalogueTest, LoginWithAndWithoutUserId) {
  AbContext ab({2});
  VtUserInfo user;
  user.userType = VtUserType::Email;
  ExpectProperties(
      loginProperties(user, false, "", ab.context),
      {{"vt_type", std::string("email")}, {"vt_result", std::string("Fail")}, {"vtc_ab", std::string("B2")}});
  user.userId = "u1";
  ExpectProperties(loginProperties(user, true, "why", ab.context), {{"vt_user_id", std::string("u1")},
                                                                    {"vt_login_id", std::string("u1")},
                                                                    {"vt_type", std::string("email")},
                                                                    {"vt_result", std::string("Success")},
                                                                    {"vt_reason", std::string("why")},
                                                                    {kTrue, true},
                                                                    {"vtc_ab", std::string("B2")}});
  user.userType = static_cast<VtUserType>(20);
  std::string function;
  EXPECT_EQ(ThrownMessage([&] { loginProperties(user, true, "", ab.context); }, &function), "Unknown user type [20]!");
  EXPECT_EQ(function, "userType");
}

TEST(EventCatalogueTest, ActivityLaunchUninstallCrashNotification) {
  AbContext ab({0, 1, 11, 13, 14});
  ExpectProperties(activityProperties({"app", "1.0", "", "UA", "Windows", "10"}, ab.context),
                   {{"vtc_ab", std::string("B2")},
                    {"vt_app_id", std::string("app")},
                    {"$app_id", std::string("app")},
                    {"$app_version", std::string("1.0")},
                    {"$ios_install_source", std::string("android_id=123##imei=1234##mac=123")},
                    {"$user_agent", std::string("UA")},
                    {kTrue, true},
                    {"$os", std::string("Windows")},
                    {"$os_version", std::string("10")}});
  ExpectProperties(launchProperties(VtContextProperties{}), {});
  ExpectProperties(launchProperties(ab.context), {{"vtc_ab", std::string("B2")}});
  ExpectProperties(uninstallProperties({"r"}, ab.context),
                   {{"vt_uninstall_reason", std::string("r")}, {"vtc_ab", std::string("B2")}});
  ExpectProperties(crashProperties("崩溃"), {{"app_crashed_reason", std::string("崩溃")}});
  ExpectProperties(crashProperties(""), {});

  VtAppOpenNotification n;
  EXPECT_EQ(ThrownMessage([&] { appOpenNotificationProperties(nullptr, ab.context); }),
            "&appOpenNotification is nullptr");
  EXPECT_EQ(ThrownMessage([&] { appOpenNotificationProperties(&n, ab.context); }), "planID is emptry");
  n.planId = "p";
  EXPECT_EQ(ThrownMessage([&] { appOpenNotificationProperties(&n, ab.context); }), "planType is emptry");
  n.planType = "t";
  EXPECT_EQ(ThrownMessage([&] { appOpenNotificationProperties(&n, ab.context); }), "msgTitle is emptry");
  n.msgTitle = "m";
  n.linkUrl = "l";
  ExpectProperties(appOpenNotificationProperties(&n, ab.context), {{"$sf_msg_title", std::string("m")},
                                                                   {"$sf_plan_id", std::string("p")},
                                                                   {"$sf_plan_type", std::string("t")},
                                                                   {kTrue, true},
                                                                   {"$sf_link_url", std::string("l")},
                                                                   {"vtc_ab", std::string("B2")}});
}
