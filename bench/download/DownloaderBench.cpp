// Downloads one address with CCurlDownloader into a temporary file and prints
//   ours_total_s=<seconds> digest_s=<seconds> bytes=<size> result=<last event>
// where the total runs from Start to 1003 (digest check included) and digest_s is a
// separate timing of the same MD5 over the downloaded file.
//   download_bench.exe <url> [folder]

#include <windows.h>

#include <curl/curl.h>

#include <cstdio>
#include <string>

#include "engine/CurlDownloader.h"
#include "utils/Handles.h"
#include "utils/Md5.h"

namespace {
double Seconds() {
  LARGE_INTEGER now, frequency;
  ::QueryPerformanceCounter(&now);
  ::QueryPerformanceFrequency(&frequency);
  return static_cast<double>(now.QuadPart) / static_cast<double>(frequency.QuadPart);
}
}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: download_bench.exe <url> [folder]\n");
    return 2;
  }
  curl_global_init(CURL_GLOBAL_ALL);
  wchar_t temp[MAX_PATH];
  ::GetTempPathW(MAX_PATH, temp);
  if (argc > 2) ::lstrcpynW(temp, (std::wstring(argv[2]) + L"\\").c_str(), MAX_PATH);
  const std::wstring package =
      std::wstring(temp) + L"quillora-bench-" + std::to_wstring(::GetCurrentProcessId()) + L".bin";

  Utils::UniqueHandle done(::CreateEventW(nullptr, TRUE, FALSE, nullptr));
  int32_t last = 0;
  double end = 0;
  double start = 0;
  {
    CCurlDownloader downloader(
        [&](int32_t code, double, const wchar_t*) {
          if (code == 1003 || code == 1004 || code == 1005) {
            end = Seconds();
            last = code;
            ::SetEvent(done.Get());
          }
        },
        argv[1], package);
    start = Seconds();
    downloader.Start();
    ::WaitForSingleObject(done.Get(), INFINITE);
  }
  WIN32_FILE_ATTRIBUTE_DATA data = {};
  ::GetFileAttributesExW(package.c_str(), GetFileExInfoStandard, &data);
  const long long bytes = (static_cast<long long>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
  const double digestStart = Seconds();
  const std::string digest = Utils::Md5OfFile(package);
  const double digestEnd = Seconds();
  ::DeleteFileW(package.c_str());
  curl_global_cleanup();
  std::printf("ours_total_s=%.3f digest_s=%.3f bytes=%lld result=%d md5=%s\n", end - start, digestEnd - digestStart,
              bytes, last, digest.c_str());
  return last == 1003 ? 0 : 1;
}
