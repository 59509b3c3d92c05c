#include "uifw/SkinPackage.h"

#include <7z.h>
#include <7zAlloc.h>
#include <7zCrc.h>
#include <Alloc.h>

#include <cstring>
#include <mutex>

namespace uifw {
namespace {

// A seekable input stream over a byte range, as the 7z reader wants it.
struct MemoryInStream {
  ISeekInStream vt;
  const unsigned char* data;
  size_t size;
  size_t pos;
};

SRes MemoryRead(ISeekInStreamPtr pp, void* buf, size_t* size) {
  MemoryInStream* p = Z7_CONTAINER_FROM_VTBL(pp, MemoryInStream, vt);
  size_t left = p->size - p->pos;
  if (*size > left) *size = left;
  if (*size) std::memcpy(buf, p->data + p->pos, *size);
  p->pos += *size;
  return SZ_OK;
}

SRes MemorySeek(ISeekInStreamPtr pp, Int64* pos, ESzSeek origin) {
  MemoryInStream* p = Z7_CONTAINER_FROM_VTBL(pp, MemoryInStream, vt);
  Int64 base = 0;
  if (origin == SZ_SEEK_CUR) base = static_cast<Int64>(p->pos);
  if (origin == SZ_SEEK_END) base = static_cast<Int64>(p->size);
  Int64 target = base + *pos;
  if (target < 0 || target > static_cast<Int64>(p->size)) return SZ_ERROR_PARAM;
  p->pos = static_cast<size_t>(target);
  *pos = target;
  return SZ_OK;
}

wchar_t FoldCase(wchar_t c) {
  return (c >= L'A' && c <= L'Z') ? static_cast<wchar_t>(c - L'A' + L'a') : c;
}

}  // namespace

bool SkinPackage::NameMatches(std::wstring_view request, std::wstring_view member) {
  if (request.size() != member.size()) return false;
  for (size_t i = 0; i < request.size(); ++i) {
    wchar_t a = request[i] == L'\\' ? L'/' : request[i];
    wchar_t b = member[i] == L'\\' ? L'/' : member[i];
    if (FoldCase(a) != FoldCase(b)) return false;
  }
  return true;
}

const std::string* SkinPackage::Find(std::wstring_view request) const {
  for (const Member& m : members_) {
    if (NameMatches(request, m.name)) return &m.bytes;
  }
  return nullptr;
}

std::vector<std::wstring> SkinPackage::MemberNames() const {
  std::vector<std::wstring> names;
  names.reserve(members_.size());
  for (const Member& m : members_) names.push_back(m.name);
  return names;
}

bool SkinPackage::OpenMemory(const void* data, size_t size) {
  members_.clear();
  if (!data || size == 0) return false;
  static std::once_flag crcOnce;
  std::call_once(crcOnce, [] { CrcGenerateTable(); });

  MemoryInStream in{};
  in.vt.Read = &MemoryRead;
  in.vt.Seek = &MemorySeek;
  in.data = static_cast<const unsigned char*>(data);
  in.size = size;

  constexpr size_t kLookBuffer = 1 << 14;
  std::vector<Byte> lookBuffer(kLookBuffer);
  CLookToRead2 look{};
  LookToRead2_CreateVTable(&look, False);
  look.buf = lookBuffer.data();
  look.bufSize = kLookBuffer;
  look.realStream = &in.vt;
  LookToRead2_INIT(&look);

  CSzArEx db;
  SzArEx_Init(&db);
  bool ok = SzArEx_Open(&db, &look.vt, &g_Alloc, &g_Alloc) == SZ_OK;
  std::vector<Member> members;
  UInt32 blockIndex = 0xFFFFFFFF;
  Byte* outBuffer = nullptr;
  size_t outBufferSize = 0;
  std::vector<UInt16> name;
  for (UInt32 i = 0; ok && i < db.NumFiles; ++i) {
    if (SzArEx_IsDir(&db, i)) continue;
    size_t len = SzArEx_GetFileNameUtf16(&db, i, nullptr);
    name.assign(len, 0);
    SzArEx_GetFileNameUtf16(&db, i, name.data());
    size_t offset = 0, processed = 0;
    if (SzArEx_Extract(&db, &look.vt, i, &blockIndex, &outBuffer, &outBufferSize, &offset, &processed, &g_Alloc,
                       &g_Alloc) != SZ_OK) {
      ok = false;
      break;
    }
    Member m;
    m.name.assign(name.begin(), name.end() - (len ? 1 : 0));
    m.bytes.assign(reinterpret_cast<const char*>(outBuffer + offset), processed);
    members.push_back(std::move(m));
  }
  ISzAlloc_Free(&g_Alloc, outBuffer);
  SzArEx_Free(&db, &g_Alloc);
  if (!ok) return false;
  members_ = std::move(members);
  return !members_.empty();
}

bool SkinPackage::OpenResource(HMODULE module, int id, const wchar_t* type) {
  members_.clear();
  HRSRC res =
      ::FindResourceExW(module, type, MAKEINTRESOURCEW(id), MAKELANGID(LANG_CHINESE, SUBLANG_CHINESE_SIMPLIFIED));
  if (!res) res = ::FindResourceW(module, MAKEINTRESOURCEW(id), type);
  if (!res) return false;
  DWORD size = ::SizeofResource(module, res);
  HGLOBAL loaded = ::LoadResource(module, res);
  const void* bytes = loaded ? ::LockResource(loaded) : nullptr;
  if (!bytes || size == 0) return false;
  return OpenMemory(bytes, size);
}

}  // namespace uifw
