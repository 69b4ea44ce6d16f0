#include "decode/detail/simple_decode.h"

#include "common/error.h"
#include "common/sql.h"
#include "common/text.h"
#include "decode/detail/binding.h"

namespace lema::detail {

void run_simple(const SimpleDecode& d, const ObjectRef& control,
                std::initializer_list<const Value*> args, Value& table, Value& statement) noexcept {
  step([&] { table = binding_row(control, d.column); });
  step([&] {
    // Room for the literal pieces and a code of ordinary length in place of each argument.
    size_t reserve = 0;
    for (const Piece& p : d.pieces) reserve += p.put == Put::Text ? p.text.size() : 16;
    SqlText sql(reserve);
    for (const Piece& p : d.pieces) {
      if (p.put == Put::End) break;
      if (p.put == Put::Text) {
        sql << p.text;
        continue;
      }
      const Value& v = *args.begin()[p.arg];
      switch (p.put) {
        case Put::Raw:
          sql << bare(v);
          break;
        case Put::QuotedRaw:
          sql << quoted(v);
          break;
        case Put::OrZero:
          sql << bare(v, "0");
          break;
        case Put::OrNothing:
          sql << quoted(v, "");
          break;
        case Put::Fixed4:
          sql << quoted(CodiceLarghezzaFissa(v, 4));
          break;
        case Put::End:
        case Put::Text:
          break;
      }
    }
    statement = sql.value();
  });
}

std::string CodiceLarghezzaFissa(const Value& value, int16_t width) {
  const size_t n = width > 0 ? static_cast<size_t>(width) : 0;
  if (value.is_empty() || value.is_null()) return std::string(n, ' ');
  const std::string text = to_text(value);
  const std::string_view code = utf8_prefix(trim_blanks(text), n);
  std::string out(code);
  out.append(n - utf8_length(code), ' ');
  return out;
}

}  // namespace lema::detail
