// Data-set event chaining: suspending and restoring a data set's record
// events, the save counter FLAG, the apply step built on them, and the
// neutral values of null fields.
//
// The data modules hook handlers into every record event of their client
// data sets. Some framework steps must change records without those
// handlers running: the save counter is finalised just before changes are
// sent, empty numeric fields are filled with zero. The record events are
// reached by their published names, so exactly the ten events below go
// silent, whatever handlers the data module wired.
//
// The save counter FLAG (an integer, read and written as its text) counts
// the saves of a record modulo 1000. While a change is pending locally it
// is negative; NormalizeFlags makes it positive just before the change is
// sent. A new record gets -1; a record entering edit with a counter f that
// is not negative gets PendingFlag(f); a record already pending keeps its
// value. So a new record reaches the server with 1, each later save adds 1
// and the save after 999 stores 0.
#pragma once

#include <array>

#include "platform/AnsiString.h"
#include "platform/ui/Event.h"

namespace platform {
class TDataSet;
class TClientDataSet;
class TDataSource;
}  // namespace platform

namespace kv {

class TBrokers;

// The ten record events, in the order they are saved.
inline constexpr std::array<const char*, 10> kRecordEventNames = {
    "AfterEdit",    "AfterInsert", "AfterOpen",  "AfterPost",    "BeforeEdit",
    "BeforeInsert", "BeforeOpen",  "BeforePost", "BeforeScroll", "AfterScroll"};

// A saved event set: one handler value per name of kRecordEventNames.
struct TDataSetEvents {
  std::array<platform::TMethod, 10> Handlers{};
};

// Saves the ten record events of the data set and clears them.
void SuspendDataSetEvents(platform::TDataSet& dataSet, TDataSetEvents& saved);
// Puts the saved events back.
void RestoreDataSetEvents(platform::TDataSet& dataSet, const TDataSetEvents& saved);

// The ten record events of a data set and, when given, OnDataChange and
// OnStateChange of its data source.
struct TSuspendedEvents {
  TDataSetEvents DataSet;
  platform::TMethod OnDataChange;
  platform::TMethod OnStateChange;
};
void SuspendEvents(platform::TDataSet& dataSet, platform::TDataSource* dataSource, TSuspendedEvents& saved);
void RestoreEvents(platform::TDataSet& dataSet, platform::TDataSource* dataSource, const TSuspendedEvents& saved);

// Suspends for its lifetime: the events come back however the scope is
// left.
class TEventSuspension {
 public:
  explicit TEventSuspension(platform::TDataSet& dataSet, platform::TDataSource* dataSource = nullptr);
  ~TEventSuspension();
  TEventSuspension(const TEventSuspension&) = delete;
  TEventSuspension& operator=(const TEventSuspension&) = delete;

 private:
  platform::TDataSet& dataSet_;
  platform::TDataSource* dataSource_;
  TSuspendedEvents saved_;
};

// The counter a record entering edit gets: -(f + 1) for f = 0..998, and
// -1000 for 999, which stays negative while pending and is stored as 0. A
// counter already negative is returned unchanged.
int PendingFlag(int flag);
// The counter sent to the server for a pending one: its magnitude modulo
// 1000. A counter that is not negative is returned unchanged.
int FinalFlag(int flag);

// Makes the negative FLAG values of the data set positive, with the ten
// record events silent, and first those of the data sets nested in its
// records. A nested data set with all set is walked from its last record
// to its first; otherwise only the current record is finalised. A record
// being edited or inserted gets its counter in place and stays in its
// state (its own post runs its events). Nothing for a null data set or one
// without a FLAG field. Always true.
bool NormalizeFlags(platform::TDataSet* dataSet, bool all);

// Finalises the counters, posts a record being edited or inserted and
// sends every pending change with a maximum error count of 0 (a refused
// row rolls the whole apply back and every change stays pending). True
// when the server refused nothing. An exception from sending is written to
// the alert log ("Class knlRadical-311", kind "D") and raised again.
bool ApplyDataSet(TBrokers* brokers, platform::TClientDataSet* dataSet);

// Gives every null data field of the record being edited its neutral
// value, without running its validate and change handlers: a text field
// the empty text, a small-integer, integer or floating-point field 0;
// other types stay null. Nothing for a null data set or one that is not
// in edit or insert state.
void FillNullDefaults(platform::TDataSet* dataSet);

}  // namespace kv
