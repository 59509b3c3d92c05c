#include "tracker/NativeUserTracker.h"

#include <map>
#include <type_traits>

#include "tracker/VtException.h"

namespace velto::tracking {
namespace {

constexpr int64_t kMillisecondThreshold = 157789440000LL;  // 0x24BCFBC800

const std::map<std::string, NativeUserTracker::Rule>& rules() {
  // Built once, thread-safely, on first use.
  static const std::map<std::string, NativeUserTracker::Rule> table = [] {
    std::map<std::string, NativeUserTracker::Rule> m;
    for (const char* name : {"$first_visit_time", "vt_first_visit_date", "$ios_install_source", "vt_first_paid_date"}) {
      m[name] = NativeUserTracker::SetOnce;
    }
    for (const char* name : {"vt_visit_count", "vt_paid_count", "vt_consumption"})
      m[name] = NativeUserTracker::Increment;
    for (const char* name : {"vt_label",
                             "vt_os",
                             "vt_os_version",
                             "vt_manufacturer",
                             "vt_model",
                             "vt_app_store",
                             "vt_app_platform",
                             "vt_last_app_id",
                             "vt_last_app_version",
                             "vt_carrier",
                             "vt_last_visit_date",
                             "aurora_pushid",
                             "vt_user_id",
                             "vt_user_name",
                             "vt_user_type",
                             "vt_user_nickname",
                             "vt_user_portrait",
                             "vt_user_mobilephone",
                             "vt_user_email",
                             "vt_user_weixin",
                             "vt_user_qq",
                             "vt_user_did",
                             "vt_user_created",
                             "vt_user_last_login",
                             "vt_user_last_ip",
                             "vt_user_vip_level",
                             "vt_user_vip_enddate",
                             "idfa",
                             "imei",
                             "android_id",
                             "oaid",
                             "vt_ip",
                             "vt_country_code",
                             "vt_country",
                             "vt_province",
                             "vt_city",
                             "vt_last_paid_date"}) {
      m[name] = NativeUserTracker::Set;
    }
    return m;
  }();
  return table;
}

}  // namespace

NativeUserTracker::Rule NativeUserTracker::ruleOf(const std::string& name) {
  const auto& table = rules();
  const auto it = table.find(name);
  return it == table.end() ? None : it->second;
}

DateTimeValue NativeUserTracker::toDateTime(int64_t value) {
  if (value >= kMillisecondThreshold) return {value / 1000, static_cast<int>(value % 1000)};
  return {value, 0};
}

template <typename T>
void NativeUserTracker::apply(const char* function, const std::string& name, const T& value, bool canIncrement,
                              bool canAppend) {
  EventProperties one;
  one.set(name, value);
  switch (ruleOf(name)) {
    case SetOnce:
      core_.profile(ProfileOperation::SetOnce, one);
      return;
    case Set:
      core_.profile(ProfileOperation::Set, one);
      return;
    case Increment:
      if (!canIncrement) {
        if constexpr (std::is_same_v<T, std::string>) {
          VT_THROW(function, "user property [" + name + "] is string type value, it cannot be accumulated!");
        } else {
          VT_THROW(function, "user property [" + name + "] is date time value, it cannot be accumulated!");
        }
      }
      core_.profile(ProfileOperation::Increment, one);
      return;
    case Append:
      if (!canAppend) {
        if constexpr (std::is_same_v<T, DateTimeValue>) {
          VT_THROW(function, "user property [" + name + "] is date time value, it cannot be append to list!");
        } else {
          VT_THROW(function, "user property [" + name + "] is number value, it cannot be append to list!");
        }
      }
      core_.profile(ProfileOperation::Append, one);
      return;
    case None:
      break;
  }
  VT_THROW(function, "Not supported user property [" + name + "]!");
}

void NativeUserTracker::ProfileUserPropertyString(const std::string& name, const std::string& value) {
  apply("ProfileUserPropertyString", name, value, false, true);
}

void NativeUserTracker::ProfileUserPropertyNumber(const std::string& name, int32_t value) {
  apply("ProfileUserPropertyNumber", name, value, true, false);
}

void NativeUserTracker::ProfileUserPropertyNumber(const std::string& name, double value) {
  apply("ProfileUserPropertyNumber", name, value, true, false);
}

void NativeUserTracker::ProfileUserPropertyDateTime(const std::string& name, int64_t value) {
  apply("ProfileUserPropertyDateTime", name, toDateTime(value), false, false);
}

}  // namespace velto::tracking
