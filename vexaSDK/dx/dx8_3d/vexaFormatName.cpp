// Name lookups over constant tables; the switch lets the compiler pick the
// search, and the fallbacks keep raw numbers out of the report.
#include "vexaSDK/dx/dx8_3d/vexaFormatName.h"

#include <algorithm>
#include <array>
#include <cstddef>
#include <utility>

namespace vexaSDK {
namespace DX8 {
namespace internal {

using namespace std::string_view_literals;

#define VEXA_FORMAT_CASE(name) \
  case name:                   \
    return #name##sv

std::string_view FormatName(D3DFORMAT format) {
  switch (format) {
    VEXA_FORMAT_CASE(D3DFMT_R8G8B8);
    VEXA_FORMAT_CASE(D3DFMT_A8R8G8B8);
    VEXA_FORMAT_CASE(D3DFMT_X8R8G8B8);
    VEXA_FORMAT_CASE(D3DFMT_R5G6B5);
    VEXA_FORMAT_CASE(D3DFMT_X1R5G5B5);
    VEXA_FORMAT_CASE(D3DFMT_A1R5G5B5);
    VEXA_FORMAT_CASE(D3DFMT_A4R4G4B4);
    VEXA_FORMAT_CASE(D3DFMT_R3G3B2);
    VEXA_FORMAT_CASE(D3DFMT_A8);
    VEXA_FORMAT_CASE(D3DFMT_A8R3G3B2);
    VEXA_FORMAT_CASE(D3DFMT_X4R4G4B4);
    VEXA_FORMAT_CASE(D3DFMT_A2B10G10R10);
    VEXA_FORMAT_CASE(D3DFMT_G16R16);
    VEXA_FORMAT_CASE(D3DFMT_A8P8);
    VEXA_FORMAT_CASE(D3DFMT_P8);
    VEXA_FORMAT_CASE(D3DFMT_L8);
    VEXA_FORMAT_CASE(D3DFMT_A8L8);
    VEXA_FORMAT_CASE(D3DFMT_A4L4);
    VEXA_FORMAT_CASE(D3DFMT_V8U8);
    VEXA_FORMAT_CASE(D3DFMT_L6V5U5);
    VEXA_FORMAT_CASE(D3DFMT_X8L8V8U8);
    VEXA_FORMAT_CASE(D3DFMT_Q8W8V8U8);
    VEXA_FORMAT_CASE(D3DFMT_V16U16);
    VEXA_FORMAT_CASE(D3DFMT_W11V11U10);
    VEXA_FORMAT_CASE(D3DFMT_A2W10V10U10);
    VEXA_FORMAT_CASE(D3DFMT_D16_LOCKABLE);
    VEXA_FORMAT_CASE(D3DFMT_D32);
    VEXA_FORMAT_CASE(D3DFMT_D15S1);
    VEXA_FORMAT_CASE(D3DFMT_D24S8);
    VEXA_FORMAT_CASE(D3DFMT_D24X8);
    VEXA_FORMAT_CASE(D3DFMT_D24X4S4);
    VEXA_FORMAT_CASE(D3DFMT_D16);
    VEXA_FORMAT_CASE(D3DFMT_VERTEXDATA);
    VEXA_FORMAT_CASE(D3DFMT_INDEX16);
    VEXA_FORMAT_CASE(D3DFMT_INDEX32);
    VEXA_FORMAT_CASE(D3DFMT_UYVY);
    VEXA_FORMAT_CASE(D3DFMT_YUY2);
    VEXA_FORMAT_CASE(D3DFMT_DXT1);
    VEXA_FORMAT_CASE(D3DFMT_DXT2);
    VEXA_FORMAT_CASE(D3DFMT_DXT3);
    VEXA_FORMAT_CASE(D3DFMT_DXT4);
    VEXA_FORMAT_CASE(D3DFMT_DXT5);
    default:
      return "D3DFMT_UNKNOWN"sv;
  }
}

#undef VEXA_FORMAT_CASE

std::string_view MultiSampleName(D3DMULTISAMPLE_TYPE type) {
  static constexpr std::string_view kNames[] = {
      "D3DMULTISAMPLE_2_SAMPLES"sv,  "D3DMULTISAMPLE_3_SAMPLES"sv,  "D3DMULTISAMPLE_4_SAMPLES"sv,
      "D3DMULTISAMPLE_5_SAMPLES"sv,  "D3DMULTISAMPLE_6_SAMPLES"sv,  "D3DMULTISAMPLE_7_SAMPLES"sv,
      "D3DMULTISAMPLE_8_SAMPLES"sv,  "D3DMULTISAMPLE_9_SAMPLES"sv,  "D3DMULTISAMPLE_10_SAMPLES"sv,
      "D3DMULTISAMPLE_11_SAMPLES"sv, "D3DMULTISAMPLE_12_SAMPLES"sv, "D3DMULTISAMPLE_13_SAMPLES"sv,
      "D3DMULTISAMPLE_14_SAMPLES"sv, "D3DMULTISAMPLE_15_SAMPLES"sv, "D3DMULTISAMPLE_16_SAMPLES"sv,
  };
  // Unsigned arithmetic folds negative values into the fallback as well.
  const unsigned int index = static_cast<unsigned int>(type) - 2u;
  return index < sizeof kNames / sizeof kNames[0] ? kNames[index] : "D3DMULTISAMPLE_NONE"sv;
}

std::string_view DevTypeName(D3DDEVTYPE type) {
  switch (type) {
    case D3DDEVTYPE_REF:
      return "D3DDEVTYPE_REF"sv;
    case D3DDEVTYPE_SW:
      return "D3DDEVTYPE_SW"sv;
    default:
      return "D3DDEVTYPE_HAL"sv;
  }
}

}  // namespace internal

namespace {

// Every value FormatName names, and D3DFMT_UNKNOWN; the names come from the
// lookup itself, so the two directions cannot disagree.
const D3DFORMAT kNamedFormats[] = {
    D3DFMT_UNKNOWN,     D3DFMT_R8G8B8,       D3DFMT_A8R8G8B8,    D3DFMT_X8R8G8B8,   D3DFMT_R5G6B5,
    D3DFMT_X1R5G5B5,    D3DFMT_A1R5G5B5,     D3DFMT_A4R4G4B4,    D3DFMT_R3G3B2,     D3DFMT_A8,
    D3DFMT_A8R3G3B2,    D3DFMT_X4R4G4B4,     D3DFMT_A2B10G10R10, D3DFMT_G16R16,     D3DFMT_A8P8,
    D3DFMT_P8,          D3DFMT_L8,           D3DFMT_A8L8,        D3DFMT_A4L4,       D3DFMT_V8U8,
    D3DFMT_L6V5U5,      D3DFMT_X8L8V8U8,     D3DFMT_Q8W8V8U8,    D3DFMT_V16U16,     D3DFMT_W11V11U10,
    D3DFMT_A2W10V10U10, D3DFMT_D16_LOCKABLE, D3DFMT_D32,         D3DFMT_D15S1,      D3DFMT_D24S8,
    D3DFMT_D24X8,       D3DFMT_D24X4S4,      D3DFMT_D16,         D3DFMT_VERTEXDATA, D3DFMT_INDEX16,
    D3DFMT_INDEX32,     D3DFMT_UYVY,         D3DFMT_YUY2,        D3DFMT_DXT1,       D3DFMT_DXT2,
    D3DFMT_DXT3,        D3DFMT_DXT4,         D3DFMT_DXT5,
};

template <typename Value, std::size_t N>
using NameIndex = std::array<std::pair<std::string_view, Value>, N>;

// By length first: most names differ in it, and then no byte is compared.
bool ShorterOrLess(std::string_view a, std::string_view b) {
  return a.size() != b.size() ? a.size() < b.size() : a < b;
}

template <typename Value, std::size_t N>
bool FindByName(const NameIndex<Value, N>& index, std::string_view name, Value& value) {
  const auto found = std::lower_bound(
      index.begin(), index.end(), name,
      [](const auto& entry, std::string_view key) { return ShorterOrLess(entry.first, key); });
  if (found == index.end() || found->first != name) return false;
  value = found->second;
  return true;
}

template <typename Value, std::size_t N>
NameIndex<Value, N> SortedIndex(const Value (&values)[N], std::string_view (*nameOf)(Value)) {
  NameIndex<Value, N> index;
  for (std::size_t i = 0; i < N; ++i) index[i] = {nameOf(values[i]), values[i]};
  std::sort(index.begin(), index.end(),
            [](const auto& a, const auto& b) { return ShorterOrLess(a.first, b.first); });
  return index;
}

}  // namespace

// The format names in an open-addressed table: a reader of a large report
// looks up a name for nearly every line, and finds it here with about one
// comparison rather than the seven of a binary search.
class CFormatHash {
 public:
  CFormatHash() {
    for (const D3DFORMAT format : kNamedFormats) {
      const std::string_view name = internal::FormatName(format);
      std::size_t slot = Hash(name);
      while (!slots_[slot].first.empty()) slot = (slot + 1) % kSlots;
      slots_[slot] = {name, format};
    }
  }
  bool Find(std::string_view name, D3DFORMAT& format) const {
    if (name.empty()) return false;
    for (std::size_t slot = Hash(name); !slots_[slot].first.empty(); slot = (slot + 1) % kSlots) {
      if (slots_[slot].first == name) {
        format = slots_[slot].second;
        return true;
      }
    }
    return false;
  }

 private:
  static const std::size_t kSlots = 256;  // more than three times the names
  // The names share their "D3DFMT_" start; length and the letters after it
  // and at the end tell them apart.
  static std::size_t Hash(std::string_view name) {
    const auto at = [&](std::size_t i) {
      return static_cast<unsigned char>(name[i < name.size() ? i : name.size() - 1]);
    };
    return (name.size() * 131 + at(7) * 31 + at(8) * 17 + at(name.size() - 1) * 7 + at(name.size() - 2)) %
           kSlots;
  }
  std::pair<std::string_view, D3DFORMAT> slots_[kSlots] = {};
};

bool GetFormatByName(std::string_view name, D3DFORMAT& format) {
  static const CFormatHash table;
  return table.Find(name, format);
}

bool GetMultiSampleByName(std::string_view name, D3DMULTISAMPLE_TYPE& type) {
  static const auto index = [] {
    D3DMULTISAMPLE_TYPE types[16];
    types[0] = D3DMULTISAMPLE_NONE;
    for (int i = 2; i <= 16; ++i) types[i - 1] = static_cast<D3DMULTISAMPLE_TYPE>(i);
    return SortedIndex(types, internal::MultiSampleName);
  }();
  return FindByName(index, name, type);
}

bool GetDevTypeByName(std::string_view name, D3DDEVTYPE& type) {
  static const D3DDEVTYPE kTypes[] = {D3DDEVTYPE_HAL, D3DDEVTYPE_REF, D3DDEVTYPE_SW};
  static const auto index = SortedIndex(kTypes, internal::DevTypeName);
  return FindByName(index, name, type);
}

const char* GetFormatName(D3DFORMAT format) { return internal::FormatName(format).data(); }

const char* GetMultiSampleName(D3DMULTISAMPLE_TYPE type) { return internal::MultiSampleName(type).data(); }

const char* GetDevTypeName(D3DDEVTYPE type) { return internal::DevTypeName(type).data(); }

}  // namespace DX8
}  // namespace vexaSDK
