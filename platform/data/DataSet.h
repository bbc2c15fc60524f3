// TDataSet: rows with a cursor, fields, states, record events and links.
//
// TDataSet is the engine every data set shares; TClientDataSet
// (ClientDataSet.h) says where the rows come from and adds the change log
// and the provider. The rows a cursor shows are the stored rows that are
// not deleted, that pass the filter, in the order of the active index.
//
// Every command follows one template: check the state, fire Before*, do
// the work, set the state (links hear deUpdateState), notify the links,
// fire After*. The orders, as the class library has them:
//
//   Open      BeforeOpen, [open], state browse, AfterOpen, AfterScroll*
//   Close     BeforeClose, [nested data sets close], state inactive, AfterClose
//   Insert    BeforeInsert, BeforeScroll, state insert, OnNewRecord,
//   Append      deDataSetChange, AfterInsert, AfterScroll
//   Edit      BeforeEdit, state edit, deRecordChange, AfterEdit
//   Post      deUpdateRecord, deCheckBrowseMode, BeforePost, [required
//             fields, store], state browse, deDataSetChange, AfterPost
//   Cancel    deCheckBrowseMode, BeforeCancel, BeforeScroll**, state
//             browse, deDataSetChange, AfterCancel, AfterScroll**
//   Delete    deCheckBrowseMode, BeforeDelete, BeforeScroll, [delete],
//             state browse, deDataSetChange, AfterDelete, AfterScroll
//   First     BeforeScroll, [move], deDataSetChange, AfterScroll
//   Last      (the same)
//   MoveBy    BeforeScroll, [move], deDataSetScroll, AfterScroll***
//   Locate,   BeforeScroll, [search], and when found: deDataSetChange,
//   GotoBookmark AfterScroll
//   * when the data set is not empty; ** when cancelling an insert;
//   *** unless the cursor already stood at the end it moves towards.
//
// Navigation first brings the data set to browse mode (CheckBrowseMode:
// a modified record is posted, an unmodified one cancelled). An exception
// from a Before* handler (EAbort included) stops the command with nothing
// changed; OnPostError, OnEditError and OnDeleteError may retry or abort
// a failed Post, Edit or Delete. When OnNewRecord cancels the new record
// (calls Cancel), Insert ends there: AfterInsert and AfterScroll do not
// run (Cancel has run its own events).
//
// BOF and EOF: Open and First set BOF; Last sets EOF; a move that cannot
// go the whole distance sets EOF (forward) or BOF (backward); any move
// that starts clears both; Append sets EOF and clears BOF; Insert into an
// empty data set sets BOF; Locate and GotoBookmark clear both. Both are
// true only while the data set is empty.
//
// Calculated fields are computed by OnCalcFields (state dsCalcFields)
// whenever a record becomes current, after every write of a data field
// while editing (AutoCalcFields), and for every row read through the row
// window; internally calculated fields are kept with the record and can
// also be written while editing.
//
// Nested data sets (TDataSetField) follow their master: whenever the
// master's current record changes they show its nested rows, from their
// first row, with deDataSetChange and their AfterScroll, before the
// master's AfterScroll; this happens whether or not the master's controls
// are disabled. Before the master posts, scrolls or closes, its nested
// data sets post (or cancel) their own pending record; a master's Cancel
// or Delete cancels theirs. Changing a nested data set does not put the
// master into edit; when the master closes, its nested data sets close,
// and those that were bound to a field open again when the master opens.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

#include "platform/AnsiString.h"
#include "platform/Variant.h"
#include "platform/data/DataPacket.h"
#include "platform/data/DataTypes.h"
#include "platform/data/DatabaseError.h"
#include "platform/data/Field.h"
#include "platform/ui/Component.h"
#include "platform/ui/Event.h"

namespace platform {

class TDataSet;
class TDataLink;
class TDataSetField;
class TRowWindow;

namespace data_detail {
struct StoredRecord;
struct DeltaSource;
class RecordStore;
class FilterExpression;
}  // namespace data_detail

// (DataSet)
using TDataSetNotifyEvent = TEvent<"TDataSetNotifyEvent", TDataSet*>;
// (DataSet, var Accept)
using TFilterRecordEvent = TEvent<"TFilterRecordEvent", TDataSet*, bool&>;
// (DataSet, E, var Action)
using TDataSetErrorEvent = TEvent<"TDataSetErrorEvent", TDataSet*, EDatabaseError&, TDataAction&>;

// A position that can be returned to: names a record, not a row number,
// so it stays valid while rows are added, removed or reordered, and in
// clones of the cursor. A default bookmark names no record.
struct TBookmark {
  std::uint64_t id = 0;
  bool IsEmpty() const { return id == 0; }
  friend bool operator==(const TBookmark&, const TBookmark&) = default;
};

class TDataSet : public TComponent {
  PLATFORM_CLASS(TDataSet)

 public:
  explicit TDataSet(TComponent* owner);
  ~TDataSet() override;

  // --- state ---
  TDataSetState State() const { return state_; }
  bool Active() const { return state_ != TDataSetState::dsInactive; }
  void SetActive(bool active);
  void Open();
  void Close();
  bool IsEmpty() const;
  // True when the data set can be edited (active and not read-only).
  virtual bool CanModify() const;
  // A field was written since the record entered edit or insert.
  bool Modified() const { return modified_; }
  bool AutoCalcFields() const { return autoCalcFields_; }
  void SetAutoCalcFields(bool on) { autoCalcFields_ = on; }

  // --- fields ---
  int FieldCount() const { return static_cast<int>(fields_.size()); }
  TField* Fields(int index) const;  // nullptr out of range
  const std::vector<TField*>& FieldList() const { return fields_; }
  // The field of that name (ASCII case ignored), or nullptr.
  TField* FindField(const AnsiString& name) const;
  // The same; raises "Name: Field 'X' not found".
  TField& FieldByName(const AnsiString& name) const;
  // The field of a 1-based metadata position, or nullptr.
  TField* FieldByNumber(int fieldNo) const;
  // The fields named in a ";"-separated list, in list order (raises for
  // an unknown name).
  std::vector<TField*> GetFieldList(const AnsiString& names) const;
  // The metadata of the open data set (its data columns).
  const std::vector<FieldMeta>& FieldMetas() const;
  // True when the data set made its fields from its metadata.
  bool DefaultFields() const;

  // --- navigation ---
  void First();
  void Last();
  void Next() { MoveBy(1); }
  void Prior() { MoveBy(-1); }
  // Moves by distance rows; the number of rows actually moved (signed).
  int MoveBy(int distance);
  bool Bof() const { return bof_; }
  bool Eof() const { return eof_; }
  // 1-based position of the current record; 0 when there is none, -1
  // while a record is inserted.
  int RecNo() const;
  void SetRecNo(int recNo);
  // Rows the cursor shows (the record being inserted not counted).
  int RecordCount() const;
  TBookmark Bookmark() const;
  TBookmark GetBookmark() const { return Bookmark(); }
  void SetBookmark(const TBookmark& bookmark) { GotoBookmark(bookmark); }
  // Raises "Name: Record not found" for a bookmark of no visible row.
  void GotoBookmark(const TBookmark& bookmark);
  bool BookmarkValid(const TBookmark& bookmark) const;
  // Negative, 0 or positive as a comes before, at or after b in the
  // cursor's order; empty bookmarks come first.
  int CompareBookmarks(const TBookmark& a, const TBookmark& b) const;
  void FreeBookmark(TBookmark& bookmark) { bookmark = TBookmark(); }
  // Moves to the first row whose fields (names joined by ";") equal the
  // values (one value, or a variant array with one per field). Values
  // convert to the field's type first; a value that does not convert
  // matches nothing; Null matches null. Texts match exactly unless the
  // options say otherwise.
  bool Locate(const AnsiString& keyFields, const Variant& keyValues, TLocateOptions options = {});
  // The values of resultFields (";"-joined; an array for several) of the
  // first row Locate would find, without moving; Null when none.
  Variant Lookup(const AnsiString& keyFields, const Variant& keyValues, const AnsiString& resultFields);

  // --- editing ---
  void Append();
  void Insert();
  void Edit();
  void Post();
  void Cancel();
  void Delete();
  // Posts a modified record, cancels an unmodified one.
  void CheckBrowseMode();
  // Asks the links to write their pending edits (deUpdateRecord).
  void UpdateRecord();
  // Sets every data field of the record being edited to null.
  void ClearFields();
  // While constraints are disabled (nesting), Post does not check required
  // fields.
  void DisableConstraints() { ++constraintsDisabled_; }
  void EnableConstraints() {
    if (constraintsDisabled_ > 0) --constraintsDisabled_;
  }
  bool ConstraintsDisabled() const { return constraintsDisabled_ > 0; }

  // --- keys (the fields of the active index) ---
  void SetKey();
  void EditKey();
  // Moves to the first row whose index fields equal the key; false (and
  // no move) when there is none.
  bool GotoKey();
  bool FindKey(const std::vector<Variant>& keyValues);

  // --- filter ---
  // Filter: an expression over the fields, such as
  //   TE001 = 'A01' and (TE003 > 5 or TE004 is null)
  // with = <> < > <= >=, like ('%' any text, '_' one character), in
  // (list), is [not] null, and, or, not, parentheses, 'texts' (quotes
  // doubled inside) and numbers; field names may be written [in brackets].
  // A text ending in "*" matches texts it begins unless
  // FilterOptions.noPartialCompare. A comparison with null is false.
  // OnFilterRecord runs as well; a row shows when both accept it.
  const AnsiString& Filter() const { return filter_; }
  void SetFilter(const AnsiString& filter);
  bool Filtered() const { return filtered_; }
  void SetFiltered(bool on);
  TFilterOptions FilterOptions() const { return filterOptions_; }
  void SetFilterOptions(TFilterOptions options);
  // Re-applies the filter (after OnFilterRecord's rule changed).
  void Refilter();

  // --- controls and links ---
  void DisableControls();
  void EnableControls();
  bool ControlsDisabled() const { return disableCount_ > 0; }
  // Links attach themselves through TDataLink::SetDataSet.
  const std::vector<TDataLink*>& Links() const { return links_; }

  // --- nested data sets ---
  // The field of the master this data set is bound to (nullptr when it is
  // a top-level data set).
  TDataSetField* MasterField() const { return masterField_; }
  TDataSet* MasterDataSet() const;

  // --- events ---
  TDataSetNotifyEvent BeforeOpen, AfterOpen, BeforeClose, AfterClose;
  TDataSetNotifyEvent BeforeInsert, AfterInsert, BeforeEdit, AfterEdit;
  TDataSetNotifyEvent BeforePost, AfterPost, BeforeCancel, AfterCancel;
  TDataSetNotifyEvent BeforeDelete, AfterDelete, BeforeScroll, AfterScroll;
  TDataSetNotifyEvent OnNewRecord, OnCalcFields;
  TFilterRecordEvent OnFilterRecord;
  TDataSetErrorEvent OnPostError, OnEditError, OnDeleteError;

 protected:
  // --- what a concrete data set provides ---
  // Makes the rows available: sets the metadata and the store (OpenWith).
  virtual void InternalOpen() = 0;
  virtual void InternalClose() {}
  // Fetches further rows on demand while the cursor runs past the last
  // fetched row; true when rows were added.
  virtual bool FetchMore() { return false; }
  // Fetches every remaining row (Last, Locate with fetch on demand).
  void FetchAllOnDemand();

  void OpenWith(std::vector<FieldMeta> metas, std::shared_ptr<data_detail::RecordStore> store);
  // Opens on the rows of the master's current record (a nested data set).
  void OpenNested();
  void BindMasterField(TDataSetField* field, bool asClone);
  void CheckActive() const;
  void CheckInactive() const;
  void CheckCanModify() const;
  void SetState(TDataSetState state);
  void NotifyLinks(TDataEvent event, TField* field = nullptr, int distance = 0);
  // The current record moved or changed: recalculate, refresh nested data
  // sets (force: also when their rows are the same, e.g. after reverting).
  void RecordChanged(bool forceDetails = false);
  // The store of the rows and the index and filter settings.
  const std::shared_ptr<data_detail::RecordStore>& Store() const { return store_; }
  // The stored record of the current row (nullptr when none).
  data_detail::StoredRecord* CurrentRecord() const;
  // The nested rows of the current record for a nested field (nullptr
  // when there is no current record).
  std::shared_ptr<data_detail::RecordStore> CurrentNestedStore(const TDataSetField& field) const;
  // Sets the order: index fields, and which of them are descending and
  // compared without case. Unknown names raise.
  struct IndexOrder {
    AnsiString fields, descFields, caseInsFields;
    TIndexOptions options;
    bool operator==(const IndexOrder&) const = default;
  };
  void SetIndexOrder(const IndexOrder& order);
  const IndexOrder& CurrentIndexOrder() const { return index_; }
  // The view needs rebuilding (order or filter settings changed).
  void InvalidateView();
  // Copies the cursor settings of another data set (clones).
  void CopyCursorSettings(const TDataSet& source);
  // The master field has gone: close without events.
  void DropMasterField();

  // Active = True read from a form resource opens the data set when
  // loading ends.
  void Loaded() override;

  bool ReadOnlyFlag() const { return readOnly_; }
  void SetReadOnlyFlag(bool on) { readOnly_ = on; }

 private:
  friend class TField;
  friend class TDataLink;
  friend class TDataSetField;
  friend class TRowWindow;
  friend class TClientDataSet;

  struct Context {
    std::vector<Variant>* data = nullptr;
    std::vector<Variant>* calc = nullptr;
    std::uint64_t recordId = 0;
  };
  class TempState;
  struct IndexKey {
    int slot;
    bool descending;
    bool caseInsensitive;
    bool text;
  };

  // field list
  void AddField(TField* field);
  void RemoveField(TField* field);
  void MoveField(TField* field, int index);
  void BindFields();
  // links
  void AttachLink(TDataLink* link);
  void DetachLink(TDataLink* link);
  // reading and writing through fields
  Context ActiveContext() const;
  const Variant& ReadField(const TField& field) const;
  // Raises when the field cannot be written now (state, kind, read-only).
  void CheckFieldWritable(const TField& field) const;
  Variant OldFieldValue(const TField& field) const;
  void WriteField(TField& field, const Variant& stored);
  void CalculateFields(Context& context);
  // the view
  void EnsureView() const;
  void RebuildView();
  bool Accepts(data_detail::StoredRecord& record);
  int PositionOf(std::uint64_t id) const;
  void SetCurrentPosition(int position);
  std::uint64_t CurrentId() const { return currentId_; }
  std::vector<IndexKey> ResolveIndex() const;
  int CompareRecords(const data_detail::StoredRecord& a, const data_detail::StoredRecord& b,
                     const std::vector<IndexKey>& keys) const;
  int FindMatch(const std::vector<TField*>& fields, const std::vector<Variant>& values, TLocateOptions options);
  // Makes record `at` current after a search (AfterScroll included); false
  // when the search found nothing (at < 0), leaving the cursor where it was.
  bool ScrollToMatch(int at);
  // Forgets the rows, the pending record and the position (closing).
  void DropRows();
  // row window
  int WindowRowCount() const;
  int WindowCurrentRow() const;
  void ReadWindowRow(int row, const std::function<void()>& read);
  TBookmark WindowBookmark(int row) const;
  // commands
  void BeginInsertAppend(bool append);
  void InternalPostRecord();
  void DetailsCheckBrowseMode();
  void DetailsCancel();
  void SyncDetails(bool force);
  void MasterChanged(bool force);
  void CloseDetails();
  void ReopenDetails();
  std::vector<TDataSetField*> NestedFieldsOfList() const;
  void DeactivateSilently();
  template <typename F>
  void CheckOperation(F operation, const TDataSetErrorEvent& handler);

  TDataSetState state_ = TDataSetState::dsInactive;
  bool modified_ = false;
  bool autoCalcFields_ = true;
  bool readOnly_ = false;
  bool bof_ = true;
  bool eof_ = true;
  int constraintsDisabled_ = 0;
  bool streamedActive_ = false;

  std::vector<TField*> fields_;
  std::shared_ptr<const std::vector<FieldMeta>> metas_;
  int internalCalcCount_ = 0;
  int calcCount_ = 0;

  std::shared_ptr<data_detail::RecordStore> store_;
  // The rows the cursor shows, in order; rebuilt when the store's version
  // or the settings change.
  mutable std::vector<data_detail::StoredRecord*> rows_;
  mutable std::uint64_t rowsVersion_ = 0;
  mutable bool viewDirty_ = true;
  mutable bool rebuilding_ = false;
  mutable int position_ = -1;
  std::uint64_t currentId_ = 0;

  // buffers of the record being edited or inserted, and the calculated
  // values of the current record
  std::vector<Variant> editValues_;
  std::uint64_t editId_ = 0;
  std::unique_ptr<data_detail::StoredRecord> pending_;
  std::uint64_t insertBefore_ = 0;
  std::uint64_t idBeforeInsert_ = 0;
  bool appending_ = false;
  std::vector<Variant> calc_;
  std::vector<Variant> keyBuffer_;
  TDataSetState stateBeforeKey_ = TDataSetState::dsBrowse;
  const Context* override_ = nullptr;  // a row read through the row window, filter or calculation

  AnsiString filter_;
  bool filtered_ = false;
  TFilterOptions filterOptions_;
  std::unique_ptr<data_detail::FilterExpression> filterExpression_;
  IndexOrder index_;

  int disableCount_ = 0;
  TDataSetState disableState_ = TDataSetState::dsInactive;
  TDataEvent enableEvent_ = TDataEvent::deDataSetChange;
  std::vector<TDataLink*> links_;

  TDataSetField* masterField_ = nullptr;
  bool cloneBinding_ = false;  // bound as a clone of a nested data set
  std::shared_ptr<data_detail::RecordStore> boundStore_;
  bool closedByMaster_ = false;  // opens again with the master
};

}  // namespace platform
