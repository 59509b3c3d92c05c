#pragma once

// Owners for the kernel handle kinds used across the installer.

#include <windows.h>

#include "utils/UniqueResource.h"

namespace Utils {

// Kernel handles whose "none" value is NULL (threads, processes, mutexes, pipes).
struct KernelHandleTraits {
  using Type = HANDLE;
  static Type Invalid() noexcept { return nullptr; }
  static void Close(Type h) noexcept { ::CloseHandle(h); }
};
using UniqueHandle = UniqueResource<KernelHandleTraits>;

// Kernel handles whose "none" value is INVALID_HANDLE_VALUE (files, snapshots).
struct FileHandleTraits {
  using Type = HANDLE;
  static Type Invalid() noexcept { return INVALID_HANDLE_VALUE; }
  static void Close(Type h) noexcept { ::CloseHandle(h); }
};
using UniqueFileHandle = UniqueResource<FileHandleTraits>;

// Registry keys.
struct RegKeyTraits {
  using Type = HKEY;
  static Type Invalid() noexcept { return nullptr; }
  static void Close(Type h) noexcept { ::RegCloseKey(h); }
};
using UniqueRegKey = UniqueResource<RegKeyTraits>;

// Modules loaded with LoadLibrary.
struct ModuleTraits {
  using Type = HMODULE;
  static Type Invalid() noexcept { return nullptr; }
  static void Close(Type h) noexcept { ::FreeLibrary(h); }
};
using UniqueModule = UniqueResource<ModuleTraits>;

// GDI objects (fonts, bitmaps, brushes, pens, regions).
struct GdiObjectTraits {
  using Type = HGDIOBJ;
  static Type Invalid() noexcept { return nullptr; }
  static void Close(Type h) noexcept { ::DeleteObject(h); }
};
using UniqueGdiObject = UniqueResource<GdiObjectTraits>;

// Menus made with CreateMenu or CreatePopupMenu and not given to a window.
struct MenuTraits {
  using Type = HMENU;
  static Type Invalid() noexcept { return nullptr; }
  static void Close(Type h) noexcept { ::DestroyMenu(h); }
};
using UniqueMenu = UniqueResource<MenuTraits>;

// Memory-only device contexts (CreateCompatibleDC).
struct MemoryDcTraits {
  using Type = HDC;
  static Type Invalid() noexcept { return nullptr; }
  static void Close(Type h) noexcept { ::DeleteDC(h); }
};
using UniqueMemoryDc = UniqueResource<MemoryDcTraits>;

// Memory the system allocated with LocalAlloc (CommandLineToArgvW, FormatMessage).
struct LocalMemoryTraits {
  using Type = HLOCAL;
  static Type Invalid() noexcept { return nullptr; }
  static void Close(Type h) noexcept { ::LocalFree(h); }
};
using UniqueLocalMemory = UniqueResource<LocalMemoryTraits>;

}  // namespace Utils
