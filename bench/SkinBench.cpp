// Time from opening the skin package to the first painted main window, and the shares
// spent decompressing the package, parsing the description and painting (which includes
// decoding the images the first page shows).
//
//   bench/run.sh, or: scripts/wine-run.sh --prefix build/x86_64/wineprefix build/x86_64/bench/skin_bench.exe [runs]
//
// Each run starts from nothing: a fresh package, a fresh description and fresh images.
// A final run shows a real (hidden-until-shown) main window and times it up to the end of
// its first WM_PAINT.

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "ui/SkinFrame.h"
#include "uifw/Description.h"
#include "uifw/Framework.h"
#include "uifw/SkinPackage.h"
#include "uifw/WindowContent.h"

namespace {

double Now() {
  static LARGE_INTEGER frequency = [] {
    LARGE_INTEGER f;
    ::QueryPerformanceFrequency(&f);
    return f;
  }();
  LARGE_INTEGER t;
  ::QueryPerformanceCounter(&t);
  return static_cast<double>(t.QuadPart) * 1000.0 / static_cast<double>(frequency.QuadPart);
}

double Median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  return v[v.size() / 2];
}

// The main window, timed from before creation to the end of its first paint.
class TimedMainWindow : public CSkinFrame {
 public:
  TimedMainWindow() : CSkinFrame(SkinFrameInfo::ForSkinFile(L"MainWnd.xml")) {}
  double firstPaintEnd = 0;

 protected:
  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override {
    LRESULT r = CSkinFrame::HandleMessage(message, wParam, lParam);
    if (message == WM_PAINT && firstPaintEnd == 0) firstPaintEnd = Now();
    return r;
  }
};

}  // namespace

int wmain(int argc, wchar_t** argv) {
  int runs = argc > 1 ? std::max(1, _wtoi(argv[1])) : 20;
  uifw::EnsureGdiplus();
  HMODULE module = ::GetModuleHandleW(nullptr);
  HRSRC res = ::FindResourceW(module, MAKEINTRESOURCEW(147), L"ZIPRES");
  if (!res) {
    std::fprintf(stderr, "skin_bench: no skin resource\n");
    return 1;
  }
  const void* bytes = ::LockResource(::LoadResource(module, res));
  DWORD size = ::SizeofResource(module, res);

  std::vector<double> open, parse, paint, total;
  std::vector<uint32_t> pixels(600 * 400);
  for (int i = 0; i < runs; ++i) {
    double t0 = Now();
    uifw::SkinPackage package;
    if (!package.OpenMemory(bytes, size)) return 1;
    double t1 = Now();
    uifw::WindowDescription description;
    const std::string* xml = package.Find(L"MainWnd.xml");
    if (!xml || !uifw::ParseDescription(*xml, nullptr, description)) return 1;
    uifw::WindowContent content;
    content.SetPackage(&package);
    content.Attach(std::move(description));
    double t2 = Now();
    content.PaintPixels(pixels.data(), SIZE{600, 400});
    double t3 = Now();
    open.push_back(t1 - t0);
    parse.push_back(t2 - t1);
    paint.push_back(t3 - t2);
    total.push_back(t3 - t0);
  }
  double o = Median(open), p = Median(parse), d = Median(paint), t = Median(total);
  std::printf("skin package: %lu bytes, %d runs (medians)\n", static_cast<unsigned long>(size), runs);
  std::printf("  open and decompress  %8.2f ms  %5.1f %%\n", o, 100 * o / t);
  std::printf("  parse description    %8.2f ms  %5.1f %%\n", p, 100 * p / t);
  std::printf("  layout and paint     %8.2f ms  %5.1f %%\n", d, 100 * d / t);
  std::printf("  total                %8.2f ms\n", t);

  // One real window: package opened by the window, then created, shown and painted.
  uifw::SetInstance(module);
  TimedMainWindow window;
  double start = Now();
  if (window.Create(nullptr, L"青蓝工坊", WS_OVERLAPPEDWINDOW, 0)) {
    ::ShowWindow(window.Handle(), SW_SHOWNORMAL);
    ::UpdateWindow(window.Handle());
    if (window.firstPaintEnd > 0) {
      std::printf("real main window: open package to first paint %8.2f ms\n", window.firstPaintEnd - start);
    }
    ::DestroyWindow(window.Handle());
  }
  return 0;
}
