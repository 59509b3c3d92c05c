#pragma once

// Process-wide framework state: the module whose resources hold the skin, the package
// format, the shared skin package (opened by the first window), GDI+ start-up, and what
// happens when a description cannot be loaded.

#include <windows.h>

#include <functional>

#include "uifw/SkinPackage.h"

namespace uifw {

// Resource kinds a window can name for its skin; only the package resource is supported.
constexpr int kResourceKindPackage = 4;
// The string resource type of the skin package.
constexpr const wchar_t* kPackageResourceType = L"ZIPRES";

enum class PackageFormat { None, SevenZip };

void SetInstance(HINSTANCE instance);
HINSTANCE Instance();
void SetPackageFormat(PackageFormat format);
PackageFormat GetPackageFormat();

// The shared package; empty until a window (or OpenSharedPackage) opened it.
SkinPackage& SharedPackage();
// Opens resource |id| of the instance as the shared package unless it is open already.
// False when it is not open afterwards.
bool OpenSharedPackage(int id);

// Starts GDI+ once for the process (kept until exit).
bool EnsureGdiplus();

// Called when a description yields no root control. The default shows "加载资源文件失败"
// (caption "SkinUI") and ends the process with exit code 1; tests replace it.
void SetLoadFailureHandler(std::function<void()> handler);
void ReportLoadFailure();

}  // namespace uifw
