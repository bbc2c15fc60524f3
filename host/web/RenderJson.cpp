#include "host/web/RenderJson.h"

#include <cstdio>
#include <nlohmann/json.hpp>

namespace hostweb {

using nlohmann::json;
using platform::TRenderValueKind;

namespace {

// Texts the platform could not convert are sent with U+FFFD rather than
// failing the whole message.
std::string Dump(const json& j) { return j.dump(-1, ' ', false, json::error_handler_t::replace); }

json PictureJson(const PictureRef& p) {
  return json{{"pic", HashText(p.Hash)}, {"w", p.Width}, {"h", p.Height}, {"count", p.Count}};
}

json ToJson(const platform::RenderValue& v) {
  switch (v.Kind) {
    case TRenderValueKind::Text:
      return json{{"text", v.Utf8}, {"cp", v.CodePage}};
    case TRenderValueKind::Integer: {
      const std::string text = v.Text.ToUtf8();
      if (text == std::to_string(v.Integer)) return v.Integer;
      return json{{"int", v.Integer}, {"name", text}};
    }
    case TRenderValueKind::Boolean:
      return v.Integer != 0;
    case TRenderValueKind::Color: {
      json out{{"name", v.Text.ToUtf8()}};
      const auto bgr = static_cast<std::uint32_t>(v.Integer);
      if (bgr > 0xFFFFFF) {
        out["rgb"] = nullptr;  // clNone, clDefault: the renderer's choice
      } else {
        char hex[8];
        std::snprintf(hex, sizeof hex, "#%02x%02x%02x", bgr & 0xFF, (bgr >> 8) & 0xFF, (bgr >> 16) & 0xFF);
        out["rgb"] = hex;
      }
      return out;
    }
    case TRenderValueKind::Float:
      return json{{"float", v.Text.ToUtf8()}};
    case TRenderValueKind::Reference:
      return json{{"ref", static_cast<std::uint64_t>(v.Integer)}};
  }
  return nullptr;
}

json PropsJson(std::uint64_t id, const platform::RenderProperties& props, const PictureRefs& pictures) {
  json out = json::object();
  for (const auto& [name, value] : props) out[name] = ToJson(value);
  if (auto it = pictures.find(id); it != pictures.end())
    for (const auto& [name, ref] : it->second) out[name] = PictureJson(ref);
  return out;
}

json NodeJson(const platform::RenderNode& node, const NodeExtras& extras) {
  auto owner = extras.Owners.find(node.InstanceId);
  auto classes = extras.Classes.find(node.InstanceId);
  return json{{"id", node.InstanceId},
              {"class", node.ClassName.ToUtf8()},
              {"classes", classes == extras.Classes.end() ? json::array({node.ClassName.ToUtf8()})
                                                         : json(classes->second)},
              {"name", node.Name.ToUtf8()},
              {"parent", node.ParentId},
              {"owner", owner == extras.Owners.end() ? 0 : owner->second},
              {"props", PropsJson(node.InstanceId, node.Properties, extras.Pictures)}};
}

}  // namespace

std::string HashText(std::uint64_t hash) {
  char hex[17];
  std::snprintf(hex, sizeof hex, "%016llx", static_cast<unsigned long long>(hash));
  return hex;
}

std::string ValueJson(const platform::RenderValue& value) { return Dump(ToJson(value)); }

std::string SnapshotMessage(const platform::FormSnapshot& snapshot, const NodeExtras& extras) {
  json nodes = json::array();
  for (const auto& node : snapshot.Nodes) nodes.push_back(NodeJson(node, extras));
  return Dump(json{{"type", "form"}, {"form", snapshot.FormId}, {"nodes", std::move(nodes)}});
}

std::string ChangesMessage(const platform::ChangeSet& changes, const NodeExtras& extras) {
  json changed = json::array();
  for (const auto& c : changes.Changed)
    changed.push_back(json{{"id", c.InstanceId}, {"props", PropsJson(c.InstanceId, c.Properties, extras.Pictures)}});
  json created = json::array();
  for (const auto& node : changes.Created) created.push_back(NodeJson(node, extras));
  return Dump(json{{"type", "changes"},
                   {"form", changes.FormId},
                   {"changed", std::move(changed)},
                   {"created", std::move(created)},
                   {"destroyed", changes.Destroyed}});
}

std::string FormMessage(const char* type, std::uint64_t formId) { return Dump(json{{"type", type}, {"form", formId}}); }

std::string ScreenMessage(std::uint64_t modalId, std::uint64_t activeId, const std::string& cursor) {
  return Dump(json{{"type", "screen"}, {"modal", modalId}, {"active", activeId}, {"cursor", cursor}});
}

std::string SimpleMessage(const char* type) { return Dump(json{{"type", type}}); }

namespace {

struct Kind {
  const char* Name;
  BrowserInputKind Value;
  const char* TargetField;  // nullptr: none
};

constexpr Kind kKinds[] = {
    {"hello", BrowserInputKind::Hello, nullptr},  {"key", BrowserInputKind::Key, "form"},
    {"keyup", BrowserInputKind::KeyUp, "form"},   {"char", BrowserInputKind::Char, "form"},
    {"click", BrowserInputKind::Click, "id"},     {"focus", BrowserInputKind::Focus, "id"},
    {"close", BrowserInputKind::Close, "id"},     {"text", BrowserInputKind::Text, "id"},
    {"page", BrowserInputKind::Page, "id"},       {"menu", BrowserInputKind::Menu, "id"},
    {"gridclick", BrowserInputKind::GridClick, "id"}, {"scroll", BrowserInputKind::Scroll, "id"},
    {"select", BrowserInputKind::Select, "id"},
};

bool IntField(const json& j, const char* name, long long low, long long high, long long& out, std::string& error) {
  auto it = j.find(name);
  if (it == j.end() || !it->is_number_integer()) {
    error = std::string("the field \"") + name + "\" is missing or not a whole number";
    return false;
  }
  out = it->get<long long>();
  if (out < low || out > high) {
    error = std::string("the field \"") + name + "\" is out of range";
    return false;
  }
  return true;
}

bool BoolField(const json& j, const char* name) {
  auto it = j.find(name);
  return it != j.end() && it->is_boolean() && it->get<bool>();
}

}  // namespace

std::optional<BrowserInput> ParseBrowserInput(std::string_view message, std::string& error) {
  const json j = json::parse(message, nullptr, false);
  if (j.is_discarded() || !j.is_object()) {
    error = "the message is not a JSON object";
    return std::nullopt;
  }
  auto t = j.find("t");
  if (t == j.end() || !t->is_string()) {
    error = "the message has no kind";
    return std::nullopt;
  }
  const std::string name = t->get<std::string>();
  const Kind* kind = nullptr;
  for (const Kind& k : kKinds)
    if (name == k.Name) kind = &k;
  if (!kind) {
    error = "unknown message kind \"" + name + "\"";
    return std::nullopt;
  }
  BrowserInput in;
  in.Kind = kind->Value;
  long long n = 0;
  if (kind->TargetField) {
    if (!IntField(j, kind->TargetField, 1, (1LL << 53), n, error)) return std::nullopt;
    in.Target = static_cast<std::uint64_t>(n);
  }
  switch (in.Kind) {
    case BrowserInputKind::Hello:
      if (!IntField(j, "width", 1, 100000, n, error)) return std::nullopt;
      in.Width = static_cast<int>(n);
      if (!IntField(j, "height", 1, 100000, n, error)) return std::nullopt;
      in.Height = static_cast<int>(n);
      break;
    case BrowserInputKind::Key:
    case BrowserInputKind::KeyUp:
      if (!IntField(j, "vk", 1, 254, n, error)) return std::nullopt;
      in.Key = static_cast<int>(n);
      in.Shift = BoolField(j, "shift");
      in.Ctrl = BoolField(j, "ctrl");
      in.Alt = BoolField(j, "alt");
      break;
    case BrowserInputKind::Char:
    case BrowserInputKind::Text: {
      auto text = j.find("text");
      if (text == j.end() || !text->is_string()) {
        error = "the field \"text\" is missing";
        return std::nullopt;
      }
      in.Text = text->get<std::string>();
      if (in.Kind == BrowserInputKind::Char && in.Text.empty()) {
        error = "the field \"text\" is empty";
        return std::nullopt;
      }
      break;
    }
    case BrowserInputKind::Page:
      if (!IntField(j, "index", 0, 100000, n, error)) return std::nullopt;
      in.Index = static_cast<int>(n);
      break;
    case BrowserInputKind::GridClick:
      if (!IntField(j, "x", -100000, 100000, n, error)) return std::nullopt;
      in.X = static_cast<int>(n);
      if (!IntField(j, "y", -100000, 100000, n, error)) return std::nullopt;
      in.Y = static_cast<int>(n);
      in.Shift = BoolField(j, "shift");
      in.Ctrl = BoolField(j, "ctrl");
      in.Alt = BoolField(j, "alt");
      break;
    case BrowserInputKind::Select:
      if (!IntField(j, "index", 0, 1LL << 30, n, error)) return std::nullopt;
      in.Index = static_cast<int>(n);
      in.Shift = BoolField(j, "shift");
      in.Ctrl = BoolField(j, "ctrl");
      break;
    case BrowserInputKind::Scroll:
      if (!IntField(j, "top", 0, 1LL << 30, n, error)) return std::nullopt;
      in.Index = static_cast<int>(n);
      break;
    default:
      break;
  }
  return in;
}

}  // namespace hostweb
