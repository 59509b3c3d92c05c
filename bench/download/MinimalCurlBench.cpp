// The yardstick: a minimal libcurl download (128 KiB receive buffer, writes straight to
// a file) of one address into a temporary file. Prints
//   minimal_s=<seconds> bytes=<size> result=<CURLcode>
//   minimal_curl_bench.exe <url> [folder]

#include <windows.h>

#include <curl/curl.h>

#include <cstdio>
#include <string>

namespace {
double Seconds() {
  LARGE_INTEGER now, frequency;
  ::QueryPerformanceCounter(&now);
  ::QueryPerformanceFrequency(&frequency);
  return static_cast<double>(now.QuadPart) / static_cast<double>(frequency.QuadPart);
}

size_t Write(char* data, size_t size, size_t count, void* file) {
  DWORD written = 0;
  ::WriteFile(static_cast<HANDLE>(file), data, static_cast<DWORD>(size * count), &written, nullptr);
  return written;
}
}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: minimal_curl_bench.exe <url> [folder]\n");
    return 2;
  }
  curl_global_init(CURL_GLOBAL_ALL);
  char url[2048];
  ::WideCharToMultiByte(CP_UTF8, 0, argv[1], -1, url, sizeof(url), nullptr, nullptr);
  wchar_t temp[MAX_PATH];
  ::GetTempPathW(MAX_PATH, temp);
  if (argc > 2) ::lstrcpynW(temp, (std::wstring(argv[2]) + L"\\").c_str(), MAX_PATH);
  const std::wstring path =
      std::wstring(temp) + L"quillora-minimal-" + std::to_wstring(::GetCurrentProcessId()) + L".bin";
  HANDLE file = ::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return 1;

  CURL* h = curl_easy_init();
  curl_easy_setopt(h, CURLOPT_URL, url);
  curl_easy_setopt(h, CURLOPT_FOLLOWLOCATION, 1L);
  curl_easy_setopt(h, CURLOPT_WRITEFUNCTION, &Write);
  curl_easy_setopt(h, CURLOPT_WRITEDATA, static_cast<void*>(file));
  curl_easy_setopt(h, CURLOPT_BUFFERSIZE, 131072L);
  const double start = Seconds();
  const CURLcode result = curl_easy_perform(h);
  const double end = Seconds();
  curl_off_t bytes = 0;
  curl_easy_getinfo(h, CURLINFO_SIZE_DOWNLOAD_T, &bytes);
  curl_easy_cleanup(h);
  ::CloseHandle(file);
  ::DeleteFileW(path.c_str());
  curl_global_cleanup();
  std::printf("minimal_s=%.3f bytes=%lld result=%d\n", end - start, static_cast<long long>(bytes),
              static_cast<int>(result));
  return result == CURLE_OK ? 0 : 1;
}
