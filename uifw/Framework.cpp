#include "uifw/Framework.h"

#include <objidl.h>
// objidl.h first: GDI+ needs IStream.
#include <gdiplus.h>

#include <mutex>

namespace uifw {
namespace {

struct State {
  HINSTANCE instance = nullptr;
  PackageFormat format = PackageFormat::SevenZip;
  SkinPackage package;
  std::function<void()> loadFailure;
};

State& Get() {
  static State state;
  return state;
}

void DefaultLoadFailure() {
  ::MessageBoxW(nullptr, L"加载资源文件失败", L"SkinUI", MB_ICONERROR);
  ::ExitProcess(1);
}

}  // namespace

void SetInstance(HINSTANCE instance) {
  Get().instance = instance;
}

HINSTANCE Instance() {
  return Get().instance ? Get().instance : ::GetModuleHandleW(nullptr);
}

void SetPackageFormat(PackageFormat format) {
  Get().format = format;
}

PackageFormat GetPackageFormat() {
  return Get().format;
}

SkinPackage& SharedPackage() {
  return Get().package;
}

bool OpenSharedPackage(int id) {
  State& s = Get();
  if (s.package.IsOpen()) return true;
  if (s.format != PackageFormat::SevenZip) return false;
  return s.package.OpenResource(Instance(), id, kPackageResourceType);
}

bool EnsureGdiplus() {
  static ULONG_PTR token = 0;
  static bool ok = [] {
    Gdiplus::GdiplusStartupInput input;
    return Gdiplus::GdiplusStartup(&token, &input, nullptr) == Gdiplus::Ok;
  }();
  return ok;
}

void SetLoadFailureHandler(std::function<void()> handler) {
  Get().loadFailure = std::move(handler);
}

void ReportLoadFailure() {
  if (Get().loadFailure) {
    Get().loadFailure();
  } else {
    DefaultLoadFailure();
  }
}

}  // namespace uifw
