#pragma once

// Shared set-up of tracker tests: a scratch folder standing in for the executable's folder
// and the local application-data folder, and a recording analytics core.

#include <gtest/gtest.h>

#include <string>

#include "tests/support/TestPaths.h"
#include "tests/tracker/FakeAnalyticsCore.h"
#include "tracker/UsageTrackerImpl.h"

namespace tracker_testing {

inline std::string Narrow(const std::wstring& path) {
  return std::string(path.begin(), path.end());
}

inline std::string ReadKey(const std::string& file, const char* section, const char* key) {
  char buffer[256] = {};
  ::GetPrivateProfileStringA(section, key, "<none>", buffer, sizeof buffer, file.c_str());
  return buffer;
}

// Tests that run a tracker in scratch surroundings with a recording core; also makes
// initUsageTracker use them, and drops the process-wide tracker at the end.
class TrackerTest : public testing::Test {
 protected:
  TrackerTest() {
    environment.core = &core;
    environment.exePath = Narrow(dir.File(L"QuilloraSetup.exe"));
    environment.localAppDataFolder = Narrow(dir.Path());
    velto::tracking::setTrackerEnvironmentForTesting(environment);
  }
  ~TrackerTest() override {
    velto::tracking::releaseUsageTracker();
    velto::tracking::setTrackerEnvironmentForTesting({});
  }

  static velto::tracking::TrackerConfig Config() {
    velto::tracking::TrackerConfig config;
    config.appName = "Quillora.downloader";
    config.appVersion = "1.7.9";
    config.appStore = "QuilloraSetup.exe";
    config.dlAppId = "Quillora";
    config.serverUrl = "http://127.0.0.1:9/sa";
    return config;
  }

  testing_support::ScratchDir dir;
  FakeAnalyticsCore core;
  velto::tracking::TrackerEnvironment environment;
};

}  // namespace tracker_testing
