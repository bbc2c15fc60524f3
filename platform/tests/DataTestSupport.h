// Support for the data-layer suites: metadata and row builders, a provider
// with a header/detail table, and a recorder of events and link
// notifications in the order they happen.
#pragma once

#include <deque>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/data/ClientDataSet.h"
#include "platform/data/DataLink.h"
#include "platform/data/DataSetField.h"
#include "platform/data/LocalProvider.h"

namespace platform::testing {

inline FieldMeta Meta(const char* name, TFieldType type, int size = 0, std::uint32_t flags = 0,
                      std::vector<FieldMeta> nested = {}) {
  FieldMeta m;
  m.name = name;
  m.type = type;
  m.size = size;
  m.flags = flags;
  m.nested = std::move(nested);
  return m;
}

inline DataRow Row(std::vector<Variant> values, std::vector<std::vector<DataRow>> nested = {}) {
  DataRow r;
  r.values = std::move(values);
  r.nested = std::move(nested);
  return r;
}

// Headers ID (key), NAME (String 10), FLAG, and their detail rows qryBody
// with ID, SEQ (key) and ITEM.
inline std::vector<FieldMeta> DetailFields() {
  return {Meta("ID", ftInteger, 0, mfKey), Meta("SEQ", ftString, 4, mfKey), Meta("ITEM", ftString, 20)};
}

inline std::vector<FieldMeta> HeaderFields() {
  return {Meta("ID", ftInteger, 0, mfKey | mfRequired), Meta("NAME", ftString, 10), Meta("FLAG", ftInteger),
          Meta("qryBody", ftDataSet, 0, 0, DetailFields())};
}

inline DataRow Detail(int id, const char* seq, const char* item) { return Row({id, seq, item}); }

inline DataRow Header(int id, const char* name, std::vector<DataRow> details) {
  return Row({id, name, 1, Variant()}, {std::move(details)});
}

// Five headers; 1 has two details, 2 has one, 3 none, 4 three, 5 one.
inline std::vector<DataRow> HeaderRows() {
  return {Header(1, "alpha", {Detail(1, "0001", "bolt"), Detail(1, "0002", "nut")}),
          Header(2, "beta", {Detail(2, "0001", "gear")}), Header(3, "gamma", {}),
          Header(4, "delta", {Detail(4, "0001", "axle"), Detail(4, "0002", "cog"), Detail(4, "0003", "pin")}),
          Header(5, "epsilon", {Detail(5, "0001", "rod")})};
}

// Records data-set events by name and link notifications as
// "link:state dsEdit", "link:data", "link:scroll N", "link:record",
// "link:field NAME", "link:layout" (check-browse-mode and update-record
// notifications only when asked for).
class EventLog : public TDataLink {
 public:
  std::vector<std::string> entries;
  bool withCheckNotifications = false;

  void Clear() { entries.clear(); }
  void Add(std::string entry) { entries.push_back(std::move(entry)); }

  // Hooks the named events of the data set, prefixing entries with prefix.
  void HookAll(TDataSet& ds, const std::string& prefix = "") {
    Hook(ds.BeforeOpen, prefix + "BeforeOpen");
    Hook(ds.AfterOpen, prefix + "AfterOpen");
    Hook(ds.BeforeClose, prefix + "BeforeClose");
    Hook(ds.AfterClose, prefix + "AfterClose");
    Hook(ds.BeforeInsert, prefix + "BeforeInsert");
    Hook(ds.AfterInsert, prefix + "AfterInsert");
    Hook(ds.BeforeEdit, prefix + "BeforeEdit");
    Hook(ds.AfterEdit, prefix + "AfterEdit");
    Hook(ds.BeforePost, prefix + "BeforePost");
    Hook(ds.AfterPost, prefix + "AfterPost");
    Hook(ds.BeforeCancel, prefix + "BeforeCancel");
    Hook(ds.AfterCancel, prefix + "AfterCancel");
    Hook(ds.BeforeDelete, prefix + "BeforeDelete");
    Hook(ds.AfterDelete, prefix + "AfterDelete");
    Hook(ds.BeforeScroll, prefix + "BeforeScroll");
    Hook(ds.AfterScroll, prefix + "AfterScroll");
    Hook(ds.OnNewRecord, prefix + "OnNewRecord");
  }

  void Hook(TDataSetNotifyEvent& event, const std::string& name) {
    tags_.push_back({this, name});
    event = TDataSetNotifyEvent::FromFunction(
        [](void* data, TDataSet*) {
          auto* tag = static_cast<Tag*>(data);
          tag->log->Add(tag->name);
        },
        &tags_.back());
  }

  void Hook(TFieldNotifyEvent& event, const std::string& name) {
    tags_.push_back({this, name});
    event = TFieldNotifyEvent::FromFunction(
        [](void* data, TField*) {
          auto* tag = static_cast<Tag*>(data);
          tag->log->Add(tag->name);
        },
        &tags_.back());
  }

  void DataEvent(TDataEvent event, TField* field, int distance) override {
    switch (event) {
      case TDataEvent::deUpdateState: Add("link:state " + std::string(DataSetStateName(DataSet()->State()).c_str())); break;
      case TDataEvent::deDataSetChange: Add("link:data"); break;
      case TDataEvent::deDataSetScroll: Add("link:scroll " + std::to_string(distance)); break;
      case TDataEvent::deRecordChange: Add("link:record"); break;
      case TDataEvent::deFieldChange: Add("link:field " + std::string(field->FieldName().c_str())); break;
      case TDataEvent::deLayoutChange: Add("link:layout"); break;
      case TDataEvent::deCheckBrowseMode:
        if (withCheckNotifications) Add("link:check");
        break;
      case TDataEvent::deUpdateRecord:
        if (withCheckNotifications) Add("link:update");
        break;
      case TDataEvent::deFocusControl: Add("link:focus " + std::string(field->FieldName().c_str())); break;
    }
    TDataLink::DataEvent(event, field, distance);
  }

 private:
  struct Tag {
    EventLog* log;
    std::string name;
  };
  std::deque<Tag> tags_;
};

// A handler that runs a function (for handlers that act, not only record).
template <typename Event, typename... Args>
struct Action {
  std::function<void(Args...)> run;
  Event Bind() {
    return Event::FromFunction([](void* data, Args... args) { static_cast<Action*>(data)->run(args...); }, this);
  }
};
using DataSetAction = Action<TDataSetNotifyEvent, TDataSet*>;
using FieldAction = Action<TFieldNotifyEvent, TField*>;

}  // namespace platform::testing
