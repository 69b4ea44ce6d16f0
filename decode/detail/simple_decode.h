// The single-control decodes: one binding row and a statement of literal pieces with the
// arguments in between, described by a constant table and built by one routine.
#pragma once

#include <array>
#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>

#include "common/object.h"
#include "common/value.h"

namespace lema::detail {

// How a piece of a simple decode's statement is produced.
enum class Put : uint8_t {
  End,        // no more pieces
  Text,       // the literal
  Raw,        // the argument in its own text form (Empty and Null add nothing)
  QuotedRaw,  // the same, between quotes the literals write
  OrZero,     // the argument, or 0 when not given
  OrNothing,  // the argument, or nothing when not given (always between quotes)
  Fixed4,     // the argument as a fixed-width code of 4 characters (always between quotes)
};

struct Piece {
  Put put = Put::End;
  std::string_view text;
  uint8_t arg = 0;  // index among the arguments that follow the control
};
// clang-format off
constexpr Piece lit(std::string_view s) { return {Put::Text, s, 0}; }
constexpr Piece raw(uint8_t a) { return {Put::Raw, {}, a}; }
constexpr Piece quoted_raw(uint8_t a) { return {Put::QuotedRaw, {}, a}; }
constexpr Piece or_zero(uint8_t a) { return {Put::OrZero, {}, a}; }
constexpr Piece or_nothing(uint8_t a) { return {Put::OrNothing, {}, a}; }
constexpr Piece fixed4(uint8_t a) { return {Put::Fixed4, {}, a}; }
// clang-format on

struct SimpleDecode {
  std::string_view column;      // the column bound to the control
  std::array<Piece, 8> pieces;  // the statement, up to the first End
};

// Builds the one-row table into `table`, then the statement into `statement`, each as one
// step. `args` are the arguments after the control, in order.
void run_simple(const SimpleDecode& d, const ObjectRef& control,
                std::initializer_list<const Value*> args, Value& table, Value& statement) noexcept;

// CodiceLarghezzaFissa: the code trimmed of blanks, cut or padded with blanks to `width`
// characters (not bytes); Empty and Null give blanks only. An array or object raises
// TypeMismatch.
std::string CodiceLarghezzaFissa(const Value& value, int16_t width);

}  // namespace lema::detail
