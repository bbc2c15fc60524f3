#include "platform/data/LocalProvider.h"

#include <algorithm>

#include "platform/data/DatabaseError.h"
#include "platform/ui/ClassBuilder.h"

namespace platform {

namespace {

constexpr std::int32_t kNotFound = 1;
constexpr std::int32_t kKeyViolation = 2;
constexpr std::int32_t kRequired = 3;
constexpr std::int32_t kRefused = 4;

// Positions of the delta's fields among the stored fields, checked by name
// on every level before anything is written.
struct FieldMap {
  std::vector<int> positions;          // per delta field
  std::vector<FieldMap> nested;        // per nested delta field (ordinal k)
  std::vector<int> nestedStoreOrdinal;  // per nested delta field: ordinal among the stored nested fields
};

FieldMap MapFields(const std::vector<FieldMeta>& delta, const std::vector<FieldMeta>& stored, const AnsiString& provider) {
  FieldMap map;
  std::vector<int> storedNested = NestedFieldPositions(stored);
  for (const FieldMeta& f : delta) {
    int at = FindFieldMeta(stored, f.name);
    if (at < 0 || (stored[static_cast<std::size_t>(at)].type == ftDataSet) != (f.type == ftDataSet))
      throw EDataPacketError("Field '" + f.name + "' is not a field of provider '" + provider + "'");
    map.positions.push_back(at);
    if (f.type == ftDataSet) {
      map.nested.push_back(MapFields(f.nested, stored[static_cast<std::size_t>(at)].nested, provider));
      auto ordinal = std::find(storedNested.begin(), storedNested.end(), at) - storedNested.begin();
      map.nestedStoreOrdinal.push_back(static_cast<int>(ordinal));
    }
  }
  return map;
}

std::vector<int> KeyPositions(const std::vector<FieldMeta>& fields) {
  std::vector<int> keys;
  for (std::size_t i = 0; i < fields.size(); ++i)
    if (fields[i].Has(mfKey)) keys.push_back(static_cast<int>(i));
  if (keys.empty())
    for (std::size_t i = 0; i < fields.size(); ++i)
      if (fields[i].type != ftDataSet) keys.push_back(static_cast<int>(i));
  return keys;
}

AnsiString KeyText(const std::vector<FieldMeta>& fields, const std::vector<int>& keys, const std::vector<Variant>& values) {
  AnsiString text;
  for (int k : keys) {
    if (!text.IsEmpty()) text += ", ";
    text += fields[static_cast<std::size_t>(k)].name + " = " + VarToStr(values[static_cast<std::size_t>(k)]);
  }
  return text;
}

}  // namespace

struct TLocalProvider::ApplyRun {
  const AnsiString& provider;
  const RowCheck& check;
  int maxErrors;
  std::vector<ReconcileError> errors;
  bool stopped = false;

  // Refuses a row; true when the apply has to stop.
  void Refuse(const std::vector<int>& path, AnsiString message, TUpdateKind kind, std::int32_t code) {
    errors.push_back({path, std::move(message), provider + ": " + UpdateKindName(kind), code, 0});
    if (maxErrors >= 0 && static_cast<int>(errors.size()) > maxErrors) stopped = true;
  }

  // The delta row's values laid out like the stored fields.
  static std::vector<Variant> Stored(const FieldMap& map, const std::vector<FieldMeta>& stored,
                                     const std::vector<Variant>& values) {
    std::vector<Variant> out(stored.size(), Null());
    for (std::size_t j = 0; j < map.positions.size() && j < values.size(); ++j)
      if (stored[static_cast<std::size_t>(map.positions[j])].type != ftDataSet)
        out[static_cast<std::size_t>(map.positions[j])] = values[j];
    return out;
  }

  static int FindRow(const std::vector<FieldMeta>& stored, const std::vector<DataRow>& table,
                     const std::vector<Variant>& values, bool withFlag) {
    std::vector<int> keys = KeyPositions(stored);
    int flag = withFlag ? FindFieldMeta(stored, "FLAG") : -1;
    for (std::size_t r = 0; r < table.size(); ++r) {
      bool same = true;
      for (int k : keys) same = same && table[r].values[static_cast<std::size_t>(k)] == values[static_cast<std::size_t>(k)];
      if (same && flag >= 0) same = table[r].values[static_cast<std::size_t>(flag)] == values[static_cast<std::size_t>(flag)];
      if (same) return static_cast<int>(r);
    }
    return -1;
  }

  bool MissingRequired(const std::vector<FieldMeta>& stored, const std::vector<Variant>& values,
                       const std::vector<int>& path, TUpdateKind kind) {
    for (std::size_t i = 0; i < stored.size(); ++i)
      if (stored[i].Has(mfRequired) && stored[i].type != ftDataSet && VarIsNull(values[i])) {
        Refuse(path, "Field '" + stored[i].name + "' must have a value", kind, kRequired);
        return true;
      }
    return false;
  }

  void Level(const std::vector<FieldMeta>& stored, std::vector<DataRow>& table, const FieldMap& map,
             const std::vector<DeltaRow>& rows, const std::vector<int>& prefix) {
    for (std::size_t i = 0; i < rows.size() && !stopped; ++i) {
      const DeltaRow& row = rows[i];
      std::vector<int> path = prefix;
      path.push_back(static_cast<int>(i));
      if (check) {
        if (auto message = check(provider, row, path)) {
          Refuse(path, *message, row.kind, kRefused);
          continue;
        }
      }
      switch (row.kind) {
        case TUpdateKind::ukInsert: {
          std::vector<Variant> values = Stored(map, stored, row.current);
          if (FindRow(stored, table, values, false) >= 0) {
            Refuse(path, "Key violation: " + KeyText(stored, KeyPositions(stored), values), row.kind, kKeyViolation);
            continue;
          }
          if (MissingRequired(stored, values, path, row.kind)) continue;
          DataRow added;
          added.values = std::move(values);
          for (int p : NestedFieldPositions(stored)) {
            added.values[static_cast<std::size_t>(p)] = Variant();
            added.nested.emplace_back();
          }
          table.push_back(std::move(added));
          Nested(stored, table.size() - 1, table, map, row, path);
          break;
        }
        case TUpdateKind::ukModify: {
          int at = FindRow(stored, table, Stored(map, stored, row.original), true);
          if (at < 0) {
            Refuse(path, "Record not found or changed by another user", row.kind, kNotFound);
            continue;
          }
          if (row.ChangesItself()) {
            std::vector<Variant> values = table[static_cast<std::size_t>(at)].values;
            for (std::size_t j = 0; j < map.positions.size() && j < row.current.size(); ++j)
              if (row.changed[j] && stored[static_cast<std::size_t>(map.positions[j])].type != ftDataSet)
                values[static_cast<std::size_t>(map.positions[j])] = row.current[j];
            if (MissingRequired(stored, values, path, row.kind)) continue;
            int other = FindRow(stored, table, values, false);
            if (other >= 0 && other != at) {
              Refuse(path, "Key violation: " + KeyText(stored, KeyPositions(stored), values), row.kind, kKeyViolation);
              continue;
            }
            table[static_cast<std::size_t>(at)].values = std::move(values);
          }
          Nested(stored, static_cast<std::size_t>(at), table, map, row, path);
          break;
        }
        case TUpdateKind::ukDelete: {
          int at = FindRow(stored, table, Stored(map, stored, row.original), true);
          if (at < 0) {
            Refuse(path, "Record not found or changed by another user", row.kind, kNotFound);
            continue;
          }
          std::size_t before = errors.size();
          Nested(stored, static_cast<std::size_t>(at), table, map, row, path);
          // A detail row that could not be deleted keeps its header.
          if (stopped) break;
          if (errors.size() == before) table.erase(table.begin() + at);
          else Refuse(path, "The detail rows of the record could not be deleted", row.kind, kRefused);
          break;
        }
      }
    }
  }

  void Nested(const std::vector<FieldMeta>& stored, std::size_t at, std::vector<DataRow>& table, const FieldMap& map,
              const DeltaRow& row, const std::vector<int>& path) {
    std::vector<int> positions = NestedFieldPositions(stored);
    for (std::size_t k = 0; k < row.nested.size() && k < map.nested.size() && !stopped; ++k) {
      auto ordinal = static_cast<std::size_t>(map.nestedStoreOrdinal[k]);
      const auto& meta = stored[static_cast<std::size_t>(positions[ordinal])].nested;
      std::vector<int> prefix = path;
      prefix.push_back(static_cast<int>(k));
      Level(meta, table[at].nested[ordinal], map.nested[k], row.nested[k], prefix);
    }
  }
};

const TClassInfo& TLocalProvider::StaticClass() {
  static const TClassInfo info = TClassBuilder<TLocalProvider>("TLocalProvider", TCustomRemoteServer::StaticClass()).Build();
  return info;
}
PLATFORM_REGISTER_CLASS(TLocalProvider);

TLocalProvider::Provider& TLocalProvider::Get(const AnsiString& name) {
  auto it = providers_.find(UpperCase(name));
  if (it == providers_.end()) throw EDatabaseError("Provider '" + name + "' not found");
  return it->second;
}

const TLocalProvider::Provider& TLocalProvider::Get(const AnsiString& name) const {
  auto it = providers_.find(UpperCase(name));
  if (it == providers_.end()) throw EDatabaseError("Provider '" + name + "' not found");
  return it->second;
}

void TLocalProvider::AddProvider(const AnsiString& name, std::vector<FieldMeta> fields, std::vector<DataRow> rows) {
  for (const DataRow& r : rows) CheckRowShape(fields, r);
  Provider p;
  p.name = name;
  p.fields = std::move(fields);
  p.rows = std::move(rows);
  providers_[UpperCase(name)] = std::move(p);
}

bool TLocalProvider::HasProvider(const AnsiString& name) const { return providers_.count(UpperCase(name)) != 0; }
const std::vector<FieldMeta>& TLocalProvider::Fields(const AnsiString& name) const { return Get(name).fields; }
const std::vector<DataRow>& TLocalProvider::Rows(const AnsiString& name) const { return Get(name).rows; }
std::vector<DataRow>& TLocalProvider::Rows(const AnsiString& name) { return Get(name).rows; }
void TLocalProvider::SetRowSelector(const AnsiString& name, RowSelector selector) { Get(name).selector = std::move(selector); }
const std::vector<ProviderRequest>& TLocalProvider::Requests(const AnsiString& name) const { return Get(name).requests; }
const std::vector<Delta>& TLocalProvider::AppliedDeltas(const AnsiString& name) const { return Get(name).deltas; }

DataPacket TLocalProvider::Packet(const Provider& p, int from, int count, bool withFields) const {
  DataPacket packet;
  if (withFields) packet.fields = p.fields;
  int total = static_cast<int>(p.selection.size());
  from = std::clamp(from, 0, total);
  int end = count < 0 ? total : std::min(total, from + count);
  packet.rows.assign(p.selection.begin() + from, p.selection.begin() + end);
  packet.moreRows = end < total;
  return packet;
}

DataPacket TLocalProvider::OpenProvider(const AnsiString& provider, const ProviderRequest& request) {
  Provider& p = Get(provider);
  p.requests.push_back(request);
  p.selection = p.selector ? p.selector(request, p.rows) : p.rows;
  for (const DataRow& r : p.selection) CheckRowShape(p.fields, r);
  return Packet(p, 0, request.packetRecords, true);
}

DataPacket TLocalProvider::NextPacket(const AnsiString& provider, const ProviderRequest& request) {
  Provider& p = Get(provider);
  p.requests.push_back(request);
  return Packet(p, request.rowsFetched, request.packetRecords, false);
}

ReconcileAnswer TLocalProvider::ApplyDelta(const AnsiString& provider, const Delta& delta, int maxErrors) {
  Provider& p = Get(provider);
  FieldMap map = MapFields(delta.fields, p.fields, p.name);
  for (const DeltaRow& r : delta.rows) CheckDeltaRowShape(delta.fields, r);
  p.deltas.push_back(delta);
  std::vector<DataRow> work = p.rows;
  ApplyRun run{p.name, check_, maxErrors, {}, false};
  run.Level(p.fields, work, map, delta.rows, {});
  ReconcileAnswer answer;
  answer.errors = std::move(run.errors);
  answer.rolledBack = run.stopped;
  if (!answer.rolledBack) p.rows = std::move(work);
  return answer;
}

int TLocalProvider::RecordCount(const AnsiString& provider) { return static_cast<int>(Get(provider).selection.size()); }

}  // namespace platform
