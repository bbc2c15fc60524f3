// Private header of host_web: the renderer that turns the render host's
// snapshots and change sets into browser messages, and applies browser
// input. Used on the UI thread only.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <string>

#include "host/web/PictureStore.h"
#include "host/web/RenderJson.h"
#include "platform/ui/Render.h"

namespace hostweb {

class WebRenderer : public platform::IRenderer {
 public:
  using SendFunction = std::function<void(std::string message)>;

  // Attaches to the application's forms (creates the render host and
  // installs the idle handler). send is called on the UI thread.
  WebRenderer(PictureStore& pictures, SendFunction send);
  ~WebRenderer() override;
  WebRenderer(const WebRenderer&) = delete;
  WebRenderer& operator=(const WebRenderer&) = delete;

  // A new browser view: it is told to forget what it showed, and the next
  // round sends snapshots of every visible form.
  void Restart();
  // Applies one browser message (dropped, with a line on standard error,
  // when it is malformed); false when it was not delivered.
  bool ApplyMessage(const std::string& message);
  bool Apply(const BrowserInput& input);

  // One round (the idle handler): the render host's, then the screen state
  // and pictures that changed.
  void Round();

  // platform::IRenderer
  void OnFormShown(const platform::FormSnapshot& snapshot) override;
  void OnChanges(const platform::ChangeSet& changes) override;
  void OnFormHidden(std::uint64_t formId) override;
  void OnFormClosed(std::uint64_t formId) override;

 private:
  struct Tracked;
  PictureRefs PicturesOf(std::uint64_t formId, const std::vector<std::uint64_t>& ids);
  void SendScreen();
  void SendPictureChanges();
  bool ApplyPage(std::uint64_t id, int index);
  bool ApplyMenu(std::uint64_t id);
  bool ApplySelect(std::uint64_t id, int index, platform::TShiftState shift);
  bool ApplyChars(std::uint64_t formId, const std::string& utf8);

  PictureStore& pictures_;
  SendFunction send_;
  std::unique_ptr<platform::TRenderHost> host_;
  std::string lastScreen_;
  // Components with pictures on shown forms: id -> form id and the hashes sent.
  std::map<std::uint64_t, std::pair<std::uint64_t, std::map<std::string, std::uint64_t>>> sentPictures_;
};

}  // namespace hostweb
