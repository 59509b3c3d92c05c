#include "ui/InstallSession.h"

#include <cmath>
#include <limits>

#include "utils/DebugLog.h"
#include "utils/InstallerSettings.h"

namespace {

constexpr size_t kProgressTextLimit = 250;

// Doubles from the package arrive as any value: out-of-range ones are clamped rather than
// converted with undefined results.
int32_t toInt32(double value) {
  if (std::isnan(value)) return 0;
  value = std::trunc(value);
  if (value <= static_cast<double>(std::numeric_limits<int32_t>::min())) return std::numeric_limits<int32_t>::min();
  if (value >= static_cast<double>(std::numeric_limits<int32_t>::max())) return std::numeric_limits<int32_t>::max();
  return static_cast<int32_t>(value);
}

uint32_t toUint32(double value) {
  if (std::isnan(value) || value <= 0) return 0;
  if (value >= static_cast<double>(std::numeric_limits<uint32_t>::max())) return std::numeric_limits<uint32_t>::max();
  return static_cast<uint32_t>(value);
}

int percentOf(double fraction) {
  const double percent = std::trunc(fraction * 100.0);
  if (std::isnan(percent) || percent < 0) return 0;
  return percent > 100 ? 100 : static_cast<int>(percent);
}

}  // namespace

std::wstring FormatProgressText(const std::wstring& format, int percent) {
  std::wstring out;
  bool used = false;
  for (size_t i = 0; i < format.size(); ++i) {
    if (format[i] == L'%' && i + 1 < format.size()) {
      if (format[i + 1] == L'%') {
        out += L'%';
        ++i;
        continue;
      }
      if (format[i + 1] == L'd' && !used) {
        out += std::to_wstring(percent);
        used = true;
        ++i;
        continue;
      }
    }
    out += format[i];
  }
  if (out.size() > kProgressTextLimit) out.resize(kProgressTextLimit);
  return out;
}

CInstallSession::CInstallSession(CInstallSessionEffects& effects, double downloadScale)
    : effects_(effects), downloadScale_(downloadScale) {}

float CInstallSession::DownloadSeconds() {
  if (!stopwatchRunning_) return 0.0f;
  return static_cast<float>(static_cast<uint32_t>(effects_.TickCount() - stopwatchStart_) / 1000.0);
}

std::wstring CInstallSession::ProgressText(int percent) {
  if (!progressFormat_.empty()) return FormatProgressText(progressFormat_, percent);
  const bool slow = stopwatchRunning_ && static_cast<uint32_t>(effects_.TickCount() - stopwatchStart_) > 60u * 1000u;
  return FormatProgressText(slow ? L"正在安装中:%d%%，请耐心等待..." : L"正在安装中:%d%%，请稍候...", percent);
}

SessionOutcome CInstallSession::Progress(int percent) {
  barValue_ = percent;
  SessionOutcome outcome;
  outcome.action = SessionAction::kProgress;
  outcome.percent = percent;
  outcome.text = ProgressText(percent);
  return outcome;
}

void CInstallSession::ReportDownloaderStarted() {
  if (downloaderStartReported_) return;
  downloaderStartReported_ = true;
  effects_.ReportTask(L"下载器启动", 0.0f, abValue_);
}

void CInstallSession::OnDownloaderAnnounced() {
  ReportDownloaderStarted();
}

SessionOutcome CInstallSession::OnEngineEvent(int32_t code, double value, const std::wstring& text) {
  SessionOutcome outcome;
  switch (code) {
    case 1001:
      if (!downloaderStartReported_) abValue_ = Utils::Settings().AbGroup;
      ReportDownloaderStarted();
      stopwatchStart_ = effects_.TickCount();
      stopwatchRunning_ = true;
      effects_.ReportTask(L"开始下载大包", 0.0f, abValue_);
      break;
    case 1002:
      return Progress(percentOf(value * downloadScale_));
    case 1003:
      effects_.ReportTask(L"大包下载完毕", DownloadSeconds(), abValue_);
      break;
    case 1004:
      effects_.ReportDownloadFailure(value, text, abValue_);
      outcome.action = SessionAction::kNetworkPrompt;
      break;
    case 1006:
      effects_.ReportFailureReason(value, text, true, abValue_);
      break;
    case 2001:
      effects_.WriteHandover(instPath_);
      break;
    case 2002: {
      double fraction = installFraction_ + 0.15;
      if (fraction > 0.95) fraction = 0.95;
      if (value > fraction) fraction = value;
      // A late small report after one above 0.95 must not move the bar backwards.
      if (fraction > installFraction_) installFraction_ = fraction;
      return Progress(percentOf((1 - downloadScale_) * installFraction_ + downloadScale_));
    }
    case 2003:
      effects_.ReportTask(L"安装成功", 0.0f, abValue_);
      barValue_ = 100;
      outcome.action = SessionAction::kInstallSucceeded;
      outcome.percent = 100;
      break;
    case 2004:
      effects_.ReportFailureReason(value, text, false, abValue_);
      outcome.action = SessionAction::kInstallFailed;
      outcome.text = text.empty() ? L"安装失败" : text;
      // The bar goes back only once the installation phase had begun to fill it.
      if (barValue_ >= 70) {
        outcome.resetProgress = true;
        outcome.percent = 0;
        barValue_ = 0;
      }
      break;
    case 3000:
      instPath_ = text;
      break;
    case 3001:
      exePath_ = text;
      break;
    case 3003:
      uninstEp_ = text;
      break;
    case 3004:
      startUrl_ = text;
      break;
    case 3005:
      startupStyle_ = toInt32(value);
      break;
    case 3007:
      topShowDelay_ = toUint32(value);
      break;
    case 3008:
      finishCloseDelay_ = toUint32(value);
      break;
    case 3009:
      outcome.action = SessionAction::kPackageMessage;
      outcome.text = text;
      break;
    case 5004:
    case 5005:
      outcome.action = SessionAction::kUninstallFailed;
      outcome.text = kProductRunningMessage;
      break;
    default:
      break;
  }
  return outcome;
}

void CInstallSession::FinishInstallation() {
  effects_.RecordInstallation(instPath_, uninstEp_);
  effects_.WriteHandover(instPath_);
  if (startupStyle_ == 1) RunProduct();
}

void CInstallSession::RunProduct() {
  if (startUrl_.size() > 5) effects_.OpenAddress(startUrl_);
  if (!exePath_.empty() && effects_.Exists(exePath_)) {
    effects_.LetWindowRepaint();
    DLOG(L"starting %s\r\n", exePath_.c_str());
    effects_.OpenProgram(exePath_);
  }
}

void CInstallSession::OnOpenProductClicked() {
  if (startupStyle_ == 2) RunProduct();
}
