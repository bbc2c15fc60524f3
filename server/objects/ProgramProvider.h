// ProgramProvider: the provider "pvdMain" of a program, built from its
// settings: M11_TABLE / M11_KEY / M11_SELECT for the header rows and
// D11_TABLE / D11_KEY for the detail rows, which travel nested in each
// header row as the data-set field named by D11_NAME ("qryBody" when not
// set).
//
// Opening: the request's params are [where, order]; where "" or "All"
// means no condition. The query is M11_SELECT with the where text added
// (as its WHERE, or ANDed to its own) and ordered by the order text
// completed with the key fields; it runs in the sandbox (the where and
// order texts are the client's). Packets hold MAX_RECORD rows (1..40,
// whatever the request asks); the next packet re-runs the query and
// continues after the row with the request's last key. The count of the
// opening is kept for GetRecCount; SetTopRow limits both.
//
// Detail rows belong to a header row when they agree on the header's key
// fields that the detail table also has (none: no detail rows).
//
// Apply: the delta's fields are checked against the provider's metadata
// before anything is written; then every row is written in one
// transaction, deletes children first and inserts parents first. Updates
// and deletes find their row by the original key and the original FLAG;
// no row found refuses the row as changed by another user. Each written
// row advances FLAG and stamps MODIFIER / MODI_DATE unless the client set
// them. With numbering on (SetIsSeq) an inserted header gets the next
// number of its last key field. Rows are refused by the user's program
// rights (add, edit, delete) and when a text is longer than its field.
//
// "pvdColor" is opened with the same requests and answers, per header
// row, its key fields and one text column per enabled component of the
// "head" section of the program's colour definition (ADMNH.NH003 of the
// program, when the company has that table), named like the component, and
// nested as "qryBodyColor" the detail key fields with the "body"
// components. A column holds the style text of the first condition of its
// component that holds for the row ("bkcolor=<n>;colorx=<n>;[bold=Y;]
// [italic=Y;][msg=<text>;]"), "" when none does. Conditions are SQL of the
// company's data; they run in the sandbox like the client's texts.
#pragma once

#include <vector>

#include "platform/data/DataPacket.h"
#include "platform/data/ProviderConnection.h"
#include "server/objects/ServerSession.h"
#include "server/storage/TableDef.h"

namespace server {

class ProgramProvider : public platform::IProviderConnection {
 public:
  // colours: the provider "pvdColor" (see below) instead of "pvdMain".
  explicit ProgramProvider(ServerSession& session, bool colours = false) : session_(session), colours_(colours) {}

  platform::DataPacket OpenProvider(const platform::AnsiString& provider,
                                    const platform::ProviderRequest& request) override;
  platform::DataPacket NextPacket(const platform::AnsiString& provider,
                                  const platform::ProviderRequest& request) override;
  platform::ReconcileAnswer ApplyDelta(const platform::AnsiString& provider, const platform::Delta& delta,
                                       int maxErrors) override;
  int RecordCount(const platform::AnsiString& provider) override;

  // A result column of the header query and where its definition comes from.
  struct Column {
    std::string name;
    const storage::ColumnDef* def = nullptr;  // the declared column it shows
    bool stored = false;                      // a column of M11_TABLE itself
  };

 private:
  struct Shape {
    const storage::TableDef* master = nullptr;
    const storage::TableDef* detail = nullptr;
    std::vector<std::string> masterKey;
    std::vector<std::string> detailKey;
    std::vector<std::string> links;  // master key fields the detail table has
    std::vector<Column> columns;
    std::string nestedName;
    std::vector<platform::FieldMeta> fields;
    std::string select;        // the header statement (module dialect)
    std::string detailSelect;  // pvdColor: the detail statement, before its WHERE
  };
  Shape BuildShape();
  std::string QueryText(const Shape& shape, const platform::Variant& params, bool forCount) const;
  platform::DataPacket Packet(const platform::ProviderRequest& request, bool first);
  std::vector<platform::DataRow> DetailRows(const Shape& shape, const storage::Result& header, std::size_t row);

  ServerSession& session_;
  bool colours_ = false;
};

}  // namespace server
