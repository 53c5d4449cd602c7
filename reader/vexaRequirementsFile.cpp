// Reading a requirements file: the TOML document checked key by key against
// what the reader can weigh, every name against the framework's own tables,
// so a mistake is refused with its place instead of weighing nothing.
#include <toml++/toml.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <optional>
#include <tuple>

#include "reader/vexaRequirements.h"
#include "vexaSDK/dx/dx8_3d/vexaFormatName.h"
#include "vexaSDK/dx/dx8_3d/vexaReportGrammar.h"

namespace vexaEnvReader {
namespace {

using vexaSDK::DX8::CapsFieldKind;
using vexaSDK::DX8::kCapsFieldCount;
using vexaSDK::DX8::kCapsFields;

// A desk's file is a page or two; anything far larger is no requirements file.
const std::size_t kMaxFileSize = 1 << 20;

struct Refused {
  RequirementsError error;
};

[[noreturn]] void Refuse(const toml::source_region& at, const std::string& message) {
  throw Refused{{at.begin.line, at.begin.column, message}};
}

std::string Quoted(std::string_view text) {
  std::string out = "\"";
  for (const char c : text.substr(0, 64)) out += static_cast<unsigned char>(c) < 0x20 || c == 0x7F ? '?' : c;
  return out + (text.size() > 64 ? "...\"" : "\"");
}

std::uint64_t Integer(const toml::node& node, const std::string& key, std::int64_t least, std::int64_t most) {
  const auto* value = node.as_integer();
  if (value == nullptr) Refuse(node.source(), key + " takes a whole number");
  if (value->get() < least || value->get() > most) {
    Refuse(node.source(),
           key + " takes a number from " + std::to_string(least) + " to " + std::to_string(most));
  }
  return static_cast<std::uint64_t>(value->get());
}

std::string String(const toml::node& node, const std::string& key) {
  const auto* value = node.as_string();
  if (value == nullptr) Refuse(node.source(), key + " takes a text in quotes");
  return value->get();
}

const toml::table& Table(const toml::node& node, const std::string& key) {
  const auto* value = node.as_table();
  if (value == nullptr) Refuse(node.source(), key + " takes a table");
  return *value;
}

const toml::array& Array(const toml::node& node, const std::string& key) {
  const auto* value = node.as_array();
  if (value == nullptr) Refuse(node.source(), key + " takes a list of names in quotes");
  return *value;
}

// "1.1" as the capability block packs a shader version.
bool ParseShaderVersion(std::string_view text, std::uint64_t& packed) {
  unsigned major = 0, minor = 0;
  char rest = 0;
  if (text.size() > 7 || std::sscanf(std::string(text).c_str(), "%3u.%3u%c", &major, &minor, &rest) != 2 ||
      major > 255 || minor > 255 || text[0] < '0' || text[0] > '9') {
    return false;
  }
  packed = major << 8 | minor;
  return true;
}

// "6.14.10.4403": four parts of 16 bits.
bool ParseDriverVersion(std::string_view text, std::uint64_t& packed) {
  packed = 0;
  std::size_t part = 0;
  std::uint64_t value = 0;
  std::size_t digits = 0;
  for (std::size_t i = 0; i <= text.size(); ++i) {
    if (i < text.size() && text[i] >= '0' && text[i] <= '9') {
      value = value * 10 + static_cast<unsigned>(text[i] - '0');
      if (++digits > 5 || value > 0xFFFF) return false;
      continue;
    }
    if (digits == 0 || (i < text.size() && text[i] != '.') || part == 4) return false;
    packed = packed << 16 | value;
    ++part;
    value = 0;
    digits = 0;
  }
  return part == 4;
}

class CReader {
 public:
  explicit CReader(Requirements& out) : out_(out) {}

  void Read(const toml::table& root) {
    for (const char* level : {"minimum", "recommended"}) {
      if (const toml::node* node = root.get(level)) ReadLevel(Table(*node, level), level);
    }
    for (const auto& [key, node] : root) {
      const std::string name(key.str());
      if (name == "minimum" || name == "recommended") continue;
      if (name != "bad_driver") Refuse(key.source(), "unknown key " + Quoted(name));
      const auto* list = node.as_array();
      if (list == nullptr || !list->is_array_of_tables())
        Refuse(node.source(), "bad_driver takes [[bad_driver]] tables");
      for (const toml::node& entry : *list) ReadBadDriver(*entry.as_table());
    }
  }

 private:
  Requirement& Add(const toml::node& node, RequirementKind kind, const std::string& id,
                   const std::string& text) {
    Requirement r;
    r.level = level_;
    r.kind = kind;
    r.id = id;
    r.text = text;
    r.line = node.source().begin.line;
    r.column = node.source().begin.column;
    out_.requirements.push_back(r);
    return out_.requirements.back();
  }

  void ReadLevel(const toml::table& table, const std::string& level) {
    level_ = level == "minimum" ? RequirementLevel::kMinimum : RequirementLevel::kRecommended;
    for (const auto& [key, node] : table) {
      const std::string name(key.str());
      const std::string id = level + "." + name;
      if (name == "windows") {
        std::uint64_t packed = 0;
        const std::string text = String(node, id);
        if (!PackWindowsVersion(text, packed)) {
          Refuse(node.source(), "unknown Windows version " + Quoted(text) +
                                    " (a name such as \"XP\" or a number such as \"5.1.2600\")");
        }
        Add(node, RequirementKind::kWindows, id, "Windows " + text + " or later").number = packed;
      } else if (name == "memory_mb") {
        const std::uint64_t mb = Integer(node, id, 0, 1ll << 40);
        Add(node, RequirementKind::kMemory, id, "memory at least " + std::to_string(mb) + " MB").number = mb;
      } else if (name == "display_memory_mb") {
        const std::uint64_t mb = Integer(node, id, 0, 1ll << 40);
        Add(node, RequirementKind::kDisplayMemory, id,
            "display memory at least " + std::to_string(mb) + " MB")
            .number = mb;
      } else if (name == "driver_date") {
        const auto* date = node.as_date();
        if (date == nullptr) Refuse(node.source(), id + " takes a date such as 2004-03-01");
        const toml::date d = date->get();
        char text[16];
        std::snprintf(text, sizeof text, "%04u-%02u-%02u", unsigned{d.year}, unsigned{d.month},
                      unsigned{d.day});
        Add(node, RequirementKind::kDriverDate, id, std::string("a driver dated ") + text + " or later")
            .number = d.year * 10000ull + d.month * 100ull + d.day;
      } else if (name == "hardware_device") {
        const auto* flag = node.as_boolean();
        if (flag == nullptr) Refuse(node.source(), id + " takes true or false");
        if (flag->get()) Add(node, RequirementKind::kHardwareDevice, id, "a hardware device");
      } else if (name == "vertex_shader" || name == "pixel_shader") {
        const std::string text = String(node, id);
        std::uint64_t packed = 0;
        if (!ParseShaderVersion(text, packed)) Refuse(node.source(), id + " takes a version such as \"1.1\"");
        const bool vertex = name == "vertex_shader";
        Add(node, vertex ? RequirementKind::kVertexShader : RequirementKind::kPixelShader, id,
            std::string(vertex ? "vertex" : "pixel") + " shader " + text + " or later")
            .number = packed;
      } else if (name == "texture_formats" || name == "depth_stencil_formats") {
        const bool texture = name == "texture_formats";
        for (const toml::node& item : Array(node, id)) {
          const std::string format = String(item, id);
          D3DFORMAT value = D3DFMT_UNKNOWN;
          if (!vexaSDK::DX8::GetFormatByName(format, value) || value == D3DFMT_UNKNOWN) {
            Refuse(item.source(), "unknown format " + Quoted(format));
          }
          Add(item, texture ? RequirementKind::kTextureFormat : RequirementKind::kDepthStencilFormat,
              id + "." + format, std::string(texture ? "texture" : "depth-stencil") + " format " + format)
              .value = value;
        }
      } else if (name == "multisample_types") {
        for (const toml::node& item : Array(node, id)) {
          const std::string type = String(item, id);
          D3DMULTISAMPLE_TYPE value = D3DMULTISAMPLE_NONE;
          if (!vexaSDK::DX8::GetMultiSampleByName(type, value))
            Refuse(item.source(), "unknown multisample type " + Quoted(type));
          Add(item, RequirementKind::kMultiSampleType, id + "." + type, "multisample type " + type).value =
              value;
        }
      } else if (name == "max_texture_size") {
        const std::uint64_t size = Integer(node, id, 1, 1ll << 31);
        const std::string n = std::to_string(size);
        Add(node, RequirementKind::kMaxTextureSize, id, "textures of " + n + " x " + n).number = size;
      } else if (name == "whql_level") {
        const std::uint64_t level = Integer(node, id, 0, 0xFFFFFFFFll);
        Add(node, RequirementKind::kWhqlLevel, id, "WHQL level at least " + std::to_string(level)).number =
            level;
      } else if (name == "display_mode") {
        ReadMode(Table(node, id), id);
      } else if (name == "caps") {
        ReadCaps(Table(node, id), id);
      } else {
        Refuse(key.source(), "unknown key " + Quoted(name) + " in [" + level + "]");
      }
    }
  }

  void ReadMode(const toml::table& table, const std::string& id) {
    ModeRequirement mode;
    std::string format;
    for (const auto& [key, node] : table) {
      const std::string name(key.str());
      if (name == "width") {
        mode.width = static_cast<unsigned long>(Integer(node, id + ".width", 1, 0xFFFFFFFFll));
      } else if (name == "height") {
        mode.height = static_cast<unsigned long>(Integer(node, id + ".height", 1, 0xFFFFFFFFll));
      } else if (name == "refresh") {
        mode.refresh = static_cast<unsigned long>(Integer(node, id + ".refresh", 0, 0xFFFFFFFFll));
      } else if (name == "format") {
        format = String(node, id + ".format");
        D3DFORMAT value = D3DFMT_UNKNOWN;
        if (!vexaSDK::DX8::GetFormatByName(format, value) || value == D3DFMT_UNKNOWN) {
          Refuse(node.source(), "unknown format " + Quoted(format));
        }
        mode.format = value;
      } else {
        Refuse(key.source(), "unknown key " + Quoted(name) + " in [" + id + "]");
      }
    }
    if (mode.width == 0 || mode.height == 0) Refuse(table.source(), id + " needs a width and a height");
    std::string text = "display mode " + std::to_string(mode.width) + " x " + std::to_string(mode.height);
    if (!format.empty()) text += " " + format;
    if (mode.refresh != 0) text += " at " + std::to_string(mode.refresh) + "Hz or more";
    Add(table, RequirementKind::kDisplayMode, id, text).mode = mode;
  }

  void ReadCaps(const toml::table& table, const std::string& id) {
    for (const auto& [key, node] : table) {
      const std::string name(key.str());
      std::size_t f = 0;
      while (f < kCapsFieldCount &&
             (kCapsFields[f].kind != CapsFieldKind::kFlags || name != kCapsFields[f].label))
        ++f;
      if (f == kCapsFieldCount) Refuse(key.source(), "unknown capability flag field " + Quoted(name));
      for (const toml::node& item : Array(node, id + "." + name)) {
        const std::string flag = String(item, id + "." + name);
        std::size_t n = 0;
        while (n < kCapsFields[f].count && flag != kCapsFields[f].table[n].name) ++n;
        if (n == kCapsFields[f].count) Refuse(item.source(), "unknown flag " + Quoted(flag) + " of " + name);
        Requirement& r =
            Add(item, RequirementKind::kCapsFlag, id + "." + name + "." + flag, name + " " + flag);
        r.capsField = f;
        r.value = kCapsFields[f].table[n].flag;
      }
    }
  }

  void ReadBadDriver(const toml::table& table) {
    BadDriver bad;
    bad.line = table.source().begin.line;
    bad.column = table.source().begin.column;
    bool vendor = false;
    for (const auto& [key, node] : table) {
      const std::string name(key.str());
      if (name == "vendor_id") {
        bad.vendorId = static_cast<unsigned long>(Integer(node, "vendor_id", 0, 0xFFFFFFFFll));
        vendor = true;
      } else if (name == "device_id") {
        if (node.is_string() && String(node, "device_id") == "any") continue;
        bad.deviceId = static_cast<unsigned long>(Integer(node, "device_id", 0, 0xFFFFFFFFll));
        bad.anyDevice = false;
      } else if (name == "from_version" || name == "to_version") {
        std::uint64_t packed = 0;
        if (!ParseDriverVersion(String(node, name), packed))
          Refuse(node.source(), name + " takes a version such as \"6.14.10.4403\"");
        (name == "from_version" ? bad.fromVersion : bad.toVersion) = packed;
      } else if (name == "message") {
        bad.message = String(node, name);
      } else {
        Refuse(key.source(), "unknown key " + Quoted(name) + " in [[bad_driver]]");
      }
    }
    if (!vendor) Refuse(table.source(), "[[bad_driver]] needs a vendor_id");
    if (bad.message.empty()) Refuse(table.source(), "[[bad_driver]] needs a message");
    if (bad.fromVersion > bad.toVersion)
      Refuse(table.source(), "[[bad_driver]] from_version is above to_version");
    out_.badDrivers.push_back(bad);
  }

  Requirements& out_;
  RequirementLevel level_ = RequirementLevel::kMinimum;
};

}  // namespace

bool ParseRequirements(std::string_view text, Requirements& out, RequirementsError& error) {
  out = Requirements();
  if (text.size() > kMaxFileSize) {
    error = {0, 0, "larger than " + std::to_string(kMaxFileSize >> 20) + " MB: no requirements file"};
    return false;
  }
  toml::parse_result parsed = toml::parse(text);
  if (!parsed) {
    const toml::parse_error& failure = parsed.error();
    error = {failure.source().begin.line, failure.source().begin.column, std::string(failure.description())};
    return false;
  }
  Requirements read;
  try {
    CReader(read).Read(parsed.table());
  } catch (const Refused& refused) {
    error = refused.error;
    return false;
  }
  // The desk reads them in the order it wrote them, minimum first.
  std::stable_sort(read.requirements.begin(), read.requirements.end(),
                   [](const Requirement& a, const Requirement& b) {
                     return std::tie(a.level, a.line, a.column) < std::tie(b.level, b.line, b.column);
                   });
  out = std::move(read);
  return true;
}

}  // namespace vexaEnvReader
