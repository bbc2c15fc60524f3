// A renderer for the render interface tests: it records what the host
// sends and sends input by instance id, as a browser client would.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "platform/ui/Render.h"

namespace platform::rendertest {

class TTestRenderer : public IRenderer {
 public:
  void OnFormShown(const FormSnapshot& snapshot) override {
    Snapshots.push_back(snapshot);
    if (WhenShown) WhenShown(snapshot);
  }
  void OnChanges(const ChangeSet& changes) override { ChangeSets.push_back(changes); }
  void OnFormHidden(std::uint64_t formId) override { Hidden.push_back(formId); }
  void OnFormClosed(std::uint64_t formId) override { Closed.push_back(formId); }

  // Forgets what was received.
  void Clear();

  // The node of that component name in the last snapshot; nullptr when
  // there is none.
  const RenderNode* SnapshotNode(const char* name) const;

  // One round of the message loop: the messages queued now, then the idle
  // handler (where the host sends).
  static void Round();

  // Input, through host; each answers whether it was delivered.
  bool Key(TRenderHost& host, std::uint64_t target, Word key, TShiftState shift = {});
  bool Char(TRenderHost& host, std::uint64_t target, char ch);
  bool Click(TRenderHost& host, std::uint64_t target);
  bool Type(TRenderHost& host, std::uint64_t target, const std::string& utf8);
  bool Focus(TRenderHost& host, std::uint64_t target);
  bool Close(TRenderHost& host, std::uint64_t target);

  // Runs after a snapshot is recorded (a renderer answering a dialog).
  std::function<void(const FormSnapshot&)> WhenShown;

  std::vector<FormSnapshot> Snapshots;
  std::vector<ChangeSet> ChangeSets;
  std::vector<std::uint64_t> Hidden;
  std::vector<std::uint64_t> Closed;
};

}  // namespace platform::rendertest
