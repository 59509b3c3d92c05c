#include "tracker/VtEvents.h"

#include <iterator>

#include "tracker/VtException.h"

namespace velto::tracking {
namespace {

// The text at |value| in |texts|, or the "unknown" message with the value appended.
template <typename Enum, size_t N>
std::string lookUp(Enum value, const char* const (&texts)[N], const char* unknownPrefix,
                   const char* function = "toString") {
  const auto index = static_cast<int32_t>(value);
  if (index >= 0 && static_cast<size_t>(index) < N) return texts[index];
  VT_THROW(function, std::string(unknownPrefix) + std::to_string(index) + "]!");
}

}  // namespace

std::string toString(VtEvent value) {
  static const char* const kTexts[] = {"Activity", "PaLaunchPal", "Login",  "Click",   "View",
                                       "Cashier",  "Share",       "Task",   "File",    "Order",
                                       "Payment",  "Uninstall",   "Update", "Crashed", "AppOpenNotification"};
  return lookUp(value, kTexts, "Unknown Event [");
}

std::string toString(VtResult value) {
  static const char* const kTexts[] = {"Success", "Cancelled", "Fail", "Unknown"};
  return lookUp(value, kTexts, "Unknown task result [");
}

std::string toString(VtUserType value) {
  static const char* const kTexts[] = {"unknown", "mobilephone", "email", "weixin",      "qq",     "deviceid",
                                       "baidu",   "huawei",      "apple", "veltouserid", "google", "facebook"};
  return lookUp(value, kTexts, "Unknown user type [", "userType");
}

std::string toString(VtClickType value) {
  static const char* const kTexts[] = {"Button", "Banner", "Tutorial", "File", "Others"};
  return lookUp(value, kTexts, "Unknown ClickType [");
}

std::string toString(VtIoType value) {
  switch (value) {
    case VtIoType::Input:
      return "Input";
    case VtIoType::Output:
      return "Output";
  }
  VT_THROW("toString", "the io type is invalid");
}

std::string toString(VtCurrency value) {
  static const char* const kTexts[] = {"CNY", "USD", "EUR", "HKD", "TWD", "MOP", "SGD", "JPY", "KRW", "INR", "GBP"};
  return lookUp(value, kTexts, "Unknown currency [");
}

std::string toString(VtPaidPlatform value) {
  static const char* const kTexts[] = {"Alipay",    "WeChatPay", "PayPal",   "Tenpay", "CIECC",
                                       "GooglePay", "HuaweiPay", "AppleIAP", "Paddle", "ChinaUnionPay"};
  return lookUp(value, kTexts, "Unknown paid platform [");
}

std::string toString(VtIapType value) {
  static const char* const kTexts[] = {"Consumable", "NonConsumable", "AutoRenewable", "NonRenewable"};
  return lookUp(value, kTexts, "Unknown vtIapType [");
}

std::string toString(VtUpdateOp value) {
  static const char* const kTexts[] = {"UpdateCheck", "DownloadStart", "DownloadEnd", "UpgrateStart", "UpgrateEnd"};
  return lookUp(value, kTexts, "Unknown VtUpdateOp [");
}

std::string toString(VtUpdateResult value) {
  static const char* const kTexts[] = {"Success", "Cancelled", "Timeout", "Fail", "Latest", "Updateable"};
  return lookUp(value, kTexts, "Unknown VtUpdateResult [");
}

std::string toString(VtEdition value) {
  static const char* const kTexts[] = {"china", "overseas"};
  return lookUp(value, kTexts, "Unknown edition [");
}

}  // namespace velto::tracking
