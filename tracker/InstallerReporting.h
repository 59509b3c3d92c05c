#pragma once

// The installer's reporting: start-up creates the tracker from the settings, the window,
// the HTTP client and the crash filter report through these functions, and the install
// hands the analytics identity over to the installed product. Nothing here ever reports
// an error to its caller; while IsEnableAppAnalytics is off nothing is built or sent.

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "tracker/UsageTracker.h"

// Extra values of one report; only "AB" (the A/B group label) is read.
using ExtraValues = std::map<std::wstring, std::wstring>;

// Creates the process-wide tracker from the installer settings when reporting is on. The
// analytics address is the settings' AnalyticsUrl (the tracker's built-in one when empty).
void InitAnalyticsTracker();

// Releases the process-wide tracker when reporting is on.
void ReleaseAnalyticsTracker();

// The configuration InitAnalyticsTracker hands to the tracker.
velto::tracking::TrackerConfig AnalyticsTrackerConfig();

// A Task milestone: |reason| may be empty; reasons are cut at 199 characters.
void ReportTaskEvent(const wchar_t* name, const wchar_t* reason, float elapsed, ExtraValues extras);

// A button click.
void ReportClickEvent(ExtraValues extras, const std::wstring& name);

// The progress page ("安装中").
void ReportViewEvent(ExtraValues extras);

// The crash event (reason "崩溃"). Sent before the call returns.
void ReportCrashEvent();

// Attaches extras["AB"] as "vtc_ab" to |kinds| when it is a valid A/B value; an empty or
// invalid value (or no "AB") attaches nothing.
void ApplyAbContext(const ExtraValues& extras, const std::vector<int32_t>& kinds,
                    velto::tracking::VtContextProperties& context);

// At most 199 characters of |reason| (a surrogate pair is never split).
std::wstring LimitReason(const std::wstring& reason);

// What the download-failure report says about the machine.
struct DownloadDiagnostics {
  double freeGigabytes = 0;  // bytes available to the caller on the package's drive / 2^30
  bool writable = false;     // the package file could be created and deleted
  int networkCode = 0;       // the network probe's status word
};

// "1.code=%ld；2.msg=%s；3.缓存磁盘容量=%.2fG；4.缓存读写权限=%s；5.服务器连接状态code=%d".
std::wstring ComposeDownloadFailureReason(double value, const std::wstring& text, const DownloadDiagnostics& d);

// ":1.code=%ld；2.msg=%s".
std::wstring ComposeFailureReason(double value, const std::wstring& text);

// Write-permission probe on |packagePath|: false when an existing file cannot be deleted or
// the file cannot be created; the file is gone afterwards either way it could be made.
bool ProbeWritePermission(const std::wstring& packagePath);

// The three probes of the download-failure report for |packagePath|.
DownloadDiagnostics ProbeDownloadDiagnostics(const std::wstring& packagePath);

// Reports "下载失败原因" with the five-item text for a download that failed with |value| and
// |text| (the orchestrator's notice) while downloading to |packagePath|.
void ReportDownloadFailure(const std::wstring& packagePath, double value, const std::wstring& text,
                           const std::wstring& abValue);

// Reports "下载失败原因" (|download|) or "安装失败原因" with the two-item text.
void ReportFailureReason(double value, const std::wstring& text, bool download, const std::wstring& abValue);

// Writes the hand-over entries into "set.ini" of |installFolder| and stamps the product's
// analytics file "VTUsageAnalytics.ini" in its data folder.
void WriteAnalyticsHandover(const std::wstring& installFolder);
