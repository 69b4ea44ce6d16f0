#include "tools/lemald/catalog.h"

#include <ostream>
#include <stdexcept>
#include <vector>

#include "automation/class_info.h"
#include "automation/registry.h"
#include "common/guard.h"
#include "host/clock.h"
#include "host/date_text_converter.h"
#include "tools/lemald/explorer_call.h"
#include "tools/lemald/human.h"
#include "tools/lemald/method_groups.h"

namespace lemald {
namespace {

constexpr std::string_view kToday = "2025-01-01";

// Markdown or HTML, written block by block.
class Doc {
 public:
  explicit Doc(bool html) : html_(html) {}

  void heading(int level, const std::string& text) {
    close_list();
    if (html_)
      out_ +=
          "<h" + std::to_string(level) + ">" + esc(text) + "</h" + std::to_string(level) + ">\n";
    else
      out_ += std::string(static_cast<size_t>(level), '#') + " " + text + "\n\n";
  }
  void para(const std::string& text) {
    close_list();
    out_ += html_ ? "<p>" + esc(text) + "</p>\n" : text + "\n\n";
  }
  void item(const std::string& label, const std::string& text) {
    if (!in_list_) out_ += html_ ? "<ul>\n" : "";
    in_list_ = true;
    out_ += html_ ? "<li><b>" + esc(label) + ":</b> " + esc(text) + "</li>\n"
                  : "- " + label + ": " + text + "\n";
  }
  void code(const std::string& text) {
    close_list();
    out_ += html_ ? "<pre>" + esc(text) + "</pre>\n" : "```sql\n" + text + "\n```\n\n";
  }
  void table(const std::vector<std::string>& head,
             const std::vector<std::vector<std::string>>& rows) {
    close_list();
    if (html_) {
      out_ += "<table>\n<tr>";
      for (const auto& h : head) out_ += "<th>" + esc(h) + "</th>";
      out_ += "</tr>\n";
      for (const auto& r : rows) {
        out_ += "<tr>";
        for (const auto& c : r) out_ += "<td>" + esc(c) + "</td>";
        out_ += "</tr>\n";
      }
      out_ += "</table>\n";
      return;
    }
    auto line = [&](const std::vector<std::string>& cells) {
      for (const auto& c : cells) out_ += "| " + c + " ";
      out_ += "|\n";
    };
    line(head);
    for (size_t i = 0; i < head.size(); ++i) out_ += "|---";
    out_ += "|\n";
    for (const auto& r : rows) line(r);
    out_ += "\n";
  }
  std::string finish() {
    close_list();
    if (!html_) return out_.substr(0, out_.size() - 1);  // one line end at the end
    return "<!DOCTYPE html>\n<html lang=\"en\">\n<head>\n<meta charset=\"utf-8\">\n"
           "<title>lema catalog</title>\n<style>body{font:14px/1.45 system-ui,sans-serif;"
           "max-width:70em;margin:2em auto;padding:0 1em;color:#222}pre{background:#f4f4f0;"
           "padding:.6em;white-space:pre-wrap}table{border-collapse:collapse}td,th{border:1px "
           "solid #ccc;padding:.2em .5em;text-align:left}h4{margin-bottom:.3em}</style>\n"
           "</head>\n<body>\n" +
           out_ + "</body>\n</html>\n";
  }

 private:
  void close_list() {
    if (in_list_) out_ += html_ ? "</ul>\n" : "\n";
    in_list_ = false;
  }
  static std::string esc(const std::string& s) {
    std::string r;
    for (char c : s) {
      if (c == '&')
        r += "&amp;";
      else if (c == '<')
        r += "&lt;";
      else if (c == '>')
        r += "&gt;";
      else
        r += c;
    }
    return r;
  }

  bool html_;
  bool in_list_ = false;
  std::string out_;
};

std::string params_text(const lema::Member& m) {
  std::string s;
  for (const lema::ParamInfo& p : m.params) {
    if (!s.empty()) s += "; ";
    s += std::string(p.name) + " " + std::string(lema::type_name(p.type));
    if (p.byref) s += ", by reference";
    if (p.optional) s += ", optional";
  }
  return s.empty() ? "none" : s;
}

// Arguments of the default path: required ones 1 (controls named after the parameter, the
// connection for Connessione), optional ones left out.
json default_args(const lema::Member& m) {
  json args = json::array();
  for (const lema::ParamInfo& p : m.params) {
    if (p.optional) break;
    if (p.type == lema::TypeTag::Object)
      args.push_back(json{{"$object", p.name == "Connessione" ? "db" : std::string(p.name)}});
    else if (p.type == lema::TypeTag::Boolean)
      args.push_back(true);
    else
      args.push_back(1);
  }
  return args;
}

void describe_call(Doc& doc, const lema::Member& m, std::string_view prog_id) {
  json r = make_call(json{{"class", std::string(prog_id)},
                          {"method", std::string(m.name)},
                          {"args", default_args(m)}},
                     "sqlite3://db=:memory:");
  auto text = [](const json& j) {
    return j.is_string() ? j.get<std::string>() : std::string("(empty)");
  };
  if (r.contains("caption")) {
    doc.item("Caption", text(r["caption"]));
    doc.item("IDLookup", text(r["id"]));
    std::string h;
    for (const json& c : r["headings"])
      h += (h.empty() ? "" : " | ") +
           (c["hidden"].get<bool>() ? "(hidden)" : c["text"].get<std::string>());
    doc.item("Headings", h.empty() ? "none" : h);
  }
  if (r.contains("binding")) {
    std::string b;
    for (const json& row : r["binding"])
      b += (b.empty() ? "" : ", ") + text(row[0]) + " = " + text(row[1]);
    doc.item("Binding", b.empty() ? "none" : b);
  }
  if (m.type != lema::TypeTag::Void) doc.item("Result", r["value"].dump());
  if (r.contains("statement")) {
    if (r["statement"].is_string() && !r["statement"].get<std::string>().empty())
      doc.code(readable(r["statement"].get<std::string>()));
    else
      doc.para("No statement on this path.");
  }
}

}  // namespace

std::string catalog_text(bool html) {
  std::vector<std::string> mismatches = method_group_mismatches();
  if (!mismatches.empty()) {
    std::string m = "the method groups do not match the member tables:";
    for (const std::string& s : mismatches) m += "\n  " + s;
    throw std::runtime_error(m);
  }
  lema::ValueGuardScope guard(false);
  struct PinnedToday {
    PinnedToday() { lema::host::pin_today(lema::host::parse_date_text(kToday)); }
    ~PinnedToday() { lema::host::pin_today(std::nullopt); }
  } today;
  Doc doc(html);
  doc.heading(1, "Catalog of the lookup and decode library");
  doc.para(
      "Generated by `lemald catalog` from the member tables and from one call of each method "
      "on its default path: required arguments 1 (a control named after the parameter for a "
      "control, an empty database for Connessione), optional arguments left out, no host "
      "object, no settings, value guard off, today " +
      std::string(kToday) + ". Line ends in statements show as ↵ (CR LF) and ␍ (CR).");
  for (std::string_view prog_id :
       {"LEMA_LOOKUPDECODE.CLSCG_LOOKUP", "LEMA_LOOKUPDECODE.CLSCG_DECODE",
        "LEMA_LOOKUPDECODE.CLSCG_CONNECT"}) {
    const lema::ClassInfo& info = *lema::Registry::global().find(prog_id)->info;
    doc.heading(2, std::string(prog_id));
    std::vector<std::vector<std::string>> props;
    for (const lema::Member& m : info.members())
      if (m.kind == lema::MemberKind::Property)
        props.push_back(
            {std::string(m.name), std::string(lema::type_name(m.type)), m.kind_letters()});
    doc.para("Properties (G get, L let, S set):");
    doc.table({"property", "type", "access"}, props);
    for (const MethodGroup& g : method_groups()) {
      if (g.prog_id != prog_id) continue;
      doc.heading(3, std::string(g.title) + " (" + std::string(g.source) + ")");
      for (const GroupedMethod& gm : g.methods) {
        const lema::Member& m = *info.find(gm.name);
        doc.heading(4, std::string(m.name));
        doc.item("Returns",
                 m.type == lema::TypeTag::Void ? "nothing" : std::string(lema::type_name(m.type)));
        doc.item("Parameters", params_text(m));
        std::string reads;
        for (std::string_view s : setting_names(gm.reads))
          reads += (reads.empty() ? "" : ", ") + std::string(s);
        doc.item("Settings read", reads.empty() ? "none" : reads);
        describe_call(doc, m, prog_id);
      }
    }
  }
  return doc.finish();
}

int print_catalog(const std::string& format, std::ostream& out, std::ostream& err) {
  if (format != "md" && format != "html") {
    err << "lemald: --format is md or html\n";
    return 1;
  }
  try {
    out << catalog_text(format == "html");
    return 0;
  } catch (const std::exception& e) {
    err << "lemald: " << e.what() << "\n";
    return 1;
  }
}

}  // namespace lemald
