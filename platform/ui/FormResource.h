// Form resources: the text that describes a form or data module (its
// components, their settings and the handlers their events are wired to),
// built into the library that owns the class, and the reader that builds
// an instance's component tree from it.
//
// Format (UTF-8 in the repository, converted to code page 936 when read):
//
//   object frmDemo: TfrmDemo              // the class's own resource
//     Caption = 'Demo'
//     Left = 0                             // pixels at 96 dpi
//     Font.Charset = GB2312_CHARSET        // dotted paths into sub-objects
//     Font.Style = [fsBold]                // sets
//     Color = clBtnFace                    // identifiers or numbers
//     OnShow = FormShow                    // a published handler of the class
//     object btnOK: TButton                // owned by the form; nested = parent
//       Caption = 'OK'#13#10'second line'   // #n: the character n
//       Hint = 'a long text ' +
//         'continued'
//       OnClick = btnOKClick
//     end
//     object lstNames: TListBox
//       Items = (                          // string-list lines
//         'first'
//         'second')
//     end
//     object lvMain: TListView
//       Columns = <                        // collection items
//         item
//           Caption = 'Code'
//           Width = 80
//         end>
//     end
//   #if version >= 9.0                     // framework-version guard
//     object mnuHelp: TMenuItem
//       ...
//     end
//   #else
//     ...
//   #endif
//   end
//
// A descendant class's resource states only what it adds or changes, and
// is read after its ancestors' (oldest first):
//
//   inherited frmOrder: TfrmOrder
//     Caption = 'Orders'
//     inherited btnOK: TButton             // a component of an ancestor
//       Left = 200
//     end
//     object edName: TEdit                 // a component of its own
//     end
//   end
//
// Values: integers (-13, $FF), floats (1.5), strings ('...' with '' for a
// quote, #n codes, parts joined by adjacency or "+"), identifiers
// (enumerations, True/False, identifiers of colours, cursors and
// charsets, handler names for events, component names for references, nil
// to clear a reference or event), sets ([a, b]), string lists (( ... ))
// and collections (< item ... end >). A string list or collection value
// replaces the whole list. Comments run from "//" to the end of a line.
// Version guards (#if version OP dotted-number, #else, #endif; OP one of
// = <> < <= > >=) stand on lines of their own and nest; the version is the
// framework version of the instance class's library (LibModule.h).
//
// Every component a resource creates is owned by the root; nesting gives
// the parent relation (TComponent::SetParentComponent). References to
// components are resolved when the resource has been read, among the
// root's components. The reader is strict: an unknown class, component,
// property, identifier or handler, a value of the wrong kind, a property
// set twice in one block, a text that code page 936 cannot hold, and a
// malformed text all raise EResourceError naming the resource and the
// line. While the resources are read, every component read is in the
// loading state (csLoading, csReading); when all are read, Loaded() is
// called for the root and then for every other component in the order
// they were first read.
//
// Embedding: corvane_form_resources(target file...) (FormResources.cmake)
// turns each file into a generated source holding its bytes that
// registers the resource, by the file's base name (the class name), with
// the library it is linked into. In a static library, the class's own
// .cpp keeps the resource linked with PLATFORM_FORM_RESOURCE(TfrmDemo).
#pragma once

#include <cstddef>
#include <span>
#include <string_view>
#include <vector>

#include "platform/Exceptions.h"
#include "platform/ui/Component.h"
#include "platform/ui/LibModule.h"

namespace platform {

// One embedded resource: the class it describes and its UTF-8 text.
struct TFormResource {
  const char* Name;        // "TfrmDemo"
  const char* SourceFile;  // the file it was made from, for messages
  const unsigned char* Bytes;
  std::size_t Size;

  std::string_view Text() const { return std::string_view(reinterpret_cast<const char*>(Bytes), Size); }
};

// A resource that cannot be read: the resource, the line (from 1; 0 when
// the fault concerns the whole resource) and the reason.
class EResourceError : public Exception {
 public:
  EResourceError(const AnsiString& resourceName, int line, const AnsiString& reason);
  const char* ClassName() const override { return "EResourceError"; }
  const AnsiString& ResourceName() const { return resourceName_; }
  int Line() const { return line_; }
  const AnsiString& Reason() const { return reason_; }

 private:
  AnsiString resourceName_;
  int line_;
  AnsiString reason_;
};

// Registers a resource with the library its code is linked into (used by
// the generated sources).
class ResourceRegistrar {
 public:
  explicit ResourceRegistrar(const TFormResource& resource) { ThisModule().RegisterResource(resource); }
};

// The resources of a class and its ancestors below rootAncestor (which must
// be an ancestor of cls), oldest first; each class's resource is looked up
// in the library that defines the class. Classes without one are skipped.
std::vector<const TFormResource*> ResourceChain(const TClassInfo& cls, const TClassInfo& rootAncestor);

// Builds instance's components from the resources of its class chain below
// rootAncestor (TForm, TDataModule); the framework version and the class
// names come from the library of instance's class. False when no class of
// the chain has a resource (nothing is done). Call it once the instance is
// fully constructed: inside a base class's constructor ClassType() is still
// the base class.
bool InitInheritedComponent(TComponent& instance, const TClassInfo& rootAncestor);

// Reads the given resources into instance, oldest first: the first must
// begin with "object", every later one with "inherited". Class names are
// looked up in classes, then in the platform's library; version guards
// compare with classes.FrameworkVersion().
void ReadComponentResources(TComponent& instance, std::span<const TFormResource* const> chain,
                            const TLibModule& classes);

// Compares two dotted version numbers ("9.0" and "5.0.28") part by part;
// missing parts count as 0. -1, 0 or 1; false in ok when either is not a
// dotted number.
int CompareVersions(std::string_view a, std::string_view b, bool* ok = nullptr);

// In a class's .cpp, keeps its embedded resource linked (static libraries
// drop objects nothing refers to).
#define PLATFORM_FORM_RESOURCE(ClassName)                                            \
  extern "C" const ::platform::TFormResource corvane_form_resource_##ClassName;          \
  [[maybe_unused]] static const ::platform::TFormResource* const platform_form_resource_##ClassName = \
      &corvane_form_resource_##ClassName

}  // namespace platform
