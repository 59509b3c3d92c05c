#pragma once

// The encodings of a batch on the wire: gzip, base64 and form percent-encoding.

#include <optional>
#include <string>
#include <string_view>

namespace analytics_core {

// |data| as a gzip stream (deflate level 9, 15-bit window). Nothing when zlib fails (the
// complaint has then been written).
std::optional<std::string> GzipCompress(std::string_view data);

// Base64 with the RFC 4648 alphabet and "=" padding.
std::string Base64Encode(std::string_view data);

// Letters, digits, "-", ".", "_" and "~" stay; every other byte becomes "%XX" (upper case).
std::string PercentEncode(std::string_view data);

}  // namespace analytics_core
