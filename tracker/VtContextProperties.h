#pragma once

// Extra properties a caller attaches to chosen event kinds for one track call. The only
// one defined is the A/B group value "vtc_ab".

#include <array>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "tracker/EventProperties.h"
#include "tracker/VtEvents.h"

namespace velto::tracking {

class VtContextProperties {
 public:
  // The kinds of value an entry can hold; only text is used.
  enum class ValueKind : int32_t { Text = 0 };

  // One property attached to one event kind. |value| points into the registry, which owns it.
  struct Entry {
    const std::string* value = nullptr;
    ValueKind kind = ValueKind::Text;
    std::string name;
  };

  static constexpr char kAbPropertyName[] = "vtc_ab";

  VtContextProperties();
  VtContextProperties(const VtContextProperties&) = delete;
  VtContextProperties& operator=(const VtContextProperties&) = delete;
  ~VtContextProperties();

  // Registers "vtc_ab" = |abValue| and attaches it to each of |kinds| in order. Raises
  // VtException (function "setProperty") when "vtc_ab" is already registered here, or
  // when a kind is 15 or more; kinds before that one keep their entry.
  void setProperty(const std::string& abValue, const std::vector<int32_t>& kinds);

  // The entries of |kind|; raises VtException (function "getEventProperties") for a kind
  // of 15 or more.
  const std::vector<Entry>& getEventProperties(int32_t kind) const;

  // Adds the entries of |kind| to |properties| in list order (a later entry with the same
  // name overwrites an earlier one).
  void addTo(EventProperties& properties, VtEvent kind) const;

  // True for one to three bytes: an upper-case letter, then upper-case letters or digits.
  // False for the empty text; any other text raises VtException (function "isValidABValue")
  // naming the first rule it breaks.
  static bool isValidABValue(const std::string& value);

 private:
  std::unordered_map<std::string, std::shared_ptr<const std::string>> registry_;
  std::array<std::vector<Entry>, kEventKindCount> lists_;
};

}  // namespace velto::tracking
