#include "platform/ui/FormResource.h"

#include <algorithm>
#include <cassert>
#include <set>

#include "platform/CodePage.h"
#include "platform/FloatFormat.h"
#include "platform/StringList.h"
#include "platform/ui/Collection.h"
#include "platform/ui/ComponentPtr.h"
#include "platform/ui/PropertyAccess.h"
#include "platform/ui/ResourceParser.h"

namespace platform {

using resource_detail::Item;
using resource_detail::ObjectDecl;
using resource_detail::Property;
using resource_detail::Value;

namespace {

// Resource texts are program texts: code page 936 whatever the process
// code page is, as the module's literals are.
constexpr unsigned kProgramCodePage = 936;

AnsiString Q(const std::string& s) { return AnsiString("'") + AnsiString::FromBytes(s) + "'"; }
AnsiString Q(const AnsiString& s) { return "'" + s + "'"; }

std::vector<std::string> SplitPath(const std::string& path) {
  std::vector<std::string> parts;
  std::size_t start = 0;
  while (true) {
    const std::size_t dot = path.find('.', start);
    parts.push_back(path.substr(start, dot == std::string::npos ? std::string::npos : dot - start));
    if (dot == std::string::npos) return parts;
    start = dot + 1;
  }
}

}  // namespace

EResourceError::EResourceError(const AnsiString& resourceName, int line, const AnsiString& reason)
    : Exception("Form resource " + resourceName + (line > 0 ? ", line " + IntToStr(line) : AnsiString()) + ": " +
                reason),
      resourceName_(resourceName),
      line_(line),
      reason_(reason) {}

int CompareVersions(std::string_view a, std::string_view b, bool* ok) {
  auto parts = [](std::string_view v, bool& good) {
    std::vector<long long> out;
    good = !v.empty();
    std::size_t start = 0;
    while (good) {
      const std::size_t dot = v.find('.', start);
      const std::string_view part = v.substr(start, dot == std::string_view::npos ? std::string_view::npos : dot - start);
      if (part.empty() || part.size() > 9) good = false;
      long long n = 0;
      for (char c : part) {
        if (c < '0' || c > '9') good = false;
        n = n * 10 + (c - '0');
      }
      out.push_back(n);
      if (dot == std::string_view::npos) break;
      start = dot + 1;
    }
    return out;
  };
  bool goodA = false, goodB = false;
  const std::vector<long long> x = parts(a, goodA);
  const std::vector<long long> y = parts(b, goodB);
  if (ok) *ok = goodA && goodB;
  if (!goodA || !goodB) return 0;
  for (std::size_t i = 0; i < std::max(x.size(), y.size()); ++i) {
    const long long p = i < x.size() ? x[i] : 0;
    const long long q = i < y.size() ? y[i] : 0;
    if (p != q) return p < q ? -1 : 1;
  }
  return 0;
}

// Reads the resources of one instance, oldest first, and keeps what
// outlives one resource: the components read (for Loaded).
class ResourceReader {
 public:
  ResourceReader(TComponent& root, const TLibModule& classes) : root_(root), classes_(classes) {}

  void Read(const TFormResource& resource, bool first) {
    resourceName_ = resource.Name;
    declared_.clear();
    fixups_.clear();
    const ObjectDecl decl =
        resource_detail::ParseResource(resource.Text(), classes_.FrameworkVersion().View(), resource.Name);
    if (first) NoteLoaded(&root_);
    Root(decl, first);
    // References are resolved per resource: a later resource may replace
    // the collection items a reference was read into.
    ResolveFixups();
  }

  void Finish() {
    for (auto& c : loaded_)
      if (c) c->SetLoadingState(true, false);
    std::size_t i = 0;
    try {
      for (; i < loaded_.size(); ++i)
        if (loaded_[i]) loaded_[i]->Loaded();
    } catch (...) {
      for (; i < loaded_.size(); ++i)
        if (loaded_[i]) loaded_[i]->SetLoadingState(false, false);
      throw;
    }
  }

  void Abandon() noexcept {
    for (auto& c : loaded_)
      if (c) c->SetLoadingState(false, false);
  }

 private:
  struct Fixup {
    TPersistent* instance;
    const TPropInfo* property;
    std::string name;
    int line;
  };

  [[noreturn]] void Error(int line, const AnsiString& reason) const {
    throw EResourceError(resourceName_, line, reason);
  }

  void NoteLoaded(TComponent* c) {
    for (const auto& seen : loaded_)
      if (seen.get() == c) return;
    c->SetLoadingState(true, true);
    loaded_.emplace_back(c);
  }

  void Declare(TComponent* c, const ObjectDecl& decl) {
    if (!declared_.insert(c).second) Error(decl.line, "component " + Q(decl.name) + " is declared twice");
  }

  void Root(const ObjectDecl& decl, bool first) {
    if (first == decl.inherited)
      Error(decl.line, first ? AnsiString("the oldest resource of a class begins with object, not inherited")
                             : AnsiString("a descendant's resource begins with inherited, not object"));
    const AnsiString className = AnsiString::FromBytes(decl.className);
    if (!SameText(className, resourceName_))
      Error(decl.line, "the resource of " + resourceName_ + " describes class " + className);
    if (!root_.InheritsFrom(className))
      Error(decl.line, "the resource describes " + className + ", but the component is a " + root_.ClassName());
    Declare(&root_, decl);
    Guarded(decl.line, [&] { root_.SetName(UniqueRootName(AnsiString::FromBytes(decl.name))); });
    Properties(root_, decl.properties);
    for (const ObjectDecl& child : decl.children) Object(child, &root_);
  }

  // A second instance of a form with the same owner is named frmX_1.
  AnsiString UniqueRootName(const AnsiString& name) const {
    TComponent* owner = root_.Owner();
    if (!owner) return name;
    AnsiString candidate = name;
    for (int n = 1;; ++n) {
      TComponent* other = owner->FindComponent(candidate);
      if (!other || other == &root_) return candidate;
      candidate = name + "_" + IntToStr(n);
    }
  }

  void Object(const ObjectDecl& decl, TComponent* parent) {
    const AnsiString name = AnsiString::FromBytes(decl.name);
    const AnsiString className = AnsiString::FromBytes(decl.className);
    TComponent* c = root_.FindComponent(name);
    if (decl.inherited) {
      if (!c) Error(decl.line, "inherited component " + Q(name) + " is not in the ancestor's resources");
      if (!c->ClassNameIs(className))
        Error(decl.line, "component " + Q(name) + " is a " + c->ClassName() + ", not a " + className);
    } else {
      if (c) Error(decl.line, "a component named " + Q(name) + " already exists");
      const TClassInfo* cls = FindClass(className.View(), classes_);
      if (!cls) Error(decl.line, "unknown class " + Q(className));
      if (!cls->InheritsFrom(TComponent::StaticClass()) || !cls->CanCreateComponent())
        Error(decl.line, "class " + className + " cannot be created from a resource");
      Guarded(decl.line, [&] {
        c = cls->CreateComponent(&root_);
        NoteLoaded(c);
        c->SetName(name);
      });
    }
    Declare(c, decl);
    NoteLoaded(c);
    Guarded(decl.line, [&] {
      if (c->HasParent() && c->GetParentComponent() != parent) c->SetParentComponent(parent);
    });
    Properties(*c, decl.properties);
    for (const ObjectDecl& child : decl.children) Object(child, c);
  }

  void Properties(TPersistent& target, const std::vector<Property>& properties) {
    for (std::size_t i = 0; i < properties.size(); ++i)
      for (std::size_t j = 0; j < i; ++j)
        if (SameText(AnsiString::FromBytes(properties[i].path), AnsiString::FromBytes(properties[j].path)))
          Error(properties[i].line, "property " + Q(properties[i].path) + " is set twice");
    for (const Property& p : properties) Guarded(p.line, [&] { PropertyLine(target, p); });
  }

  // Runs f; exceptions other than the reader's own become EResourceError
  // at line.
  template <typename F>
  void Guarded(int line, F&& f) {
    try {
      f();
    } catch (const EResourceError&) {
      throw;
    } catch (const Exception& e) {
      Error(line, e.Message());
    }
  }

  void PropertyLine(TPersistent& target, const Property& p) {
    const std::vector<std::string> segments = SplitPath(p.path);
    TPersistent* current = &target;
    for (std::size_t i = 0; i + 1 < segments.size(); ++i) {
      const AnsiString segment = AnsiString::FromBytes(segments[i]);
      const TPropInfo* prop = GetPropInfo(*current, segment);
      if (!prop) Error(p.line, "unknown property " + Q(segment) + " of " + current->ClassName());
      if (prop->Kind() != TTypeKind::tkClass || prop->IsReference())
        Error(p.line, "property " + Q(segment) + " of " + current->ClassName() + " is not a sub-object");
      auto* next = dynamic_cast<TPersistent*>(prop->GetObject(*current));
      if (!next) Error(p.line, "property " + Q(segment) + " of " + current->ClassName() + " holds no object");
      current = next;
    }
    const AnsiString last = AnsiString::FromBytes(segments.back());
    const TPropInfo* prop = GetPropInfo(*current, last);
    if (!prop) Error(p.line, "unknown property " + Q(last) + " of " + current->ClassName());
    Assign(*current, *prop, p.value);
  }

  AnsiString ProgramText(const std::string& utf8, int line) const {
    bool replaced = false;
    const std::string bytes = FromWide(Utf8ToWide(utf8), kProgramCodePage, &replaced);
    if (replaced) Error(line, "text " + Q(utf8) + " has characters code page 936 does not have");
    return AnsiString::FromBytes(bytes);
  }

  void RequireWritable(const TPropInfo& prop, int line) const {
    if (!prop.IsWritable()) Error(line, "property " + prop.Name() + " is read-only");
  }

  void Assign(TPersistent& target, const TPropInfo& prop, const Value& v) {
    const int line = v.line;
    const TTypeInfo& type = prop.PropType();
    auto takes = [&](const char* expected) {
      Error(line, "property " + prop.Name() + " (" + type.Name() + ") takes " + expected);
    };
    auto identifier = [&]() { return AnsiString::FromBytes(v.text); };
    switch (prop.Kind()) {
      case TTypeKind::tkInteger: {
        std::int64_t value = 0;
        if (v.kind == Value::Kind::Integer) {
          value = v.integer;
        } else if (v.kind == Value::Kind::Identifier && type.HasIdentMap()) {
          if (!type.IdentToInt(identifier(), value))
            Error(line, "unknown identifier " + Q(v.text) + " for " + type.Name());
        } else {
          takes(type.HasIdentMap() ? "a number or an identifier" : "a number");
        }
        if (value < type.MinValue() || value > type.MaxValue())
          Error(line, IntToStr(value) + " is out of the range of " + type.Name());
        RequireWritable(prop, line);
        prop.SetOrd(target, value);
        return;
      }
      case TTypeKind::tkChar: {
        if (v.kind != Value::Kind::String) takes("one character");
        const AnsiString text = ProgramText(v.text, line);
        if (text.Length() != 1) takes("one character");
        RequireWritable(prop, line);
        prop.SetOrd(target, text.ByteAt(1));
        return;
      }
      case TTypeKind::tkEnumeration: {
        if (v.kind != Value::Kind::Identifier) takes("an identifier");
        const std::int64_t value = type.EnumValue(identifier());
        if (value < 0) Error(line, "unknown identifier " + Q(v.text) + " for " + type.Name());
        RequireWritable(prop, line);
        prop.SetOrd(target, value);
        return;
      }
      case TTypeKind::tkSet: {
        if (v.kind != Value::Kind::Set) takes("a set [ ... ]");
        std::uint64_t bits = 0;
        for (const std::string& e : v.elements) {
          const std::int64_t ordinal = type.ElementType()->EnumValue(AnsiString::FromBytes(e));
          if (ordinal < 0) Error(line, "unknown identifier " + Q(e) + " for " + type.ElementType()->Name());
          bits |= std::uint64_t{1} << ordinal;
        }
        RequireWritable(prop, line);
        prop.SetOrd(target, static_cast<std::int64_t>(bits));
        return;
      }
      case TTypeKind::tkFloat: {
        double value = 0;
        if (v.kind == Value::Kind::Float) value = v.real;
        else if (v.kind == Value::Kind::Integer) value = static_cast<double>(v.integer);
        else takes("a number");
        RequireWritable(prop, line);
        prop.SetFloat(target, value);
        return;
      }
      case TTypeKind::tkString:
        if (v.kind != Value::Kind::String) takes("a string");
        RequireWritable(prop, line);
        prop.SetStr(target, ProgramText(v.text, line));
        return;
      case TTypeKind::tkClass:
        ObjectValue(target, prop, v);
        return;
      case TTypeKind::tkMethod: {
        if (v.kind != Value::Kind::Identifier) takes("a handler name");
        RequireWritable(prop, line);
        if (SameText(identifier(), "nil")) {
          prop.SetMethod(target, TMethod());
          return;
        }
        const THandlerInfo* handler = root_.ClassType().FindHandler(identifier());
        if (!handler) Error(line, "unknown handler " + Q(v.text) + " of " + root_.ClassName());
        if (!prop.SetMethod(target, handler->Bind(root_)))
          Error(line, "handler " + Q(v.text) + " does not fit " + prop.Name() + " (" + type.Name() + ")");
        return;
      }
    }
  }

  void ObjectValue(TPersistent& target, const TPropInfo& prop, const Value& v) {
    const int line = v.line;
    if (prop.IsReference()) {
      if (v.kind != Value::Kind::Identifier)
        Error(line, "property " + prop.Name() + " takes the name of a component");
      RequireWritable(prop, line);
      if (SameText(AnsiString::FromBytes(v.text), "nil")) {
        prop.SetObject(target, nullptr);
        return;
      }
      fixups_.push_back({&target, &prop, v.text, line});
      return;
    }
    TObject* object = prop.GetObject(target);
    if (prop.PropType().IsStringList()) {
      auto* lines = dynamic_cast<TStringList*>(object);
      if (!lines) Error(line, "property " + prop.Name() + " holds no string list");
      if (v.kind != Value::Kind::List) Error(line, "property " + prop.Name() + " takes lines ( ... )");
      lines->Clear();
      for (const std::string& s : v.elements) lines->Add(ProgramText(s, line));
      return;
    }
    if (auto* collection = dynamic_cast<TCollection*>(object)) {
      if (v.kind != Value::Kind::Collection) Error(line, "property " + prop.Name() + " takes items < ... >");
      struct UpdateScope {
        TCollection& c;
        explicit UpdateScope(TCollection& collection) : c(collection) { c.BeginUpdate(); }
        ~UpdateScope() { c.EndUpdate(); }
      } scope(*collection);
      collection->Clear();
      for (const Item& item : v.items) {
        TCollectionItem* added = nullptr;
        Guarded(item.line, [&] { added = collection->Add(); });
        Properties(*added, item.properties);
      }
      return;
    }
    Error(line, "property " + prop.Name() + " is an object: set its properties (" + prop.Name() + ".Name = ...)");
  }

  void ResolveFixups() {
    for (const Fixup& f : fixups_) {
      const AnsiString name = AnsiString::FromBytes(f.name);
      TComponent* target = SameText(name, root_.Name()) ? &root_ : root_.FindComponent(name);
      if (!target) Error(f.line, "unknown component " + Q(name));
      const TClassInfo* wanted = f.property->PropType().ClassType();
      if (wanted && !target->InheritsFrom(*wanted))
        Error(f.line, "component " + Q(name) + " is a " + target->ClassName() + "; " + f.property->Name() +
                          " takes a " + wanted->Name());
      Guarded(f.line, [&] {
        if (!f.property->SetObject(*f.instance, target))
          Error(f.line, "component " + Q(name) + " does not fit " + f.property->Name());
      });
    }
    fixups_.clear();
  }

  TComponent& root_;
  const TLibModule& classes_;
  AnsiString resourceName_;
  std::vector<TComponentPtr<TComponent>> loaded_;
  std::vector<Fixup> fixups_;
  std::set<const TComponent*> declared_;
};

std::vector<const TFormResource*> ResourceChain(const TClassInfo& cls, const TClassInfo& rootAncestor) {
  assert(cls.InheritsFrom(rootAncestor));
  std::vector<const TFormResource*> chain;
  for (const TClassInfo* c = &cls; c && c != &rootAncestor; c = c->Parent())
    if (c->Module())
      if (const TFormResource* r = c->Module()->FindResource(c->Name().View())) chain.push_back(r);
  std::reverse(chain.begin(), chain.end());
  return chain;
}

bool InitInheritedComponent(TComponent& instance, const TClassInfo& rootAncestor) {
  const std::vector<const TFormResource*> chain = ResourceChain(instance.ClassType(), rootAncestor);
  if (chain.empty()) return false;
  ReadComponentResources(instance, chain, *instance.ClassType().Module());
  return true;
}

void ReadComponentResources(TComponent& instance, std::span<const TFormResource* const> chain,
                            const TLibModule& classes) {
  assert(!chain.empty());
  ResourceReader reader(instance, classes);
  try {
    for (std::size_t i = 0; i < chain.size(); ++i) reader.Read(*chain[i], i == 0);
  } catch (...) {
    reader.Abandon();
    throw;
  }
  reader.Finish();
}

}  // namespace platform
