// Private header of host_web: the browser messages, as JSON text.
//
// Host to browser (one JSON object per socket message, "type" first):
//   {"type":"reset"}                      forget every form; snapshots follow
//   {"type":"form", "form":id, "nodes":[node...]}
//   {"type":"changes", "form":id, "changed":[{"id","props"}], "created":[node], "destroyed":[id]}
//   {"type":"hidden", "form":id}  {"type":"closed", "form":id}
//   {"type":"screen", "modal":id|0, "active":id|0, "cursor":"crHourGlass"}
//   {"type":"beep"}
// A node is {"id", "class", "classes", "name", "parent", "owner", "props":{name: value}}.
// Values by kind: text {"text": utf8, "cp": code page}; integer a number,
// or {"int": n, "name": identifier} when its text is not the number;
// boolean true/false; colour {"rgb": "#rrggbb" or null, "name": text};
// float {"float": text}; reference {"ref": id}; picture strip
// {"pic": hash, "w", "h", "count"} (an image list's images side by side,
// served as pic/<hash>.png).
//
// Browser to host ("t" names the kind):
//   {"t":"hello", "width", "height"}       the desktop size
//   {"t":"key"|"keyup", "form", "vk", "shift", "ctrl", "alt"}
//   {"t":"char", "form", "text"}           typed, pasted or composed text
//   {"t":"click"|"focus"|"close", "id"}
//   {"t":"text", "id", "text"}
//   {"t":"page", "id", "index"}            a page control's tab chosen
//   {"t":"menu", "id"}                     a menu item chosen
//   {"t":"gridclick", "id", "x", "y", "shift", "ctrl", "alt"}  a click in a data grid, in its pixels
//   {"t":"scroll", "id", "top"}            a data grid scrolled to a first row
//   {"t":"select", "id", "index", "shift", "ctrl"}  an item chosen in a combo box, list box or radio group
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/ui/Render.h"

namespace hostweb {

// An image list's images as one strip picture.
struct PictureRef {
  std::uint64_t Hash = 0;
  int Width = 0;   // of one image
  int Height = 0;
  int Count = 0;
};
// Instance id -> the pictures of that component, by property name.
using PictureRefs = std::map<std::uint64_t, std::map<std::string, PictureRef>>;

// What the render interface leaves out and the browser needs: the owner of
// each component (menus are drawn from their owner tree) and pictures.
struct NodeExtras {
  std::map<std::uint64_t, std::uint64_t> Owners;  // instance id -> owner's id
  // instance id -> the class-name chain, the class itself first (a
  // program's own classes are drawn as the framework class they derive from)
  std::map<std::uint64_t, std::vector<std::string>> Classes;
  PictureRefs Pictures;
};

std::string HashText(std::uint64_t hash);  // 16 lower-case hex digits

std::string ValueJson(const platform::RenderValue& value);
std::string SnapshotMessage(const platform::FormSnapshot& snapshot, const NodeExtras& extras);
std::string ChangesMessage(const platform::ChangeSet& changes, const NodeExtras& extras);
std::string FormMessage(const char* type, std::uint64_t formId);
std::string ScreenMessage(std::uint64_t modalId, std::uint64_t activeId, const std::string& cursor);
std::string SimpleMessage(const char* type);

enum class BrowserInputKind { Hello, Key, KeyUp, Char, Click, Focus, Close, Text, Page, Menu, GridClick, Scroll, Select };

struct BrowserInput {
  BrowserInputKind Kind = BrowserInputKind::Click;
  std::uint64_t Target = 0;  // "form" or "id"
  int Key = 0;
  bool Shift = false, Ctrl = false, Alt = false;
  std::string Text;  // UTF-8
  int Index = 0;  // page index; a grid's first row
  int Width = 0, Height = 0;
  int X = 0, Y = 0;
};

// The input of one browser message; nullopt with error set when the
// message is not one of the kinds above or a field is missing or out of
// range.
std::optional<BrowserInput> ParseBrowserInput(std::string_view message, std::string& error);

}  // namespace hostweb
