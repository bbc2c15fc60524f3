#include "TestRenderer.h"

#include "platform/ui/Application.h"

namespace platform::rendertest {

void TTestRenderer::Clear() {
  Snapshots.clear();
  ChangeSets.clear();
  Hidden.clear();
  Closed.clear();
}

const RenderNode* TTestRenderer::SnapshotNode(const char* name) const {
  if (Snapshots.empty()) return nullptr;
  for (const RenderNode& node : Snapshots.back().Nodes)
    if (node.Name == name) return &node;
  return nullptr;
}

void TTestRenderer::Round() {
  TApplication& app = Application();
  app.ProcessMessages();
  // Nothing is queued now: HandleMessage runs the idle handler and returns
  // without waiting.
  app.WakeUp();
  app.HandleMessage();
}

namespace {
RenderInput Input(TRenderInputKind kind, std::uint64_t target) {
  RenderInput input;
  input.Kind = kind;
  input.TargetId = target;
  return input;
}
}  // namespace

bool TTestRenderer::Key(TRenderHost& host, std::uint64_t target, Word key, TShiftState shift) {
  RenderInput input = Input(TRenderInputKind::Key, target);
  input.Key = key;
  input.Shift = shift;
  return host.Apply(input);
}

bool TTestRenderer::Char(TRenderHost& host, std::uint64_t target, char ch) {
  RenderInput input = Input(TRenderInputKind::Char, target);
  input.Char = ch;
  return host.Apply(input);
}

bool TTestRenderer::Click(TRenderHost& host, std::uint64_t target) {
  return host.Apply(Input(TRenderInputKind::Click, target));
}

bool TTestRenderer::Type(TRenderHost& host, std::uint64_t target, const std::string& utf8) {
  RenderInput input = Input(TRenderInputKind::Text, target);
  input.Utf8Text = utf8;
  return host.Apply(input);
}

bool TTestRenderer::Focus(TRenderHost& host, std::uint64_t target) {
  return host.Apply(Input(TRenderInputKind::Focus, target));
}

bool TTestRenderer::Close(TRenderHost& host, std::uint64_t target) {
  return host.Apply(Input(TRenderInputKind::Close, target));
}

}  // namespace platform::rendertest
