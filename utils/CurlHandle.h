#pragma once

// Owners for libcurl handles, on the project's one RAII pattern.

#include <curl/curl.h>

#include "utils/UniqueResource.h"

namespace Utils {

// libcurl easy handles (curl_easy_init / curl_easy_cleanup).
struct CurlEasyTraits {
  using Type = CURL*;
  static Type Invalid() noexcept { return nullptr; }
  static void Close(Type h) noexcept { curl_easy_cleanup(h); }
};
using UniqueCurl = Utils::UniqueResource<CurlEasyTraits>;

// Header lists (curl_slist_append / curl_slist_free_all).
struct CurlSlistTraits {
  using Type = curl_slist*;
  static Type Invalid() noexcept { return nullptr; }
  static void Close(Type h) noexcept { curl_slist_free_all(h); }
};
using UniqueCurlSlist = Utils::UniqueResource<CurlSlistTraits>;

}  // namespace Utils
