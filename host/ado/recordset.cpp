#include "host/ado/recordset.h"

#include <cmath>

#include "automation/binder.h"
#include "automation/class_info.h"
#include "common/text.h"
#include "host/ado/connection.h"
#include "host/date_text_converter.h"

namespace lema::ado {
namespace {

bool is_text_type(int32_t t) noexcept {
  switch (t) {
    case adBSTR:
    case adChar:
    case adWChar:
    case adVarChar:
    case adLongVarChar:
    case adVarWChar:
    case adLongVarWChar:
      return true;
    default:
      return false;
  }
}

bool is_supported_type(int32_t t) noexcept {
  switch (t) {
    case adSmallInt:
    case adInteger:
    case adSingle:
    case adDouble:
    case adCurrency:
    case adDate:
    case adBoolean:
    case adVariant:
    case adDecimal:
    case adTinyInt:
    case adUnsignedTinyInt:
    case adBigInt:
    case adNumeric:
    case adDBDate:
    case adDBTime:
    case adDBTimeStamp:
      return true;
    default:
      return is_text_type(t);
  }
}

Date to_field_date(const Value& v) {
  if (v.is_string()) {
    auto d = host::parse_date_text(v.as_string());
    if (!d) raise(ErrorCode::TypeMismatch, "Type mismatch");
    return *d;
  }
  return to_date(v);
}

[[noreturn]] void closed() {
  raise(kObjectClosed, "Operation is not allowed when the object is closed.");
}

}  // namespace

Value coerce_field_value(int32_t type, int32_t size, const Value& v) {
  if (v.is_empty() || v.is_null()) return Value::null();
  if (v.is_missing() || v.is_object() || v.is_array())
    raise(ErrorCode::TypeMismatch, "Type mismatch");
  if (is_text_type(type)) {
    std::string text = to_text(v);
    const bool bounded = type != adLongVarChar && type != adLongVarWChar && type != adBSTR;
    if (bounded && size > 0 && utf8_length(text) > static_cast<size_t>(size))
      raise(kMultipleStep, "Multiple-step operation generated errors. Check each status value.");
    return Value(std::move(text));
  }
  switch (type) {
    case adSmallInt:
    case adTinyInt:
    case adUnsignedTinyInt:
      return Value(to_integer(v));
    case adInteger:
      return Value(to_long(v));
    case adBigInt: {
      double d = std::nearbyint(to_double(v));
      if (d >= -2147483648.0 && d <= 2147483647.0) return Value(static_cast<int32_t>(d));
      if (std::fabs(d) >= 9.2e18) raise(ErrorCode::Overflow, "Overflow");
      return Value(Decimal::from_integer(static_cast<int64_t>(d)));
    }
    case adSingle:
    case adDouble:
      return Value(to_double(v));
    case adCurrency:
    case adDecimal:
    case adNumeric:
      return Value(to_decimal(v));
    case adBoolean:
      return Value(to_boolean(v));
    case adDBDate: {
      Date d = to_field_date(v);
      d.seconds = 0;  // a date field holds no time of day
      return Value(d);
    }
    case adDate:
    case adDBTime:
    case adDBTimeStamp:
      return Value(to_field_date(v));
    default:
      return v;  // adVariant
  }
}

// ---- Recordset -------------------------------------------------------------------------

const ClassInfo& Recordset::class_info() const {
  using R = Recordset;
  using namespace bind;
  static const ClassInfo info(
      kProgId, {
                   getter<&R::Fields>("Fields"),
                   getter<&R::IsEOF>("EOF"),
                   getter<&R::IsBOF>("BOF"),
                   getter<&R::RecordCount>("RecordCount"),
                   method<&R::MoveFirst>("MoveFirst"),
                   method<&R::MoveNext>("MoveNext"),
                   method<&R::AddNew>("AddNew"),
                   method<&R::Update>("Update"),
                   method<&R::Close>("Close"),
                   method<&R::Open>("Open", {opt("Source"), opt("ActiveConnection"),
                                             opt("CursorType", Value(adOpenUnspecified)),
                                             opt("LockType", Value(adLockUnspecified)),
                                             opt("Options", Value(adOptionUnspecified))}),
                   getter<&R::State>("State"),
                   bind::field<&R::CursorType>("CursorType", access::GL),
                   bind::field<&R::LockType>("LockType", access::GL),
               });
  return info;
}

Ref<Fields> Recordset::Fields() const {
  return make_object<ado::Fields>(Ref<Recordset>(const_cast<Recordset*>(this)));
}

void Recordset::Open(const Value& Source, const Value& ActiveConnection, int32_t cursor_type,
                     int32_t lock_type, int32_t Options) {
  if (open_) raise(kObjectOpen, "Operation is not allowed when the object is open.");
  if (cursor_type != adOpenUnspecified) CursorType = cursor_type;
  if (lock_type != adLockUnspecified) LockType = lock_type;
  if (Source.is_missing()) {
    if (!ActiveConnection.is_missing() &&
        !(ActiveConnection.is_object() && !ActiveConnection.as_object()))
      raise(ErrorCode::InvalidProcedureCall, "A recordset without a source takes no connection.");
    if (fields_.empty()) raise(kNotAllowedInContext, "Operation is not allowed in this context.");
    cells_.clear();
    rows_ = 0;
    pos_ = 0;
    editing_ = false;
    open_ = true;
    return;
  }
  auto* connection = ActiveConnection.is_object()
                         ? dynamic_cast<Connection*>(ActiveConnection.as_object().get())
                         : nullptr;
  if (!connection)
    raise(kConnectionUnusable, "The connection cannot be used to perform this operation.");
  Ref<Recordset> result = connection->Execute(to_string_param(Source), nullptr, Options);
  if (!result->open_) raise(kNotAllowedInContext, "The command returned no rows.");
  fields_ = std::move(result->fields_);
  cells_ = std::move(result->cells_);
  rows_ = result->rows_;
  pos_ = 0;
  editing_ = false;
  open_ = true;
}

void Recordset::load(std::vector<FieldInfo> fields, std::vector<Value> cells, int64_t rows) {
  fields_ = std::move(fields);
  cells_ = std::move(cells);
  rows_ = rows;
  pos_ = 0;
  editing_ = false;
  open_ = true;
  CursorType = adOpenStatic;
  LockType = adLockReadOnly;
}

void Recordset::Close() {
  require_open();
  cells_.clear();
  rows_ = 0;
  pos_ = 0;
  editing_ = false;
  open_ = false;
}

void Recordset::require_open() const {
  if (!open_) closed();
}

void Recordset::require_current() const {
  require_open();
  if (pos_ < 0 || pos_ >= rows_)
    raise(kNoCurrentRecord, "Either BOF or EOF is True, or the current record has been deleted.");
}

void Recordset::require_updatable() const {
  require_open();
  if (LockType == adLockReadOnly)
    raise(kNotUpdatable, "Current Recordset does not support updating.");
}

int32_t Recordset::RecordCount() const {
  require_open();
  return static_cast<int32_t>(rows_);
}

bool Recordset::IsBOF() const {
  require_open();
  return rows_ == 0 || pos_ < 0;
}

bool Recordset::IsEOF() const {
  require_open();
  return rows_ == 0 || pos_ >= rows_;
}

int64_t Recordset::position() const noexcept {
  return open_ && pos_ >= 0 && pos_ < rows_ ? pos_ : -1;
}

void Recordset::MoveFirst() {
  require_open();
  if (rows_ == 0)
    raise(kNoCurrentRecord, "Either BOF or EOF is True, or the current record has been deleted.");
  editing_ = false;
  pos_ = 0;
}

void Recordset::MoveNext() {
  if (IsEOF())
    raise(kNoCurrentRecord, "Either BOF or EOF is True, or the current record has been deleted.");
  editing_ = false;
  ++pos_;
}

void Recordset::AddNew() {
  require_updatable();
  cells_.resize(cells_.size() + fields_.size(), Value::null());
  pos_ = rows_++;
  editing_ = true;
}

void Recordset::reserve_rows(int64_t rows) {
  if (rows > 0) cells_.reserve(cells_.size() + static_cast<size_t>(rows) * fields_.size());
}

void Recordset::Update() {
  require_updatable();
  if (editing_) require_current();
  editing_ = false;
}

int32_t Recordset::find_field(std::string_view name) const noexcept {
  for (size_t i = 0; i < fields_.size(); ++i)
    if (iequals_ascii(fields_[i].name, name)) return static_cast<int32_t>(i);
  return -1;
}

int32_t Recordset::index_of(std::string_view name) const {
  int32_t i = find_field(name);
  if (i < 0)
    raise(kItemNotFound,
          "Item cannot be found in the collection corresponding to the requested name or ordinal.");
  return i;
}

const FieldInfo& Recordset::field(int32_t index) const {
  if (index < 0 || index >= field_count())
    raise(kItemNotFound,
          "Item cannot be found in the collection corresponding to the requested name or ordinal.");
  return fields_[static_cast<size_t>(index)];
}

const Value& Recordset::cell(int64_t row, int32_t index) const {
  field(index);
  if (row < 0 || row >= rows_) raise(ErrorCode::SubscriptOutOfRange, "Subscript out of range");
  return cells_[static_cast<size_t>(row) * fields_.size() + static_cast<size_t>(index)];
}

const Value& Recordset::value(int32_t index) const {
  field(index);
  require_current();
  return cell(pos_, index);
}

const Value& Recordset::value(std::string_view name) const {
  return value(index_of(name));
}

void Recordset::set_value(int32_t index, const Value& v) {
  const FieldInfo& f = field(index);
  require_updatable();
  require_current();
  Value converted = coerce_field_value(f.type, f.defined_size, v);
  cells_[static_cast<size_t>(pos_) * fields_.size() + static_cast<size_t>(index)] =
      std::move(converted);
  editing_ = true;
}

void Recordset::set_value(std::string_view name, const Value& v) {
  set_value(index_of(name), v);
}

void Recordset::append_field(FieldInfo info) {
  if (open_) raise(kNotAllowedInContext, "Operation is not allowed in this context.");
  if (info.name.empty() || !is_supported_type(info.type) || info.defined_size < 0)
    raise(ErrorCode::DataAccess,
          "Arguments are of the wrong type, are out of acceptable range, or are in conflict with "
          "one another.");
  if (find_field(info.name) >= 0)
    raise(kAlreadyInCollection, "Object is already in collection. Cannot append.");
  fields_.push_back(std::move(info));
}

// ---- Fields and Field --------------------------------------------------------------------

const ClassInfo& Fields::class_info() const {
  using namespace bind;
  static const ClassInfo info(
      kProgId, {method<&Fields::Item>("Item", {req("Index")}), getter<&Fields::Count>("Count"),
                method<&Fields::Append>(
                    "Append", {req("Name"), req("Type"), opt("DefinedSize", Value(int32_t{0})),
                               opt("Attrib", Value(adFldUnspecified))})});
  return info;
}

Ref<Field> Fields::Item(const Value& Index) {
  int32_t i;
  if (Index.is_string()) {
    i = rs_->find_field(Index.as_string());
    if (i < 0)
      raise(
          kItemNotFound,
          "Item cannot be found in the collection corresponding to the requested name or ordinal.");
  } else {
    i = to_long(Index);
    rs_->field(i);
  }
  return make_object<Field>(rs_, i);
}

void Fields::Append(const std::string& Name, int32_t Type, int32_t DefinedSize, int32_t Attrib) {
  rs_->append_field(FieldInfo{Name, Type, DefinedSize, Attrib});
}

const ClassInfo& Field::class_info() const {
  using namespace bind;
  static const ClassInfo info(
      kProgId,
      {getter<&Field::Name>("Name"), getter<&Field::Type>("Type"),
       getter<&Field::DefinedSize>("DefinedSize"), getter<&Field::Attributes>("Attributes"),
       property<&Field::value, &Field::let_value>("Value", access::GL)});
  return info;
}

}  // namespace lema::ado
