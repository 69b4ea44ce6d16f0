// Unconnected in-memory recordsets: fields, filling, positions and value conversions.
#include "host/ado/recordset.h"

#include <gtest/gtest.h>

#include "automation/class_info.h"
#include "common/error.h"
#include "common/text.h"

namespace lema::ado {
namespace {

ErrorCode code_of(const std::function<void()>& f) {
  try {
    f();
  } catch (const Error& e) {
    return e.code();
  }
  return ErrorCode{0};
}

Ref<Recordset> list_of(std::initializer_list<FieldInfo> fields) {
  auto rs = make_object<Recordset>();
  for (const FieldInfo& f : fields) rs->append_field(f);
  rs->LockType = adLockOptimistic;
  rs->Open();
  return rs;
}

TEST(InMemoryRecordset, FillsRowByRowAndStaysOnTheRowAdded) {
  auto rs = list_of({{"CODE", adVarWChar, 7}, {"N", adInteger, 0}});
  EXPECT_EQ(rs->RecordCount(), 0);
  EXPECT_TRUE(rs->IsBOF());
  EXPECT_TRUE(rs->IsEOF());
  for (int i = 1; i <= 3; ++i) {
    rs->AddNew();
    rs->set_value("CODE", Value("C" + std::to_string(i)));
    rs->set_value("N", Value(int32_t{i}));
    rs->Update();
  }
  EXPECT_EQ(rs->RecordCount(), 3);
  EXPECT_EQ(rs->position(), 2);
  EXPECT_EQ(rs->value("code"), Value("C3"));
  EXPECT_FALSE(rs->IsEOF());
  rs->MoveFirst();
  EXPECT_EQ(rs->value(0), Value("C1"));
  rs->AddNew();  // fields of a new row start out Null
  EXPECT_TRUE(rs->value("N").is_null());
}

TEST(InMemoryRecordset, AssignedValuesTakeTheFieldType) {
  auto rs = list_of({{"T", adVarWChar, 7},
                     {"D", adDBDate, 0},
                     {"S", adDBTimeStamp, 0},
                     {"W", adWChar, 2},
                     {"I", adSmallInt, 0},
                     {"M", adDecimal, 0},
                     {"V", adVariant, 0}});
  rs->AddNew();
  rs->set_value("T", Value(2024.5));
  EXPECT_EQ(rs->value("T"), Value("2024.5"));
  rs->set_value("D", Value("2024-03-15"));
  EXPECT_EQ(rs->value("D"), Value(*Date::from_civil(2024, 3, 15)));
  rs->set_value("D", Value(*Date::from_civil(2024, 3, 15, 10, 30)));  // a date field has no time
  EXPECT_EQ(rs->value("D"), Value(*Date::from_civil(2024, 3, 15)));
  rs->set_value("S", Value("15/03/2024 10:30"));
  EXPECT_EQ(rs->value("S"), Value(*Date::from_civil(2024, 3, 15, 10, 30)));
  rs->set_value("I", Value("12"));
  EXPECT_EQ(rs->value("I"), Value(int16_t{12}));
  rs->set_value("M", Value("12.50"));
  EXPECT_EQ(to_text(rs->value("M")), "12.5");
  rs->set_value("V", Value(int32_t{5}));
  EXPECT_EQ(rs->value("V"), Value(int32_t{5}));
  rs->set_value("W", Value());
  EXPECT_TRUE(rs->value("W").is_null());

  EXPECT_EQ(code_of([&] { rs->set_value("W", Value("Yes")); }), kMultipleStep);  // longer than 2
  EXPECT_EQ(code_of([&] { rs->set_value("D", Value("not a date")); }), ErrorCode::TypeMismatch);
  EXPECT_EQ(code_of([&] { rs->set_value("I", Value(int32_t{40000})); }), ErrorCode::Overflow);
  EXPECT_EQ(code_of([&] { rs->set_value("T", Value(Array::matrix(1, 1))); }),
            ErrorCode::TypeMismatch);
  EXPECT_EQ(rs->value("W"), Value::null());  // a refused value leaves the field as it was
}

TEST(InMemoryRecordset, OperationsOutOfContextRaise) {
  auto rs = make_object<Recordset>();
  EXPECT_EQ(code_of([&] { rs->Open(); }), kNotAllowedInContext);  // no fields yet
  rs->append_field({"A", adInteger, 0});
  EXPECT_EQ(code_of([&] { rs->append_field({"a", adInteger, 0}); }), kAlreadyInCollection);
  EXPECT_EQ(code_of([&] { rs->append_field({"B", 999, 0}); }), ErrorCode::DataAccess);
  EXPECT_EQ(code_of([&] { rs->RecordCount(); }), kObjectClosed);
  EXPECT_EQ(code_of([&] { rs->IsEOF(); }), kObjectClosed);
  rs->Open();
  EXPECT_EQ(code_of([&] { rs->AddNew(); }), kNotUpdatable);  // read-only unless LockType says so
  EXPECT_EQ(code_of([&] { rs->append_field({"C", adInteger, 0}); }), kNotAllowedInContext);
  EXPECT_EQ(code_of([&] { rs->Open(); }), kObjectOpen);
  EXPECT_EQ(code_of([&] { rs->value("A"); }), kNoCurrentRecord);
  EXPECT_EQ(code_of([&] { rs->value("Z"); }), kItemNotFound);
  rs->Close();
  EXPECT_EQ(rs->State(), adStateClosed);
  EXPECT_EQ(code_of([&] { rs->Close(); }), kObjectClosed);
}

TEST(InMemoryRecordset, ByNameAsAHostBuildsIt) {
  auto rs = make_object<Recordset>();
  Object& o = *rs;
  ObjectRef fields = to_object(get_property(o, "Fields"));
  call_method(*fields, "Append",
              {Value("ESER"), Value(adVarWChar), Value(int32_t{7}), Value(int32_t{-1})});
  call_method(*fields, "Append", {Value("DATAIN"), Value(adDBDate)});
  EXPECT_EQ(get_property(*fields, "Count"), Value(int32_t{2}));
  let_property(o, "CursorType", Value(adOpenStatic));
  let_property(o, "LockType", Value(adLockOptimistic));
  call_method(o, "Open");
  EXPECT_EQ(get_property(o, "State"), Value(adStateOpen));
  call_method(o, "AddNew");
  ObjectRef eser = to_object(call_method(*fields, "Item", {Value("ESER")}));
  ObjectRef datain = to_object(call_method(*fields, "Item", {Value(int32_t{1})}));
  let_property(*eser, "Value", Value(int32_t{2024}));
  let_property(*datain, "Value", Value("2024-01-01"));
  call_method(o, "Update");
  EXPECT_EQ(get_property(o, "RecordCount"), Value(int32_t{1}));
  EXPECT_EQ(get_property(*eser, "Value"), Value("2024"));
  EXPECT_EQ(get_property(*datain, "Value"), Value(*Date::from_civil(2024, 1, 1)));
  EXPECT_EQ(get_property(*eser, "DefinedSize"), Value(int32_t{7}));
  EXPECT_EQ(get_property(*datain, "Type"), Value(adDBDate));
  EXPECT_EQ(get_property(*datain, "Name"), Value("DATAIN"));
  EXPECT_EQ(get_property(o, "BOF"), Value(false));
  EXPECT_EQ(get_property(o, "CursorType"), Value(adOpenStatic));
  EXPECT_THROW(call_method(*fields, "Item", {Value(int32_t{2})}), Error);
}

}  // namespace
}  // namespace lema::ado
