// Recordset, Fields and Field of the data-access layer: the client-side, fully
// materialised recordsets that Connection::Execute returns, and unconnected in-memory
// recordsets that a caller builds field by field (Fields.Append, Open, AddNew, Update).
// Members carry the names and numbers hosts know from ADO, so late-bound callers use them
// by name; C++ callers use the typed members.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "common/error.h"
#include "common/object.h"
#include "common/value.h"

namespace lema::ado {

// Field types (DataTypeEnum).
inline constexpr int32_t adSmallInt = 2;
inline constexpr int32_t adInteger = 3;
inline constexpr int32_t adSingle = 4;
inline constexpr int32_t adDouble = 5;
inline constexpr int32_t adCurrency = 6;
inline constexpr int32_t adDate = 7;
inline constexpr int32_t adBSTR = 8;
inline constexpr int32_t adBoolean = 11;
inline constexpr int32_t adVariant = 12;
inline constexpr int32_t adDecimal = 14;
inline constexpr int32_t adTinyInt = 16;
inline constexpr int32_t adUnsignedTinyInt = 17;
inline constexpr int32_t adBigInt = 20;
inline constexpr int32_t adChar = 129;
inline constexpr int32_t adWChar = 130;
inline constexpr int32_t adNumeric = 131;
inline constexpr int32_t adDBDate = 133;
inline constexpr int32_t adDBTime = 134;
inline constexpr int32_t adDBTimeStamp = 135;
inline constexpr int32_t adVarChar = 200;
inline constexpr int32_t adLongVarChar = 201;
inline constexpr int32_t adVarWChar = 202;
inline constexpr int32_t adLongVarWChar = 203;
// Field attributes, cursor and lock types, states, cursor locations, command options.
inline constexpr int32_t adFldUnspecified = -1;
inline constexpr int32_t adOpenUnspecified = -1;
inline constexpr int32_t adOpenForwardOnly = 0;
inline constexpr int32_t adOpenStatic = 3;
inline constexpr int32_t adLockUnspecified = -1;
inline constexpr int32_t adLockReadOnly = 1;
inline constexpr int32_t adLockOptimistic = 3;
inline constexpr int32_t adStateClosed = 0;
inline constexpr int32_t adStateOpen = 1;
inline constexpr int32_t adUseServer = 2;
inline constexpr int32_t adUseClient = 3;
inline constexpr int32_t adOptionUnspecified = -1;
inline constexpr int32_t adCmdText = 1;
inline constexpr int32_t adCmdUnknown = 8;
inline constexpr int32_t adExecuteNoRecords = 0x80;

// Error numbers of the data-access layer (the ones hosts know from ADO).
inline constexpr ErrorCode kNoCurrentRecord = static_cast<ErrorCode>(3021);
inline constexpr ErrorCode kNotAllowedInContext = static_cast<ErrorCode>(3219);
inline constexpr ErrorCode kNotUpdatable = static_cast<ErrorCode>(3251);
inline constexpr ErrorCode kItemNotFound = static_cast<ErrorCode>(3265);
inline constexpr ErrorCode kAlreadyInCollection = static_cast<ErrorCode>(3367);
inline constexpr ErrorCode kObjectClosed = static_cast<ErrorCode>(3704);
inline constexpr ErrorCode kObjectOpen = static_cast<ErrorCode>(3705);
inline constexpr ErrorCode kConnectionUnusable = static_cast<ErrorCode>(3709);
inline constexpr ErrorCode kMultipleStep = static_cast<ErrorCode>(-2147217887);

struct FieldInfo {
  std::string name;
  int32_t type = adVariant;
  int32_t defined_size = 0;
  int32_t attributes = adFldUnspecified;
};

// A value assigned to a field of type `type` and defined size `size`, converted as ADO
// does: to text for a text field (refused when longer than the size), to a date for a
// date field (a text through the date-text rules), to the number type for a number field.
// Empty and Null store Null.
Value coerce_field_value(int32_t type, int32_t size, const Value& v);

class Fields;
class Field;
class Connection;

class Recordset final : public Object {
 public:
  static constexpr std::string_view kProgId = "ADODB.Recordset";

  Recordset() = default;
  const ClassInfo& class_info() const override;

  // ---- the ADO surface ---------------------------------------------------------------
  int32_t CursorType = adOpenForwardOnly;
  int32_t LockType = adLockReadOnly;

  Ref<ado::Fields> Fields() const;
  // With every argument omitted: opens the recordset over the fields appended so far,
  // empty and unconnected. With a Source and an open Connection: runs it and holds its rows.
  void Open(const Value& Source = Value::missing(),
            const Value& ActiveConnection = Value::missing(),
            int32_t cursor_type = adOpenUnspecified, int32_t lock_type = adLockUnspecified,
            int32_t Options = adOptionUnspecified);
  void Close();
  int32_t State() const noexcept { return open_ ? adStateOpen : adStateClosed; }
  int32_t RecordCount() const;
  bool IsBOF() const;  // "BOF" by name
  bool IsEOF() const;  // "EOF" by name
  void MoveFirst();
  void MoveNext();
  void AddNew();
  void Update();

  // ---- typed access for C++ callers -------------------------------------------------
  // Value of a field of the current row (raises when there is no current row).
  const Value& value(std::string_view field) const;
  const Value& value(int32_t index) const;
  // Assigns a field of the current row, converted to the field's type.
  void set_value(std::string_view field, const Value& v);
  void set_value(int32_t index, const Value& v);
  // Makes room for `rows` more rows (no change to the recordset's state).
  void reserve_rows(int64_t rows);
  void append_field(FieldInfo info);

  int32_t field_count() const noexcept { return static_cast<int32_t>(fields_.size()); }
  const FieldInfo& field(int32_t index) const;
  // Index of a field by name (ignoring ASCII case), or -1.
  int32_t find_field(std::string_view name) const noexcept;
  // The position of a field; raises when there is none of that name.
  int32_t index_of(std::string_view field) const;
  int64_t row_count() const noexcept { return rows_; }
  const Value& cell(int64_t row, int32_t index) const;
  // Zero-based current row, or -1 at BOF or EOF.
  int64_t position() const noexcept;

  // Fills a closed recordset with the rows of a result (used by Connection::Execute).
  void load(std::vector<FieldInfo> fields, std::vector<Value> cells, int64_t rows);

 private:
  friend class Field;
  void require_open() const;
  void require_current() const;
  void require_updatable() const;

  std::vector<FieldInfo> fields_;
  std::vector<Value> cells_;  // row-major
  int64_t rows_ = 0;
  int64_t pos_ = 0;  // rows_ means EOF; -1 means BOF
  bool open_ = false;
  bool editing_ = false;
};

// The Fields collection of a recordset.
class Fields final : public Object {
 public:
  static constexpr std::string_view kProgId = "ADODB.Fields";

  explicit Fields(Ref<Recordset> rs) : rs_(std::move(rs)) {}
  const ClassInfo& class_info() const override;

  // By zero-based ordinal or by name.
  Ref<ado::Field> Item(const Value& Index);
  int32_t Count() const noexcept { return rs_->field_count(); }
  void Append(const std::string& Name, int32_t Type, int32_t DefinedSize = 0,
              int32_t Attrib = adFldUnspecified);

 private:
  Ref<Recordset> rs_;
};

// One field of a recordset; its Value is the field's value in the current row.
class Field final : public Object {
 public:
  static constexpr std::string_view kProgId = "ADODB.Field";

  Field(Ref<Recordset> rs, int32_t index) : rs_(std::move(rs)), index_(index) {}
  const ClassInfo& class_info() const override;

  std::string Name() const { return rs_->field(index_).name; }
  int32_t Type() const { return rs_->field(index_).type; }
  int32_t DefinedSize() const { return rs_->field(index_).defined_size; }
  int32_t Attributes() const { return rs_->field(index_).attributes; }
  lema::Value value() const { return rs_->value(index_); }  // "Value" by name
  void let_value(const lema::Value& v) { rs_->set_value(index_, v); }

 private:
  Ref<Recordset> rs_;
  int32_t index_;
};

}  // namespace lema::ado
