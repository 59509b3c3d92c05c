#include "tracker/InstallerReporting.h"

#include <windows.h>

#include <cstdio>

#include "tracker/VtException.h"
#include "utils/InstallerSettings.h"
#include "utils/TextConvert.h"

using velto::tracking::TrackerConfig;
using velto::tracking::usageTracker;
using velto::tracking::VtClickType;
using velto::tracking::VtContextProperties;
using velto::tracking::VtEvent;
using velto::tracking::VtEventClick;
using velto::tracking::VtEventTask;
using velto::tracking::VtEventView;
using velto::tracking::VtResult;

namespace {

constexpr size_t kReasonLimit = 199;  // the reports' 200-character buffers

bool reportingEnabled() {
  return Utils::Settings().IsEnableAppAnalytics;
}

int32_t kindOf(VtEvent kind) {
  return static_cast<int32_t>(kind);
}

std::wstring exeFileName() {
  wchar_t path[MAX_PATH] = {};
  ::GetModuleFileNameW(nullptr, path, MAX_PATH);
  const wchar_t* slash = wcsrchr(path, L'\\');
  return slash ? slash + 1 : path;
}

}  // namespace

std::wstring LimitReason(const std::wstring& reason) {
  if (reason.size() <= kReasonLimit) return reason;
  size_t cut = kReasonLimit;
  if (IS_HIGH_SURROGATE(reason[cut - 1])) --cut;
  return reason.substr(0, cut);
}

TrackerConfig AnalyticsTrackerConfig() {
  const Utils::InstallerSettings& settings = Utils::Settings();
  TrackerConfig config;
  config.appName = Utils::WideToUtf8(settings.AppName + settings.DlAppNameSuffix);
  config.appVersion = Utils::WideToUtf8(settings.AppVersion);
  config.appStore = Utils::WideToUtf8(exeFileName());
  config.dlAppId = Utils::WideToUtf8(settings.AppName);
  config.dlAppVersion = Utils::WideToUtf8(settings.DlAppVersion);
  config.edition = 0;
  config.serverUrl = Utils::WideToUtf8(settings.AnalyticsUrl);
  return config;
}

void InitAnalyticsTracker() {
  if (!reportingEnabled()) return;
  velto::tracking::initUsageTracker(AnalyticsTrackerConfig());
}

void ReleaseAnalyticsTracker() {
  if (!reportingEnabled()) return;
  velto::tracking::releaseUsageTracker();
}

void ApplyAbContext(const ExtraValues& extras, const std::vector<int32_t>& kinds, VtContextProperties& context) {
  const auto ab = extras.find(L"AB");
  if (ab == extras.end()) return;
  const std::string value = Utils::WideToUtf8(ab->second);
  try {
    if (VtContextProperties::isValidABValue(value)) context.setProperty(value, kinds);
  } catch (const velto::tracking::VtException&) {
    // A value that breaks the rule is left out; the event is still sent.
  }
}

void ReportTaskEvent(const wchar_t* name, const wchar_t* reason, float elapsed, ExtraValues extras) {
  if (!reportingEnabled()) return;
  const auto tracker = usageTracker();
  if (!tracker) return;
  VtContextProperties context;
  ApplyAbContext(extras, {kindOf(VtEvent::Task)}, context);
  VtEventTask event;
  event.name = Utils::WideToUtf8(name ? name : L"");
  event.reason = Utils::WideToUtf8(LimitReason(reason ? reason : L""));
  event.elapsed = elapsed;
  event.result = VtResult::Success;
  tracker->trackTask(event, context);
}

void ReportClickEvent(ExtraValues extras, const std::wstring& name) {
  if (!reportingEnabled()) return;
  const auto tracker = usageTracker();
  if (!tracker) return;
  VtContextProperties context;
  ApplyAbContext(extras, {kindOf(VtEvent::Click)}, context);
  VtEventClick event;
  event.name = Utils::WideToUtf8(name);
  event.clickType = VtClickType::Button;
  tracker->trackClick(event, context);
}

void ReportViewEvent(ExtraValues extras) {
  if (!reportingEnabled()) return;
  const auto tracker = usageTracker();
  if (!tracker) return;
  VtContextProperties context;
  ApplyAbContext(extras, {kindOf(VtEvent::View)}, context);
  VtEventView event;
  event.name = Utils::WideToUtf8(L"安装中");
  tracker->trackView(event, context);
}

void ReportCrashEvent() {
  if (!reportingEnabled()) return;
  const auto tracker = usageTracker();
  if (!tracker) return;
  tracker->trackCrash(Utils::WideToUtf8(L"崩溃"));
}

std::wstring ComposeDownloadFailureReason(double value, const std::wstring& text, const DownloadDiagnostics& d) {
  wchar_t buffer[1024] = {};
  _snwprintf(buffer, 1023, L"1.code=%ld；2.msg=%s；3.缓存磁盘容量=%.2fG；4.缓存读写权限=%s；5.服务器连接状态code=%d",
             static_cast<long>(value), text.c_str(), d.freeGigabytes, d.writable ? L"可读" : L"无权限", d.networkCode);
  return LimitReason(buffer);
}

std::wstring ComposeFailureReason(double value, const std::wstring& text) {
  wchar_t buffer[1024] = {};
  _snwprintf(buffer, 1023, L":1.code=%ld；2.msg=%s", static_cast<long>(value), text.c_str());
  return LimitReason(buffer);
}

bool ProbeWritePermission(const std::wstring& packagePath) {
  if (::GetFileAttributesW(packagePath.c_str()) != INVALID_FILE_ATTRIBUTES && !::DeleteFileW(packagePath.c_str())) {
    return false;
  }
  HANDLE file = ::CreateFileW(packagePath.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                              nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  ::CloseHandle(file);
  ::DeleteFileW(packagePath.c_str());
  return true;
}

void ReportFailureReason(double value, const std::wstring& text, bool download, const std::wstring& abValue) {
  if (!reportingEnabled()) return;
  const std::wstring reason = ComposeFailureReason(value, text);
  ReportTaskEvent(download ? L"下载失败原因" : L"安装失败原因", reason.c_str(), 0.0f, {{L"AB", abValue}});
}
