#pragma once

// The tracker's event kinds, enumerations and event records. Texts are UTF-8; optional
// fields are absent unless the caller sets them.

#include <cstdint>
#include <optional>
#include <string>

namespace velto::tracking {

// Event kinds; the numbering is shared with VtContextProperties.
enum class VtEvent : int32_t {
  Activity = 0,
  Launch = 1,
  Login = 2,
  Click = 3,
  View = 4,
  Cashier = 5,
  Share = 6,
  Task = 7,
  File = 8,
  Order = 9,
  Payment = 10,
  Uninstall = 11,
  Update = 12,
  Crash = 13,
  AppOpenNotification = 14,
};
inline constexpr int32_t kEventKindCount = 15;

enum class VtResult : int32_t { Success = 0, Cancelled = 1, Fail = 2, Unknown = 3 };
enum class VtUserType : int32_t {
  Unknown = 0,
  Mobilephone = 1,
  Email = 2,
  Weixin = 3,
  QQ = 4,
  DeviceId = 5,
  Baidu = 6,
  Huawei = 7,
  Apple = 8,
  VeltoUserId = 9,
  Google = 10,
  Facebook = 11,
};
enum class VtClickType : int32_t { Button = 0, Banner = 1, Tutorial = 2, File = 3, Others = 4 };
enum class VtIoType : int32_t { Input = 0, Output = 1 };
enum class VtCurrency : int32_t { CNY = 0, USD, EUR, HKD, TWD, MOP, SGD, JPY, KRW, INR, GBP };
enum class VtPaidPlatform : int32_t {
  Alipay = 0,
  WeChatPay,
  PayPal,
  Tenpay,
  CIECC,
  GooglePay,
  HuaweiPay,
  AppleIAP,
  Paddle,
  ChinaUnionPay,
};
enum class VtIapType : int32_t { Consumable = 0, NonConsumable, AutoRenewable, NonRenewable };
enum class VtUpdateOp : int32_t { UpdateCheck = 0, DownloadStart, DownloadEnd, UpgrateStart, UpgrateEnd };
enum class VtUpdateResult : int32_t { Success = 0, Cancelled, Timeout, Fail, Latest, Updateable };

// Wire texts. An unknown value raises VtException (function "toString", except the user
// type: "userType") with the enumeration's message and the value.
std::string toString(VtEvent value);  // the kind's log name ("Task", "PaLaunchPal", ...)
std::string toString(VtResult value);
std::string toString(VtUserType value);
std::string toString(VtClickType value);
std::string toString(VtIoType value);
std::string toString(VtCurrency value);
std::string toString(VtPaidPlatform value);
std::string toString(VtIapType value);
std::string toString(VtUpdateOp value);
std::string toString(VtUpdateResult value);

// The edition of the tracked application: 0 "china", 1 "overseas".
enum class VtEdition : int32_t { China = 0, Overseas = 1 };
std::string toString(VtEdition value);

struct VtEventClick {
  std::string aname;
  std::string name;
  VtClickType clickType = VtClickType::Button;
  std::string title;
  std::string module;
  std::string position;
  std::optional<int32_t> tabIndex;
  std::string tabName;
  std::optional<int32_t> bannerIndex;
  std::string bannerName;
};

struct VtEventView {
  std::string aname;
  std::string name;
  std::string title;
  std::string position;
};

struct VtEventCashier {
  std::string cashierName;
  std::string cashierTitle;
  std::string subitem;
};

struct VtEventShare {
  std::string aname;
  std::string channel;
  std::string position;
  std::string sharedName;
  std::optional<VtResult> result;
};

struct VtEventTask {
  std::string aname;
  std::string name;
  std::string reason;
  std::optional<float> elapsed;  // seconds
  std::optional<VtResult> result;
};

struct VtEventFile {
  std::string aname;
  std::string name;
  std::optional<VtIoType> io;
  std::string ext;
  std::optional<float> size;
  std::optional<int32_t> duration;
  std::optional<float> fps;
  std::optional<float> bps;
  std::optional<int32_t> width;
  std::optional<int32_t> height;
  std::optional<int32_t> depth;
  std::optional<VtResult> result;
};

struct VtEventOrder {
  std::string orderId;
  std::string subitem;
  std::string sku;
  std::string suitId;
  std::optional<VtCurrency> currency;
  float originalAmount = 0;
  std::string voucherId;
  float paidAmount = 0;
  std::string cashierName;
  std::string cashierTitle;
  std::optional<int32_t> campaignCode;
  float curOriginalAmount = 0;
  float curPaidAmount = 0;
};

struct VtEventPayment {
  std::string orderId;
  std::string subitem;
  std::string sku;
  std::optional<VtCurrency> currency;
  float originalAmount = 0;
  std::optional<int32_t> campaignCode;
  std::string voucherId;
  std::string usedVoucherId;
  float paidAmount = 0;
  std::string suitId;
  std::string cashierName;
  std::string cashierTitle;
  std::optional<VtPaidPlatform> paidPlatform;
  std::optional<VtResult> result;
  std::optional<VtIapType> iapType;
  float curOriginalAmount = 0;
  float curPaidAmount = 0;
};

struct VtEventUninstall {
  std::string uninstallReason;
};

struct VtEventUpdate {
  VtUpdateOp op = VtUpdateOp::UpdateCheck;
  std::optional<VtUpdateResult> result;
  std::optional<float> elapsed;  // seconds
};

struct VtAppOpenNotification {
  std::string msgTitle;
  std::string msgContent;
  std::string linkUrl;
  std::string planId;
  std::string audienceId;
  std::string planStrategyId;
  std::string planType;
  std::string strategyUnitId;
};

struct VtUserInfo {
  std::string userId;
  std::string userName;
  VtUserType userType = VtUserType::Unknown;
  std::string nickname;
  std::string portrait;
  std::string mobilephone;
  std::string email;
  std::string weixin;
  std::string qq;
  std::string did;
  int64_t created = 0;
  int64_t lastLogin = 0;
  std::string lastIp;
  int32_t vipLevel = 0;
  int64_t vipEndDate = 0;
};

}  // namespace velto::tracking
